"""What the operator sees in a real terminal, rendered by a terminal emulator."""

import pexpect

from screens import CONFIGURATION_LABEL, GOODBYE, MENU_LINES

TITLE = "These are your 9 choices"
MENU_END = "out of the program\r\n\r\n"
PAUSE = "Press any key to continue . . . "


def test_configuration_label_confirmation_tops_the_cleared_screen(lpt1, terminal_run):
    lpt1.make_file()
    run = terminal_run("labellpt")
    run.child.expect_exact(MENU_END)
    run.child.sendline("1")
    run.child.expect_exact(MENU_END)
    expected = [CONFIGURATION_LABEL.decode(), "", TITLE, "", "", *MENU_LINES, ""]
    assert run.lines()[: len(expected)] == expected, bytes(run.raw)
    run.child.sendline("9")
    assert run.exit_status() == 0
    assert run.lines()[len(expected):][:2] == ["9", GOODBYE.decode()], bytes(run.raw)
    assert lpt1.received() == b"U\r\n"


def test_serial_preparation_waits_for_single_keys(com1_line, terminal_run):
    run = terminal_run("labelcom")
    run.child.expect_exact("change the parameters on your serial port\r\n")
    run.child.sendline("1")
    run.child.expect_exact(PAUSE)
    assert run.child.expect_exact([PAUSE, pexpect.TIMEOUT], timeout=0.5) == 1, "the pause did not wait"
    run.child.send("k")
    run.child.expect_exact(PAUSE)
    assert [line for line in run.lines() if line][-2:] == [PAUSE.rstrip()] * 2, bytes(run.raw)
    run.child.send("k")
    run.child.expect_exact(MENU_END)
    expected = ["", "", TITLE, "", *MENU_LINES, ""]
    assert run.lines()[: len(expected)] == expected, bytes(run.raw)
    # The terminal is back to lines with echo: the answer shows below the menu.
    run.child.sendline("0")
    assert run.exit_status() == 0
    assert run.lines()[len(expected)] == "0", bytes(run.raw)
