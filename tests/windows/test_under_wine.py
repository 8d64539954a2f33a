"""The Windows executables: what they import, and scripted runs under wine
held against the piped POSIX runs' texts and port bytes."""

import subprocess

import pytest

from conftest import ARCHITECTURES, executable, on_windows_console, screens

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "user32.dll", "advapi32.dll"}

# Page mode goes out at its cycle's end on LPT1 and in front of the next
# command on COM1: the same bytes either way.
EVERY_COMMAND = b"U\r\nxa\r\nD12\r\nq406\r\nQ150,024\r\nxa\r\nOVRT1\r\n\x1bVRT2Q609,B51-45\r\n"


def every_choice_dialogue(menu: bytes, tear_off: bytes) -> bytes:
    one_step = screens.ONE_STEP_CHOICES
    shown = [one_step[1][0], one_step[2][0], screens.darkness(12), screens.label_width(406),
             one_step[5][0], one_step[6][0], one_step[7][0], screens.black_mark(609, 51, -45, tear_off=tear_off)]
    return menu + menu.join(shown) + menu


# labelcom is asked to prepare its port: "pause", "mode", "pause", "cls".
RUNS = {
    "labellpt": ("lpt1", b"", screens.PARALLEL_BANNER
                 + every_choice_dialogue(screens.PARALLEL_MENU, screens.PARALLEL_TEAR_OFF) + screens.GOODBYE),
    "labelcom": ("com1", b"1\n", screens.SERIAL_BANNER + screens.PAUSE + screens.PAUSE + screens.CLEAR
                 + every_choice_dialogue(screens.SERIAL_MENU, b"the black line where you want the tear off")
                 + screens.CLEAR),
}


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
@pytest.mark.parametrize("architecture", ARCHITECTURES)
def test_imports_only_system_dlls(program, architecture):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(executable(program, architecture))],
                          capture_output=True, text=True, check=True).stdout
    imported = {line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line}
    assert imported and imported <= SYSTEM_DLLS


@pytest.mark.parametrize("program", RUNS)
def test_every_choice_matches_the_posix_run(ports, architecture, program):
    port, lead, dialogue = RUNS[program]
    output, status = ports.run(program, lead + screens.EVERY_CHOICE, architecture)
    assert output == on_windows_console(dialogue)
    assert (ports.received(port), status) == (EVERY_COMMAND, 0)


@pytest.mark.parametrize("program, choices, lines", [("labellpt", 8, 9), ("labelcom", 7, 8)])
def test_port_that_refuses_writes_leaves_the_dialogue_unchanged(ports, program, choices, lines):
    """Wine opens a port whose target is missing and then refuses every write:
    each choice that sends a line says so once (labelcom's page mode goes out
    with the next choice), and the summary counts every command line."""
    port, lead, dialogue = RUNS[program]
    ports.ports[port].unlink()
    run = ports.launch(program, lead + screens.EVERY_CHOICE)
    assert (run.output, run.status) == (on_windows_console(dialogue), 1)
    assert not ports.ports[port].exists()
    said = [line for line in run.errors.decode().splitlines() if line.startswith(program + ": ")]
    name = port.upper()
    assert [line.startswith(f"{program}: the printer on {name} did not get the last command: ") for line in said] \
        == [True] * choices + [False]
    assert said[-1] == f"{program}: {lines} of {lines} command lines did not reach the printer on {name}"


def test_page_mode_goes_out_at_the_close(ports):
    ports.run("labelcom", b"2\n7\n9\n")
    assert ports.received("com1") == b"\x1bVRT2"
