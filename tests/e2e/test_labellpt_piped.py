"""labellpt with its keys piped in and its port a regular file."""

from conftest import run_piped
from screens import CLEAR, PARALLEL_BANNER, menu

GOODBYE = b"You have chosen to close the program"


def test_one_step_choices_send_their_bytes_and_confirm(lpt1):
    lpt1.make_file()
    result = run_piped("labellpt", b"1\n2\n5\n6\n7\n9\n")
    m = menu(2)
    assert result.stdout == (
        PARALLEL_BANNER
        + m + b"\n" + CLEAR + b"****>>>A configuration page should have printed<<<****\n"
        + m[1:] + b"\n" + CLEAR + b"***The Printer Should have calibrated***\n"
        + m[1:] + b"This choice will turn the gap sensor on,\nIt will calibrate automatically after turning the\n"
        b"sensor on\n\n" + CLEAR + b"Your gap sensor should now be enabled and the printer\nshould be calibrated\n"
        + m[1:] + b"You have chosen to change from page mode to line mode\n" + CLEAR
        + b"Your printer has been given the command to change to line mode\n"
        + m[1:] + CLEAR + b"You have chosen to change from line mode to page mode\n\n"
        b"Your printer should now be in page mode\n"
        + m + GOODBYE
    )
    assert lpt1.received() == b"U\r\nxa\r\nQ150,024\r\nxa\r\nOVRT1\r\n\x1bVRT2"
    assert result.returncode == 0
