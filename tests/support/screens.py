"""What the programs print and send for the tests' keys, put together from
tests/expectations.txt. Piped runs see each screen clear as one form feed."""

from support.expectations import ENTRIES, fill

CLEAR = ENTRIES["screen clear"]
PAUSE = ENTRIES["pause"]
GOODBYE = ENTRIES["goodbye"]
TITLE = ENTRIES["menu title"].decode()
MENU_LINES = ENTRIES["menu choices"].decode().splitlines()
PAGE_MODE = ENTRIES["choice 7 sends"]

BANNER = {"labellpt": ENTRIES["parallel banner"], "labelcom": ENTRIES["serial banner"]}
MENU = {"labellpt": fill("parallel menu"), "labelcom": fill("serial menu")}
TEAR_OFF = {"labellpt": ENTRIES["parallel tear off"], "labelcom": ENTRIES["serial tear off"]}
# What choosing 9 shows.
LEAVING = {"labellpt": GOODBYE, "labelcom": CLEAR}

# The number prompts, as their retry texts are named.
PROMPTS = ("darkness", "width", "distance", "thickness", "offset")

# Keys that make every choice once, answer each number prompt, then leave,
# and the numbers they answer with.
EVERY_CHOICE = b"1\n2\n3\n12\n4\n406\n5\n6\n7\n8\n609\n51\n-45\n9\n"
EVERY_CHOICE_NUMBERS = {"darkness": 12, "width": 406, "distance": 609, "thickness": 51, "offset": -45}


def _values(numbers: dict, retried: tuple, program: str) -> dict:
    values = {**numbers, "tear off": TEAR_OFF[program]}
    values.update({f"{prompt} retried": ENTRIES[f"{prompt} retry"] if prompt in retried else b""
                   for prompt in PROMPTS})
    if "offset" in numbers:
        values["signed offset"] = b"%+d" % numbers["offset"]
    return values


def shows(choice: int, numbers: dict = None, retried: tuple = (), program: str = "labellpt") -> bytes:
    """What `choice` shows between its menu and the next, for the numbers
    entered; each prompt in `retried` was first answered with a non-number."""
    return fill(f"choice {choice} shows", _values(numbers or {}, retried, program))


def sends(choice: int, numbers: dict = None) -> bytes:
    return fill(f"choice {choice} sends", _values(numbers or {}, (), "labellpt"))


def every_choice_dialogue(program: str) -> bytes:
    """From the first menu to the last, for EVERY_CHOICE."""
    menu = MENU[program]
    return menu + menu.join(shows(choice, EVERY_CHOICE_NUMBERS, program=program) for choice in range(1, 9)) + menu


# What EVERY_CHOICE sends, whichever program sends it.
EVERY_CHOICE_SENT = b"".join(sends(choice, EVERY_CHOICE_NUMBERS) for choice in range(1, 9))
