"""Ports chosen at run time (LABELLPT_PORT, LABELCOM_PORT) and what the
operator is told when a port is missing, refused or stalled, under wine: its
registry leads COM10 and LPT2 to files, LPT3 to a FIFO. The programs run in a
folder whose "mode" is a batch file that only notes its command line."""

import os
import subprocess

import pytest

from conftest import WINE64, executable, on_windows_console
from support.expectations import ENTRIES
from support.pipes import fill, read_all
from support.screens import EVERY_CHOICE_SENT, MENU, sends
from test_under_wine import every_choice_run

STALL_WORDS = ENTRIES["port stalled"]


@pytest.fixture
def folder(tmp_path):
    (tmp_path / "mode.bat").write_bytes(b"@echo %* >>mode-lines\r\n")
    return tmp_path


def mode_lines(folder):
    noted = folder / "mode-lines"
    return [line.strip() for line in noted.read_bytes().splitlines()] if noted.exists() else []


def every_choice(wine, program, environment, folder):
    _, keys, dialogue = every_choice_run(program)
    run = wine.launch(program, keys, environment, folder)
    assert run.output == on_windows_console(dialogue)
    return run


def received(wine):
    return {name: wine.received(name) for name in wine.ports if wine.received(name)}


NOT_COMN = b"the mode command prepares only a port named COMn"


@pytest.mark.parametrize("program, value, port, mode, errors", [
    ("labelcom", None, "com1", [b"com1:96,N,8,1"], b""),
    ("labelcom", "COM10", "com10", [b"COM10:96,N,8,1"], b""),
    ("labelcom", "com10", "com10", [b"COM10:96,N,8,1"], b""),
    ("labelcom", r"\\.\COM10", "com10", [], b"labelcom: mode com1: \\\\.\\COM10: " + NOT_COMN),
    ("labelcom", "LPT2", "lpt2", [], b"labelcom: mode com1: LPT2: " + NOT_COMN),
    ("labellpt", None, "lpt1", [], b""),
    ("labellpt", "", "lpt1", [], b""),
    ("labellpt", "lpt2", "lpt2", [], b""),
    ("labellpt", r"\\.\LPT2", "lpt2", [], b""),
])
def test_the_variable_leads_to_the_port_and_mode_prepares_that_one(ports, folder, program, value, port, mode, errors):
    variable = {"labelcom": "LABELCOM_PORT", "labellpt": "LABELLPT_PORT"}[program]
    run = every_choice(ports, program, {} if value is None else {variable: value}, folder)
    assert (received(ports), run.status) == ({port: EVERY_CHOICE_SENT}, 0)
    assert (mode_lines(folder), run.errors) == (mode, errors + b"\r\n" if errors else b"")


@pytest.mark.parametrize("program, variable", [("labelcom", "LABELCOM_PORT"), ("labellpt", "LABELLPT_PORT")])
@pytest.mark.parametrize("value", ["COM1 & echo ran > marker & rem", "LPT1|echo ran>marker"])
def test_a_value_that_is_no_port_name_is_refused_and_runs_nothing(ports, folder, program, variable, value):
    run = every_choice(ports, program, {variable: value}, folder)
    assert not (folder / "marker").exists()
    assert (received(ports), mode_lines(folder), run.status) == ({}, [], 1)
    refusal = rf"{program}: {variable}={value} is not a port name: use COMn, LPTn or \\.\name"
    sent = {"labelcom": 8, "labellpt": 9}[program]
    assert run.errors.decode().splitlines() == [
        refusal, f"{program}: {sent} of {sent} command lines did not reach the printer on {value}"]


def test_a_missing_port_is_reported_with_the_ports_there_are(ports, folder):
    run = every_choice(ports, "labellpt", {"LABELLPT_PORT": "LPT7"}, folder)
    lines = run.errors.decode().splitlines()
    assert (run.status, received(ports)) == (1, {})
    assert lines[0].startswith("labellpt: the printer on LPT7 did not get the last command: LPT7 does not exist; "
                               "printer ports here: LPT1 (set LABELLPT_PORT=LPT1), LPT2 (set LABELLPT_PORT=LPT2)")
    assert "COM10 (set LABELLPT_PORT=COM10)" in lines[0]
    assert lines[-1] == "labellpt: 9 of 9 command lines did not reach the printer on LPT7"


def test_a_port_another_program_holds_is_said_so(ports, folder):
    """A labelcom led to LPT1 holds it from its first choice's first byte to
    the end of its run, here while its second menu waits for a key."""
    holder = subprocess.Popen([WINE64, str(executable("labelcom", "x86_64"))], env={**ports.env, "LABELCOM_PORT": "LPT1"},
                              cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        holder.stdin.write(b"2\n1\n")
        holder.stdin.flush()
        shown, menu = b"", on_windows_console(MENU["labelcom"])
        while shown.count(menu) < 2:
            shown += os.read(holder.stdout.fileno(), 4096) or pytest.fail("the first labelcom ended")
        run = ports.launch("labellpt", b"2\n9\n", folder=folder)
    finally:
        holder.communicate(b"9\n", timeout=30)
    assert (run.status, received(ports)) == (1, {"lpt1": sends(1)})
    assert run.errors.decode().splitlines()[0].endswith(
        ": another program (for instance the print spooler) holds the port")


def test_a_printer_that_takes_nothing_costs_one_wait(ports, folder):
    """Choice 5 sends two lines into a parallel port that takes nothing: the
    first waits out the bound, the second is given up at once, and nothing
    the program gave up reaches the port later."""
    keys = b"5\n9\n"
    working = ports.launch("labellpt", keys, folder=folder)
    reader, filler = fill(ports.stuck_port)
    try:
        run = ports.launch("labellpt", keys, {"LABELLPT_PORT": "LPT3"}, folder)
        assert (run.output, run.status) == (working.output, 1)
        assert 4.5 < run.seconds < 7
        assert run.errors.splitlines() == [
            b"labellpt: the printer on LPT3 did not get the last command: " + STALL_WORDS,
            b"labellpt: 2 of 2 command lines did not reach the printer on LPT3"]
        assert read_all(reader) == filler
    finally:
        os.close(reader)
