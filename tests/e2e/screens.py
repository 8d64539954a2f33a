"""What the programs print, assembled as the tests expect it.

Piped runs see each screen clear as one form feed. The pieces below are what
an action prints between the menu it answers and the next menu."""

CLEAR = b"\f"
GOODBYE = b"You have chosen to close the program"
PAUSE = b"Press any key to continue . . . \n"

# Keys that make every choice once, answer each number prompt, then leave.
EVERY_CHOICE = b"1\n2\n3\n12\n4\n406\n5\n6\n7\n8\n609\n51\n-45\n9\n"

PARALLEL_BANNER = (
    b"This program is for the Parallel port only (LPT1)\n"
    b"*************************************************\n"
    b"\n"
    b"Corvane Technologies  VRT Utilities Program\n"
    b"\n\n"
)

SERIAL_BANNER = (
    b"This program is for the Serial port only (COM1)\n"
    b"*************************************************\n"
    b"The DEFAULT Serial Parameters on the printer are\n"
    b"9600, 8 data bits, 1 stop bit and No parity\n"
    b"Before running this program make sure that your\n"
    b"serial port on your PC is set up to match the\n"
    b"parameters on the printer.\n\n"
    b"Corvane Technologies  VRT Utilities Program\n\n\n"
    b"To set your serial port on your PC to 9600, 8 data bits, no \n"
    b"stop bits and No parity press 1  followed by enter, Enter the 2\n"
    b"key followed by enter if you do not want to\n"
    b"change the parameters on your serial port\n"
)

MENU_LINES = [
    "Enter 1 to Print a configuration label",
    "Enter 2 to Calibrate the printer",
    "Enter 3 to Change the darkness",
    "Enter 4 to Change the LABEL width",
    "Enter 5 to Enable the gap sensor",
    "Enter 6 to Change to Line Mode *CAUTION*",
    "Enter 7 to Change to Page Mode *CAUTION*",
    "Enter 8 to Enable the black mark sensor",
    "Enter 9  to exit",
    "Enter your choice now 1,2,3,4,5,6,7,8,or 9",
    "Any other choice will exit you out of the program",
]


def menu(blank_lines_after_title: int) -> bytes:
    lines = "\n".join(MENU_LINES)
    return b"\n\nThese are your 9 choices\n" + b"\n" * blank_lines_after_title + lines.encode() + b"\n\n"


PARALLEL_MENU = menu(2)
SERIAL_MENU = menu(1)

CONFIGURATION_LABEL = b"****>>>A configuration page should have printed<<<****"

# What choices 1, 2, 5, 6 and 7 print, and the bytes each sends.
ONE_STEP_CHOICES = {
    1: (b"\n" + CLEAR + CONFIGURATION_LABEL, b"U\r\n"),
    2: (b"\n" + CLEAR + b"***The Printer Should have calibrated***", b"xa\r\n"),
    5: (
        b"This choice will turn the gap sensor on,\nIt will calibrate automatically after turning the\n"
        b"sensor on\n\n" + CLEAR + b"Your gap sensor should now be enabled and the printer\nshould be calibrated",
        b"Q150,024\r\nxa\r\n",
    ),
    6: (
        b"You have chosen to change from page mode to line mode\n" + CLEAR
        + b"Your printer has been given the command to change to line mode",
        b"OVRT1\r\n",
    ),
    7: (
        CLEAR + b"You have chosen to change from line mode to page mode\n\nYour printer should now be in page mode\n",
        b"\x1bVRT2",
    ),
}

RETRY = {
    "darkness": b"Invalid input.\n\aNo decimals, WHOLE NUMBER only...Enter an integer: ",
    "width": b"invalid input.\n\aWHOLE NUMBER ONLY    Enter an integer: ",
    "distance": b"invalid input.\n\aWHOLE NUMBER ONLY    Enter an integer: ",
    "thickness": b"invalid input.\n\aEnter an integer \nNo Decimals...WHOLE NUMBER ONLY: ",
    "offset": b"invalid input.\n\aNO DECIMALS ONLY WHOLE SIGNED NUMBERS (-34,56,-45 etc.)\n"
    b"Enter a signed integer only (Whole numbers): ",
}

PARALLEL_TEAR_OFF = b"the black line to where you want the tear off"


def _retry(prompt: str, retried: tuple) -> bytes:
    return RETRY[prompt] if prompt in retried else b""


def darkness(value: int, retried: tuple = ()) -> bytes:
    return (
        b"Enter the darkness setting \n" + _retry("darkness", retried)
        + CLEAR + b"The Darkness Setting has been changed to %d" % value
    )


def label_width(value: int, retried: tuple = ()) -> bytes:
    return (
        CLEAR + b"You have chosen to redefine the label width\n\n"
        b"Enter the number of dots that corresponds to\n"
        b"the width of your label\n"
        b"example: for a 2 inch wide label, if your printer\n"
        b"is 203 dots/inch  the number of dots would be 406,\n"
        b"If your printer\n"
        b"is 300 dots per inch, for a 2 inch wide label, the\n"
        b"number of dots would be 600. WHOLE NUMBERS ONLY NO DECIMALS\n\n"
        b"Enter the number of dots for your label width now\n" + _retry("width", retried)
        + CLEAR + b"Your label width has been changed to %d dots" % value
    )


def black_mark(distance: int, thickness: int, offset: int, retried: tuple = (),
               tear_off: bytes = PARALLEL_TEAR_OFF) -> bytes:
    return (
        CLEAR + b"You have chosen to set the printer to use a\nblack mark sensor\n\n"
        b"Enter the distance in dots\n"
        b"(203 dots =1 inch in 203 dots per inch printers\n"
        b"300 dots=1 inch in 300 dots per inch printers)\n"
        b"from the end of one black mark to the beginning of\n"
        b"the next black mark (example 203dpi printer - 3 inches\n"
        b"would be 609)  For 3.5 inches with a 203 dpi printer\n"
        b"you would enter 710.     WHOLE NUMBERS ONLY NO DECIMALS\n"
        b"Enter this value now\n\n" + _retry("distance", retried)
        + CLEAR + b"\n\nYou entered the distance between black marks is %d dots\n\n" % distance
        + b"Next enter the thickness of the black line in dots..\n"
        b"Example for a 203 dots per inch printer 1/4 (.25) inch\n"
        b"would be 51 dots   (203/4 = 51)\n"
        b"WHOLE NUMBERS ONLY, (NO DECIMALS)\n"
        b"Enter the thickness of the black line in dots now...\n" + _retry("thickness", retried)
        + CLEAR + b"You entered the thickness of the black\nline is %d dots\n\n\n" % thickness
        + b"Next enter the offset in dots\nThe offset is the distance from\n" + tear_off + b"\n"
        b"or the perforation\n"
        b"This number can be a positive or negative number \n"
        b"OR Zero (0) depending upon\n"
        b"the tear off position\n\n\n"
        b" Examples include :  -45,15,125,-87\n"
        b"NO DECIMALS, Whole Numbers only\n"
        b"Enter the Offset in dots now\n" + _retry("offset", retried)
        + CLEAR + b"\n" + CLEAR + b"You have set the offset to %d\n\n" % offset
        + b"You have now issued a command to enable the black mark sensor\n"
        b"Press the feed button ON THE PRINTER to test your calculations"
    )
