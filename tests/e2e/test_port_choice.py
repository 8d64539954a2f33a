"""LABELLPT_PORT and LABELCOM_PORT lead a run to another port; what the
operator is told on standard error when the printer gets nothing."""

import errno
import grp
import os
import shutil
import subprocess
import tempfile
import termios
from pathlib import Path

import pytest

from support.programs import PROGRAMS, SerialLine
from support.screens import MENU, sends

VARIABLE = {"labellpt": "LABELLPT_PORT", "labelcom": "LABELCOM_PORT"}
LEAD = {"labellpt": b"", "labelcom": b"2\n"}
KEYS = b"1\n6\n9\n"
SENT = b"U\r\nOVRT1\r\n"


def run_with(program, value, keys=None, command=()):
    env = {name: text for name, text in os.environ.items() if name not in VARIABLE.values()}
    if value is not None:
        env[VARIABLE[program]] = str(value)
    return subprocess.run([*command, PROGRAMS[program]], input=LEAD[program] + KEYS if keys is None else keys,
                          env=env, capture_output=True, timeout=20, check=False)


def compiled_in(request, program):
    return request.getfixturevalue({"labellpt": "lpt1", "labelcom": "com1"}[program]).make_file()


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
@pytest.mark.parametrize("value", [None, ""], ids=["unset", "empty"])
def test_without_a_value_the_compiled_in_port_is_used(request, program, value):
    port = compiled_in(request, program)
    result = run_with(program, value)
    assert (port.received(), result.stderr, result.returncode) == (SENT, b"", 0)


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_value_leads_the_run_to_that_path_alone(request, chosen, program):
    port = compiled_in(request, program)
    chosen.write_bytes(b"earlier\n")
    result = run_with(program, chosen)
    assert (chosen.read_bytes(), port.received(), result.returncode) == (b"earlier\n" + SENT, b"", 0)


def as_nobody():
    command = ("setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups")
    if os.geteuid() != 0 or shutil.which("setpriv") is None:
        pytest.skip("needs root to run the program as another user")
    return command


@pytest.fixture
def chosen():
    """A path in a folder of its own that any user can reach (the build
    tree may lie where another user cannot), cleared away afterwards."""
    folder = Path(tempfile.mkdtemp(prefix="label-port-"))
    folder.chmod(0o755)
    yield folder / "chosen"
    shutil.rmtree(folder)


def owned_by_lp(path):
    path.write_bytes(b"")
    os.chown(path, -1, grp.getgrnam("lp").gr_gid)
    path.chmod(0o664)


# What stands at the chosen path, and how the reason for the report begins.
FAULTS = {
    "missing": (lambda path: None, "{path} does not exist; "),
    "fifo without reader": (os.mkfifo, os.strerror(errno.ENXIO)),
    "group lp only": (owned_by_lp, "Permission denied (join the group lp, then log in again)"),
}


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
@pytest.mark.parametrize("fault", FAULTS)
def test_a_port_that_gets_nothing_is_reported_and_the_run_ends_with_1(chosen, program, fault):
    command = as_nobody() if fault == "group lp only" else ()
    working = run_with(program, None, command=command)
    make, reason = FAULTS[fault]
    make(chosen)
    result = run_with(program, chosen, command=command)
    lines = result.stderr.decode().splitlines()
    said = f"{program}: the printer on {chosen} did not get the last command: " + reason.format(path=chosen)
    assert (result.stdout, result.returncode) == (working.stdout, 1)
    assert len(lines) == 3 and all(line.startswith(said) for line in lines[:2])
    assert lines[-1] == f"{program}: 2 of 2 command lines did not reach the printer on {chosen}"
    assert fault != "missing" or not chosen.exists()


def test_labelcom_prepares_the_port_it_will_use(com1, tmp_path):
    """The compiled-in port is a file that must stay as it is."""
    com1.make_file()
    master, slave = os.openpty()
    try:
        settings = termios.tcgetattr(slave)
        settings[4] = settings[5] = termios.B1200
        termios.tcsetattr(slave, termios.TCSANOW, settings)
        result = run_with("labelcom", os.ttyname(slave), keys=b"1\n1\n9\n")
        _, _, _, _, ispeed, ospeed, _ = termios.tcgetattr(slave)
        assert (ispeed, ospeed, result.stderr, result.returncode) == (termios.B9600, termios.B9600, b"", 0)
        assert (os.read(master, 100), com1.received()) == (b"U\r\n", b"")
    finally:
        os.close(master)
        os.close(slave)


@pytest.mark.parametrize("user", ["the test's user", "nobody"])
def test_a_serial_line_one_labelcom_holds_is_busy_for_another(user):
    """The line is taken at the first byte and held to the end of the run.
    The lock stops a second program run by root; TIOCEXCL stops anyone
    else already at the open. Either way the second is told, and none of
    its bytes reach the line."""
    command = as_nobody() if user == "nobody" else ()
    line = SerialLine()
    path = os.ttyname(line.slave)
    os.chmod(path, 0o666)
    env = {name: text for name, text in os.environ.items() if name not in VARIABLE.values()}
    holder = subprocess.Popen([*command, PROGRAMS["labelcom"]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, env={**env, "LABELCOM_PORT": path})
    try:
        holder.stdin.write(b"2\n1\n")
        holder.stdin.flush()
        shown = b""
        while shown.count(MENU["labelcom"]) < 2:
            shown += os.read(holder.stdout.fileno(), 4096) or pytest.fail("the first labelcom ended")
        second = run_with("labelcom", path, keys=b"2\n1\n9\n", command=command)
        holder.communicate(b"9\n", timeout=10)
        assert (holder.returncode, second.returncode, line.received()) == (0, 1, sends(1))
        assert second.stderr.decode().splitlines() == [
            f"labelcom: the printer on {path} did not get the last command: {os.strerror(errno.EBUSY)} "
            "(another program, such as the print spooler, holds the port)",
            f"labelcom: 1 of 1 command lines did not reach the printer on {path}"]
    finally:
        holder.kill()
        line.close()


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_control_characters_the_operator_gave_never_reach_the_terminal(program):
    """A value is said back on every road to standard error with ? for each
    control character: the report of each choice and the closing summary."""
    result = run_with(program, "/nonexistent/\x1b[2J\a")
    lines = result.stderr.split(b"\n")[:-1]
    assert [b"/nonexistent/?[2J?" in line for line in lines] == [True] * 3
    assert all(byte >= 0x20 for line in lines for byte in line)
