"""Faults of the port, the keyboard and the console: the dialogue stays as it
is with a working port, the run ends by itself, and nothing is left behind.
A command line that did not reach the printer is said on standard error and
makes the exit status 1; otherwise it is 0."""

import errno
import io
import os
import shutil
import signal
import stat
import subprocess
import tempfile
import termios
import time
import tty

import pexpect
import pexpect.fdpexpect
import pexpect.popen_spawn
import pytest

from support.expectations import ENTRIES
from support.pipes import fill, read_all
from support.programs import PROGRAMS, clear_path, in_single_key_mode, run_piped, wait_until
from support.screens import CLEAR, EVERY_CHOICE, MENU, PAGE_MODE, sends, shows

LEAD = {"labellpt": b"", "labelcom": b"2\n"}


def working_run(port, program, keys, command=()):
    """The run with a working port, for comparison; the port is gone after."""
    port.make_file()
    result = run_piped(program, keys, command=command)
    sent = port.received()
    clear_path(port.path)
    return result, sent


def path_state(path):
    if not os.path.lexists(path):
        return None
    mode = os.lstat(path).st_mode
    if stat.S_ISDIR(mode):
        return mode, sorted(os.listdir(path))
    if stat.S_ISLNK(mode):
        return mode, os.readlink(path)
    return mode, path.read_bytes() if stat.S_ISREG(mode) else None


def as_unprivileged(program):
    """A command that runs `program` as a user the port file does not admit."""
    if os.geteuid() != 0:
        return ()
    command = ("setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups")
    if shutil.which("setpriv") is None or run_piped(program, b"", command=command).returncode != 0:
        pytest.skip("running as root, and the program cannot be run as nobody here")
    return command


def make_unwritable(port):
    port.make_file()
    port.path.chmod(0o444)


# How each fault's reason begins on standard error.
PORT_FAULTS = {
    "missing": (lambda port: None, "{path} does not exist; "),
    "directory": (lambda port: port.path.mkdir(), os.strerror(errno.EISDIR)),
    "unwritable file": (make_unwritable, os.strerror(errno.EACCES)),
    "fifo without reader": (lambda port: port.make_fifo(), os.strerror(errno.ENXIO)),
    "full device": (lambda port: port.link_to("/dev/full"), os.strerror(errno.ENOSPC)),
}
# Every choice reports once; labelcom's page mode shares its line with the
# next command, so it sends one line fewer and reports one choice fewer.
LOST_LINES = {"labellpt": 9, "labelcom": 8}
REPORTING_CHOICES = {"labellpt": 8, "labelcom": 7}


@pytest.mark.parametrize("fault", PORT_FAULTS)
@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_port_that_cannot_be_written_leaves_the_dialogue_unchanged(port_of, program, fault):
    port = port_of(program).make_file()
    command = as_unprivileged(program) if fault == "unwritable file" else ()
    working, _ = working_run(port, program, LEAD[program] + EVERY_CHOICE, command)
    make, reason = PORT_FAULTS[fault]
    make(port)
    before = path_state(port.path)
    result = run_piped(program, LEAD[program] + EVERY_CHOICE, command=command)
    assert (result.stdout, result.returncode, path_state(port.path)) == (working.stdout, 1, before)
    *said, summary = result.stderr.decode().splitlines()
    told = f"{program}: the printer on {port.path} did not get the last command: {reason.format(path=port.path)}"
    assert [line.startswith(told) for line in said] == [True] * REPORTING_CHOICES[program]
    lost = LOST_LINES[program]
    assert summary == f"{program}: {lost} of {lost} command lines did not reach the printer on {port.path}"
    assert result.seconds < 3


def spawn_piped(program, command=()):
    """The program with pipes for its console, through `command` if given, its
    output all kept in `log`; its standard error goes to the file `errors`
    (pexpect would mix it in)."""
    errors = tempfile.TemporaryFile()
    child = pexpect.popen_spawn.PopenSpawn([*command, PROGRAMS[program]], timeout=10,
                                           preexec_fn=lambda: os.dup2(errors.fileno(), 2))
    child.errors = errors
    child.log = io.BytesIO()
    child.logfile_read = child.log
    return child


def ends_well(child, status=0):
    child.expect(pexpect.EOF, timeout=3)
    return child.wait() == status


def said(child):
    """What a spawned program said on standard error, line by line."""
    child.errors.seek(0)
    return child.errors.read().decode().splitlines()


STALLED = ENTRIES["port stalled"].decode()


