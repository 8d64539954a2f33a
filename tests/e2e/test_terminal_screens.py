"""What the operator sees in a real terminal, rendered by a terminal emulator."""

import pexpect

from support.programs import wait_until
from support.screens import BANNER, CLEAR, GOODBYE, MENU_LINES, PAUSE, TITLE, sends, shows

MENU_END = MENU_LINES[-1] + "\r\n\r\n"
QUESTION_END = BANNER["labelcom"].decode().splitlines()[-1] + "\r\n"
PAUSE_TEXT = PAUSE.decode().rstrip("\n")


def test_configuration_label_confirmation_tops_the_cleared_screen(lpt1, terminal_run):
    lpt1.make_file()
    run = terminal_run("labellpt")
    run.child.expect_exact(MENU_END)
    run.child.sendline("1")
    run.child.expect_exact(MENU_END)
    confirmation = shows(1).split(CLEAR)[-1].decode()
    expected = [confirmation, "", TITLE, "", "", *MENU_LINES, ""]
    assert run.lines()[: len(expected)] == expected, bytes(run.raw)
    run.child.sendline("9")
    assert run.exit_status() == 0
    assert run.lines()[len(expected):][:2] == ["9", GOODBYE.decode()], bytes(run.raw)
    assert lpt1.received() == sends(1)


def test_serial_preparation_waits_for_single_keys(line_at, terminal_run):
    line_at("labelcom")
    run = terminal_run("labelcom")
    run.child.expect_exact(QUESTION_END)
    run.child.sendline("1")
    run.child.expect_exact(PAUSE_TEXT)
    assert run.child.expect_exact([PAUSE_TEXT, pexpect.TIMEOUT], timeout=0.5) == 1, "the pause did not wait"
    # A key that comes before the switch would be echoed.
    assert wait_until(run.in_single_key_mode)
    run.child.send("k")
    run.child.expect_exact(PAUSE_TEXT)
    assert [line for line in run.lines() if line][-2:] == [PAUSE_TEXT.rstrip()] * 2, bytes(run.raw)
    assert wait_until(run.in_single_key_mode)
    run.child.send("k")
    run.child.expect_exact(MENU_END)
    expected = ["", "", TITLE, "", *MENU_LINES, ""]
    assert run.lines()[: len(expected)] == expected, bytes(run.raw)
    # The terminal is back to lines with echo: the answer shows below the menu.
    run.child.sendline("0")
    assert run.exit_status() == 0
    assert run.lines()[len(expected)] == "0", bytes(run.raw)
