"""The menu with its keys piped in: what the screen and the port get."""

import re
import shutil
import subprocess

import pexpect.popen_spawn
import pytest

from support.programs import PROGRAMS, run_piped
from support.screens import (BANNER, CLEAR, EVERY_CHOICE, EVERY_CHOICE_SENT, LEAVING, MENU, PAGE_MODE, PAUSE,
                             every_choice_dialogue, sends)


@pytest.mark.parametrize("program, lead, preparation", [
    ("labellpt", b"", b""), ("labelcom", b"2\n", b""), ("labelcom", b"1\n", PAUSE + PAUSE + CLEAR),
], ids=["labellpt", "labelcom", "labelcom, port prepared"])
def test_every_choice_shows_its_dialogue_and_sends_its_bytes(port_of, program, lead, preparation):
    """labelcom first asks whether to prepare its port: 2 is no, 1 is yes."""
    port = port_of(program).make_file()
    result = run_piped(program, lead + EVERY_CHOICE)
    assert result.stdout == BANNER[program] + preparation + every_choice_dialogue(program) + LEAVING[program]
    assert (port.received(), result.returncode) == (EVERY_CHOICE_SENT, 0)


@pytest.mark.parametrize("keys", [b"0\n1\n", b"-1\n1\n", b"10\n1\n", b"x\n1\n", b""],
                         ids=["0", "-1", "10", "letter", "no input"])
def test_any_other_answer_ends_the_run_at_once(lpt1, keys):
    lpt1.make_file()
    result = run_piped("labellpt", keys)
    assert (result.stdout, lpt1.received(), result.returncode) == (BANNER["labellpt"] + MENU["labellpt"], b"", 0)


@pytest.mark.parametrize("program, lead, after_page_mode", [("labellpt", b"", PAGE_MODE), ("labelcom", b"2\n", b"")],
                         ids=["per cycle", "whole run"])
def test_page_mode_goes_out_with_the_channel(port_of, program, lead, after_page_mode):
    """A per-cycle channel delivers page mode when its cycle ends; a
    whole-run channel holds it until the next line end."""
    port = port_of(program).make_file()
    child = pexpect.popen_spawn.PopenSpawn([PROGRAMS[program]], timeout=10)
    child.send(lead)
    child.expect_exact(MENU[program])
    for keys, received in [(b"7\n", after_page_mode), (b"1\n", PAGE_MODE + sends(1))]:
        child.send(keys)
        child.expect_exact(MENU[program])
        assert port.received() == received
    child.send(b"9\n")
    child.sendeof()
    child.expect(pexpect.EOF)
    assert child.wait() == 0
    child.proc.stdout.close()


@pytest.mark.parametrize("program, keys, sent", [
    ("labelcom", b"2\n7\n1\n9\n", PAGE_MODE + sends(1)),
    ("labelcom", b"2\n7\n9\n", PAGE_MODE),
    ("labellpt", b"1\n2\n6\n7\n1\n9\n", sends(1) + sends(2) + sends(6) + PAGE_MODE + sends(1)),
], ids=["page mode then label", "page mode then leave", "a port for each choice"])
def test_a_terminal_port_gets_the_bytes_untranslated_and_lets_go_at_once(line_at, program, keys, sent):
    """A terminal gets raw output. Closing one with nothing queued must not
    wait: labellpt closes its port after every choice."""
    line = line_at(program)
    result = run_piped(program, keys, timeout=10)
    assert (line.received(), result.returncode) == (sent, 0)
    assert result.seconds < 1


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
