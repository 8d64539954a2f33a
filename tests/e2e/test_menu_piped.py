"""The menu with its keys piped in: what the screen and the port get."""

import os
import re
import shutil
import stat
import subprocess

import pexpect.popen_spawn
import pytest

from conftest import PROGRAMS, empty_port_of, run_piped
from screens import EVERY_CHOICE, GOODBYE, ONE_STEP_CHOICES, PARALLEL_BANNER, PARALLEL_MENU, SERIAL_MENU



def test_one_step_choices_send_their_bytes_and_confirm(lpt1):
    lpt1.make_file()
    choices = [1, 2, 5, 6, 7]
    result = run_piped("labellpt", b"".join(b"%d\n" % c for c in choices) + b"9\n")
    screens = [ONE_STEP_CHOICES[c][0] for c in choices]
    assert result.stdout == PARALLEL_BANNER + PARALLEL_MENU + PARALLEL_MENU.join(screens) + PARALLEL_MENU + GOODBYE
    assert lpt1.received() == b"".join(ONE_STEP_CHOICES[c][1] for c in choices)
    assert result.returncode == 0


@pytest.mark.parametrize("keys", [b"0\n1\n", b"-1\n1\n", b"10\n1\n", b"x\n1\n", b""],
                         ids=["0", "-1", "10", "letter", "no input"])
def test_any_other_answer_ends_the_run_at_once(lpt1, keys):
    lpt1.make_file()
    result = run_piped("labellpt", keys)
    assert (result.stdout, lpt1.received(), result.returncode) == (PARALLEL_BANNER + PARALLEL_MENU, b"", 0)


@pytest.mark.filterwarnings("ignore:setDaemon:DeprecationWarning")  # inside pexpect's pipe reader
@pytest.mark.parametrize(
    "program, lead, menu, after_page_mode",
    [("labellpt", b"", PARALLEL_MENU, b"\x1bVRT2"), ("labelcom", b"2\n", SERIAL_MENU, b"")],
    ids=["per cycle", "whole run"],
)
def test_page_mode_goes_out_with_the_channel(request, program, lead, menu, after_page_mode):
    """A per-cycle channel delivers page mode when its cycle ends; a
    whole-run channel holds it until the next line end."""
    port = empty_port_of(request, program)
    child = pexpect.popen_spawn.PopenSpawn([PROGRAMS[program]], timeout=10)
    child.send(lead)
    child.expect_exact(menu)
    for keys, received in [(b"7\n", after_page_mode), (b"1\n", b"\x1bVRT2U\r\n")]:
        child.send(keys)
        child.expect_exact(menu)
        assert port.received() == received
    child.send(b"9\n")
    child.sendeof()
    child.expect(pexpect.EOF)
    assert child.wait() == 0
    child.proc.stdout.close()


def _kind(path):
    return stat.S_IFMT(os.lstat(path).st_mode) if os.path.lexists(path) else None


@pytest.mark.parametrize("fault", ["missing", "fifo without reader", "link to a full device"])
def test_port_faults_leave_the_dialogue_unchanged(lpt1, fault):
    lpt1.make_file()
    working = run_piped("labellpt", EVERY_CHOICE)
    lpt1.path.unlink()
    if fault == "fifo without reader":
        lpt1.make_fifo()
    elif fault == "link to a full device":
        lpt1.link_to("/dev/full")
    before = _kind(lpt1.path)
    result = run_piped("labellpt", EVERY_CHOICE)
    assert result.stdout == working.stdout
    assert (result.returncode, _kind(lpt1.path)) == (1, before)
    assert result.seconds < 3


@pytest.mark.parametrize("program, keys", [("labellpt", EVERY_CHOICE), ("labelcom", b"1\n" + EVERY_CHOICE)],
                         ids=["labellpt", "labelcom"])
def test_no_child_process_is_started(tmp_path, lpt1, com1, program, keys):
    if shutil.which("strace") is None:
        pytest.skip("strace is not installed")
    lpt1.make_file()
    com1.make_file()
    trace = tmp_path / "trace"
    result = subprocess.run(["strace", "-f", "-qq", "-e", "trace=process", "-o", str(trace), PROGRAMS[program]],
                            input=keys, capture_output=True, timeout=20, check=False)
    if not trace.exists() or b"ptrace" in result.stderr:
        pytest.skip("tracing is not permitted here: " + result.stderr.decode(errors="replace"))
    calls = re.findall(r"\b(execve|execveat|fork|vfork|clone|clone3)\(", trace.read_text())
    assert (calls, result.returncode) == (["execve"], 0)
    assert lpt1.received() or com1.received()
