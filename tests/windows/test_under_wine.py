"""The Windows executables: what they import, and scripted runs under wine
held against the piped POSIX runs' texts and port bytes."""

import re
import subprocess

import pytest

from conftest import ARCHITECTURES, executable, on_windows_console
from support.expectations import ENTRIES, fill
from support.screens import (BANNER, CLEAR, EVERY_CHOICE, EVERY_CHOICE_SENT, LEAVING, PAGE_MODE, PAUSE,
                             every_choice_dialogue)

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "user32.dll", "advapi32.dll", "ws2_32.dll",
               "winspool.drv"}

# labelcom is asked to prepare its port: "pause", "mode", "pause", "cls".
# Page mode goes out at its cycle's end on LPT1 and in front of the next
# command on COM1: the same bytes either way.
RUNS = {
    "labellpt": ("lpt1", b"", BANNER["labellpt"]),
    "labelcom": ("com1", b"1\n", BANNER["labelcom"] + PAUSE + PAUSE + CLEAR),
}


def every_choice_run(program):
    port, lead, opening = RUNS[program]
    return port, lead + EVERY_CHOICE, opening + every_choice_dialogue(program) + LEAVING[program]


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
@pytest.mark.parametrize("architecture", ARCHITECTURES)
def test_imports_only_system_dlls(program, architecture):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(executable(program, architecture))],
                          capture_output=True, text=True, check=True).stdout
    imported = {line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line}
    assert imported and imported <= SYSTEM_DLLS


@pytest.mark.parametrize("program", RUNS)
def test_every_choice_matches_the_posix_run(ports, architecture, program):
    port, keys, dialogue = every_choice_run(program)
    output, status = ports.run(program, keys, architecture)
    assert output == on_windows_console(dialogue)
    assert (ports.received(port), status) == (EVERY_CHOICE_SENT, 0)


@pytest.mark.parametrize("program, choices, lines", [("labellpt", 8, 9), ("labelcom", 7, 8)])
def test_port_that_refuses_writes_leaves_the_dialogue_unchanged(ports, program, choices, lines):
    """Wine opens a port whose target is missing and then refuses every write:
    each choice that sends a line says so once (labelcom's page mode goes out
    with the next choice), and the summary counts every command line."""
    port, keys, dialogue = every_choice_run(program)
    ports.ports[port].unlink()
    run = ports.launch(program, keys)
    assert (run.output, run.status) == (on_windows_console(dialogue), 1)
    assert not ports.ports[port].exists()
    said = [line for line in run.errors.decode().splitlines() if line.startswith(program + ": ")]
    name = port.upper()
    assert [line.startswith(f"{program}: the printer on {name} did not get the last command: ") for line in said] \
        == [True] * choices + [False]
    assert said[-1] == f"{program}: {lines} of {lines} command lines did not reach the printer on {name}"


def test_page_mode_goes_out_at_the_close(ports):
    ports.run("labelcom", b"2\n7\n9\n")
    assert ports.received("com1") == PAGE_MODE


def test_a_trace_is_written_and_never_into_a_port(ports):
    trace = ports.folder / "trace.txt"
    trace.unlink(missing_ok=True)
    untraced = ports.launch("labellpt", b"1\n9\n")
    traced = ports.launch("labellpt", b"1\n9\n", {"LABEL_TRACE": "trace.txt"})
    events = [line.split()[1] for line in trace.read_text().splitlines()]
    assert (traced.output, traced.errors, events) == (untraced.output, untraced.errors, ["start", "open", "write",
                                                                                        "drain"])
    assert re.match(r" +\d+\.\d{3} start labellpt [\d.]+ on .*Windows", trace.read_text())
    refused = ports.launch("labellpt", b"1\n9\n", {"LABEL_TRACE": "COM10"})
    said = fill("trace not written", {"program": b"labellpt", "path": b"COM10",
                                      "reason": ENTRIES["trace into a device"]})
    assert (refused.output, refused.errors, ports.received("com10")) == (untraced.output, said + b"\r\n", b"")