# labellpt loses both lines of choice 5; labelcom gets its first line through
# with choice 1's, whose own line its failed channel drops and reports.
@pytest.mark.parametrize("program, delivered, reports", [
    ("labellpt", sends(1), 1), ("labelcom", sends(5).splitlines(keepends=True)[0], 2),
])
def test_a_stalled_port_costs_one_wait_and_is_retried(port_of, program, delivered, reports):
    """Choice 5 sends two lines into a port that takes nothing: the operator
    waits out the bound once. Once the port drains, a whole-run channel
    delivers the stalled line at the next line end; a per-cycle one starts
    afresh with the next cycle."""
    port = port_of(program).make_file()
    working, _ = working_run(port, program, LEAD[program] + b"5\n1\n9\n")
    reader, _ = fill(port.make_fifo().path)
    child = spawn_piped(program)
    child.send(LEAD[program])
    child.expect_exact(MENU[program])
    start = time.monotonic()
    child.send(b"5\n")
    child.expect_exact(MENU[program])
    assert 4.5 < time.monotonic() - start < 7
    read_all(reader)
    child.send(b"1\n9\n")
    assert ends_well(child, status=1)
    assert (read_all(reader), child.log.getvalue()) == (delivered, working.stdout)
    assert said(child) == [f"{program}: the printer on {port.path} did not get the last command: {STALLED}"] * reports \
        + [f"{program}: 2 of 3 command lines did not reach the printer on {port.path}"]
    os.close(reader)


def test_a_serial_line_that_vanishes_is_written_off_quietly(com1):
    """The far end of the line goes away between two choices, as when a USB
    serial adapter is pulled: later commands are dropped, nothing hangs."""
    keys_before, keys_after = b"2\n1\n", b"2\n7\n3\n12\n9\n"
    working, _ = working_run(com1, "labelcom", keys_before + keys_after)
    master, slave = os.openpty()
    com1.link_to(os.ttyname(slave))
    child = spawn_piped("labelcom")
    child.send(keys_before)
    child.expect_exact(MENU["labelcom"] + shows(1))
    child.expect_exact(MENU["labelcom"])
    assert os.read(master, 100) == sends(1)
    os.close(master)
    os.close(slave)
    child.send(keys_after)
    assert ends_well(child, status=1)
    assert child.log.getvalue() == working.stdout
    *choices, summary = said(child)
    assert [line.startswith(f"labelcom: the printer on {com1.path} did not get the last command: ")
            for line in choices] == [True, True]
    assert summary == f"labelcom: 2 of 3 command lines did not reach the printer on {com1.path}"


def test_a_per_cycle_port_that_appears_while_the_menu_waits_gets_that_choice(lpt1):
    """A port is reached at the first byte of a choice, not when the menu is
    shown: a printer plugged in while the operator reads the menu gets the
    choice made next."""
    working, _ = working_run(lpt1, "labellpt", b"1\n2\n6\n9\n")
    child = spawn_piped("labellpt")
    child.send(b"1\n")
    child.expect_exact(MENU["labellpt"] + shows(1))
    child.expect_exact(MENU["labellpt"])
    lpt1.make_file()
    child.send(b"2\n6\n9\n")
    assert ends_well(child, status=1)
    assert (child.log.getvalue(), lpt1.received()) == (working.stdout, sends(2) + sends(6))
    *choices, summary = said(child)
    missing = f"labellpt: the printer on {lpt1.path} did not get the last command: {lpt1.path} does not exist; "
    assert [line.startswith(missing) for line in choices] == [True]
    assert summary == f"labellpt: 1 of 3 command lines did not reach the printer on {lpt1.path}"


