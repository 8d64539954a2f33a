"""What the programs print, assembled as the tests expect it."""

CLEAR = b"\f"

PARALLEL_BANNER = (
    b"This program is for the Parallel port only (LPT1)\n"
    b"*************************************************\n"
    b"\n"
    b"Corvane Technologies  VRT Utilities Program\n"
    b"\n\n"
)


def menu(blank_lines_after_title: int) -> bytes:
    return (
        b"\n\nThese are your 9 choices\n"
        + b"\n" * blank_lines_after_title
        + b"Enter 1 to Print a configuration label\n"
        b"Enter 2 to Calibrate the printer\n"
        b"Enter 3 to Change the darkness\n"
        b"Enter 4 to Change the LABEL width\n"
        b"Enter 5 to Enable the gap sensor\n"
        b"Enter 6 to Change to Line Mode *CAUTION*\n"
        b"Enter 7 to Change to Page Mode *CAUTION*\n"
        b"Enter 8 to Enable the black mark sensor\n"
        b"Enter 9  to exit\n"
        b"Enter your choice now 1,2,3,4,5,6,7,8,or 9\n"
        b"Any other choice will exit you out of the program\n\n"
    )
