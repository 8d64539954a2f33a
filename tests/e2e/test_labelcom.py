"""labelcom: the preparation question and port preparation."""

import os
import subprocess
import termios

import pytest

from support.expectations import fill
from support.programs import PROGRAMS, SerialLine, run_piped
from support.screens import BANNER, CLEAR, MENU, PAUSE, sends

SERIAL_BANNER, SERIAL_MENU = BANNER["labelcom"], MENU["labelcom"]
PREPARED = SERIAL_BANNER + PAUSE + PAUSE + CLEAR + SERIAL_MENU + CLEAR


@pytest.mark.parametrize(
    "keys, stdout",
    [
        (b"2\n9\n", SERIAL_BANNER + SERIAL_MENU + CLEAR),
        (b"0\n9\n", SERIAL_BANNER + SERIAL_MENU + CLEAR),
        (b"7\n9\n", SERIAL_BANNER + SERIAL_MENU + CLEAR),
        # A failed first answer fails the menu's read too.
        (b"x\n9\n", SERIAL_BANNER + SERIAL_MENU),
        (b"1\n9\n", PREPARED),
    ],
    ids=["2", "0", "7", "letter", "1"],
)
def test_preparation_answers(com1, keys, stdout):
    com1.make_file()
    result = run_piped("labelcom", keys)
    assert (result.stdout, com1.received(), result.returncode) == (stdout, b"", 0)
    # A file is no serial line: preparing it is reported on one line, and the run goes on.
    complaints = result.stderr.decode().splitlines()
    if keys.startswith(b"1"):
        assert len(complaints) == 1 and str(com1.path) in complaints[0] and "not a serial line" in complaints[0]
    else:
        assert complaints == []


def test_preparation_sets_9600_8n1_without_flow_control(line_at):
    line = line_at("labelcom")
    settings = termios.tcgetattr(line.slave)
    settings[0] |= termios.IXON | termios.IXOFF
    settings[2] = (settings[2] & ~(termios.CSIZE | termios.CLOCAL)) | termios.CS7 | termios.PARENB | termios.CSTOPB
    settings[2] |= termios.CRTSCTS
    settings[4] = settings[5] = termios.B1200
    termios.tcsetattr(line.slave, termios.TCSANOW, settings)
    result = run_piped("labelcom", b"1\n9\n")
    assert (result.stdout, result.stderr, result.returncode) == (PREPARED, b"", 0)
    iflag, _, cflag, _, ispeed, ospeed, _ = termios.tcgetattr(line.slave)
    assert (ispeed, ospeed) == (termios.B9600, termios.B9600)
    assert cflag & (termios.CSIZE | termios.PARENB | termios.CSTOPB | termios.CRTSCTS | termios.CLOCAL) == (
        termios.CS8 | termios.CLOCAL)
    assert iflag & (termios.IXON | termios.IXOFF) == 0


@pytest.mark.parametrize("keys", [b"2\n1\n9\n", b"1\n1\n9\n"], ids=["not prepared", "prepared"])
def test_the_line_gets_its_settings_back_but_keeps_the_preparation(line_at, keys):
    """Raw output for the program's own bytes is undone; the preparation, raw output with it, stays."""
    line = line_at("labelcom")
    before = termios.tcgetattr(line.slave)
    result = run_piped("labelcom", keys)
    after = termios.tcgetattr(line.slave)
    assert (line.received(), result.returncode) == (sends(1), 0)
    prepared = keys.startswith(b"1")
    output = before[1] & ~termios.OPOST if prepared else before[1]
    assert (after[1], after[4] == termios.B9600, after == before) == (output, prepared, not prepared)


def test_a_line_pulled_out_and_back_under_its_stable_name_gets_the_next_command(com1, tmp_path):
    """The hung-up line's command goes whole to the line now at the port's link, prepared before it."""
    old, new = SerialLine(), SerialLine()
    com1.link_to(os.ttyname(old.slave))
    trace = tmp_path / "trace"
    child = subprocess.Popen([PROGRAMS["labelcom"]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env={**os.environ, "LABEL_TRACE": str(trace)})
    child.stdin.write(b"1\n1\n")
    child.stdin.flush()
    first = old.received(quiet=1)
    os.close(old.master)  # the line hangs up, as a pulled-out adapter's does
    com1.path.unlink()
    com1.link_to(os.ttyname(new.slave))
    _, errors = child.communicate(b"1\n9\n", timeout=20)
    settings, second = termios.tcgetattr(new.slave), new.received()
    new.close()
    os.close(old.slave)
    assert (first, second, child.returncode) == (sends(1), sends(1), 0)
    assert errors.decode().splitlines() == ["labelcom: " + fill("printer back", {"port": bytes(com1.path)}).decode()]
    assert (settings[4], settings[5], settings[1] & termios.OPOST) == (termios.B9600, termios.B9600, 0)
    assert "reopen, the device having gone" in trace.read_text()