def run_with_broken_console(program, keys, how):
    if how == "closed":
        return subprocess.run(["sh", "-c", 'exec "$0" >&-', PROGRAMS[program]], input=keys, timeout=5, check=False)
    child = subprocess.Popen([PROGRAMS[program]], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    child.stdout.close()
    child.communicate(keys, timeout=5)
    return child


@pytest.mark.parametrize("how", ["closed", "broken pipe"])
@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_commands_reach_the_port_when_the_console_is_gone(port_of, program, how):
    port = port_of(program).make_file()
    _, sent = working_run(port, program, LEAD[program] + EVERY_CHOICE)
    port.make_file()
    assert run_with_broken_console(program, LEAD[program] + EVERY_CHOICE, how).returncode == 0
    assert port.received() == sent


def reap(child, seconds):
    """The exit status of `child` and the processor seconds it used, once it
    ends; None if it has not ended within `seconds` (it is killed then)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pid, status, usage = os.wait4(child.pid, os.WNOHANG)
        if pid:
            child.returncode = os.waitstatus_to_exitcode(status)
            return child.returncode, usage.ru_utime + usage.ru_stime
        time.sleep(0.01)
    child.kill()
    child.wait()
    return None


@pytest.mark.parametrize("program_side", ["slave", "master"])
@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_console_that_fails_ends_the_run(port_of, program, program_side):
    """The console is a pseudo-terminal that is not the program's controlling
    terminal (a new session, and a side opened without becoming one), so
    no hang-up signal comes when the test closes the other side. The
    program's reads then find the end or fail (EIO), for good, and the run
    must end as at the end of input: at once, with status 0, not spinning."""
    port = port_of(program).make_file()
    master, slave = os.openpty()
    tty.setraw(slave)
    theirs, ours = (slave, master) if program_side == "slave" else (master, slave)
    child = subprocess.Popen([PROGRAMS[program]], stdin=theirs, stdout=theirs, stderr=subprocess.DEVNULL,
                             start_new_session=True)
    os.close(theirs)
    console = pexpect.fdpexpect.fdspawn(ours, timeout=5)
    console.send(LEAD[program] + b"1\n")
    console.expect_exact(MENU[program])
    console.expect_exact(MENU[program])
    console.close()
    assert (outcome := reap(child, 3)) is not None, "the run did not end"
    status, processor_seconds = outcome
    assert (status, port.received()) == (0, sends(1))
    assert processor_seconds < 0.5


def spawn_in_terminal(program):
    """The program with a pseudo-terminal as its console; `terminal` is the
    test's own handle on the program's side, to read its settings."""
    master, terminal = os.openpty()
    process = subprocess.Popen([PROGRAMS[program]], stdin=terminal, stdout=terminal, stderr=terminal,
                               start_new_session=True)
    child = pexpect.fdpexpect.fdspawn(master, timeout=10)
    child.proc, child.terminal = process, terminal
    return child


PAGE_MODE_PENDING = (b"2\n7\n", [b"now be in page mode", b"out of the program"], PAGE_MODE)
IN_PAUSE = (b"1\n", [b"Press any key to continue . . . "], b"")


@pytest.mark.parametrize("signum", [signal.SIGINT, signal.SIGTERM, signal.SIGHUP], ids=["INT", "TERM", "HUP"])
@pytest.mark.parametrize("console, keys, shown, sent", [
    ("pipe", *PAGE_MODE_PENDING), ("terminal", *PAGE_MODE_PENDING), ("terminal", *IN_PAUSE),
], ids=["piped, page mode pending", "terminal, page mode pending", "terminal, in pause"])
def test_a_signal_ends_the_run_the_ordinary_way(com1, console, keys, shown, sent, signum):
    com1.make_file()
    child = spawn_piped("labelcom") if console == "pipe" else spawn_in_terminal("labelcom")
    settings = (lambda: None) if console == "pipe" else (lambda: termios.tcgetattr(child.terminal))
    before = settings()
    child.send(keys)
    for text in shown:
        child.expect_exact(text)
    if keys == IN_PAUSE[0]:
        assert wait_until(lambda: in_single_key_mode(child.terminal))
    child.proc.send_signal(signum)
    assert child.proc.wait(timeout=3) == 0
    assert (com1.received(), settings()) == (sent, before)
    if console == "terminal":
        child.close()
        os.close(child.terminal)


def darkness_after(rubbish):
    """Darkness 5 entered after a line of rubbish: the output, and the most
    memory (KiB) the program has held by the menu after."""
    child = spawn_piped("labellpt")
    child.send(b"3\n" + rubbish + b"\n5\n")
    child.expect_exact(b"changed to 5")
    with open(f"/proc/{child.proc.pid}/status", encoding="ascii") as status:
        peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    child.send(b"9\n")
    assert ends_well(child)
    return child.log.getvalue(), peak


DARKNESS = {"darkness": 5}
DARKNESS_PROMPT = shows(3, DARKNESS).split(CLEAR)[0]


@pytest.mark.parametrize("rubbish, retries", [
    (b"\x00\xff\x1b[2J\x1b]0;title\x07\x80\r", 1),
    (b"x" * 100_000, 100),
    (b"\xff" * 10_000_000, 10_000),
], ids=["binary", "100,000 characters", "10 MB"])
def test_rubbish_lines_are_retried_in_bounded_memory(lpt1, rubbish, retries):
    """Each retry discards 1000 characters of the line."""
    lpt1.make_file()
    clean, clean_peak = darkness_after(b"")
    output, peak = darkness_after(rubbish)
    assert output == clean.replace(DARKNESS_PROMPT, DARKNESS_PROMPT + ENTRIES["darkness retry"] * retries)
    assert (lpt1.received(), peak < clean_peak + 4096) == (sends(3, DARKNESS) * 2, True)


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_cr_lf_line_ends_read_as_line_feeds(port_of, program):
    port = port_of(program).make_file()
    working, sent = working_run(port, program, LEAD[program] + EVERY_CHOICE)
    port.make_file()
    result = run_piped(program, (LEAD[program] + EVERY_CHOICE).replace(b"\n", b"\r\n"))
    assert (result.stdout, port.received(), result.stderr, result.returncode) == (working.stdout, sent, b"", 0)


@pytest.mark.parametrize("program, keys", [
    ("labelcom", b""), ("labelcom", b"1"), ("labellpt", b"3\n1"), ("labelcom", b"2\n8\n609\n51\n-4"),
], ids=["serial question", "serial question answered", "in a number", "in a signed number"])
def test_input_ending_without_a_line_end_reads_as_an_ended_line(port_of, program, keys):
    port = port_of(program).make_file()
    ended_line, sent = working_run(port, program, keys + b"\n")
    port.make_file()
    result = run_piped(program, keys, timeout=5)
    assert (result.stdout, port.received(), result.stderr, result.returncode) == (ended_line.stdout, sent, ended_line.stderr, 0)
    assert result.seconds < 1
