"""Choices 3, 4 and 8: the number prompts, their retries and the commands sent."""

import pytest

from support.programs import run_piped
from support.screens import BANNER, GOODBYE, MENU, PAGE_MODE, sends, shows


@pytest.mark.parametrize(
    "keys, choice, numbers, retried",
    [
        (b"3\n12\n", 3, {"darkness": 12}, ()),
        (b"3\nabc\n12\n", 3, {"darkness": 12}, ("darkness",)),
        (b"4\n406\n", 4, {"width": 406}, ()),
        (b"4\nabc\n406\n", 4, {"width": 406}, ("width",)),
        (b"8\n609\n51\n0\n", 8, {"distance": 609, "thickness": 51, "offset": 0}, ()),
        (b"8\n710\n51\n-x\n-45\n", 8, {"distance": 710, "thickness": 51, "offset": -45}, ("offset",)),
        (b"8\n710\nx\n51\n125\n", 8, {"distance": 710, "thickness": 51, "offset": 125}, ("thickness",)),
        # "2.5" gives the thickness 2 and leaves ".5" for the offset prompt to reject.
        (b"8\nabc\n1\n2.5\n-2147483648\n", 8, {"distance": 1, "thickness": 2, "offset": -2147483648},
         ("distance", "offset")),
    ],
    ids=["darkness", "darkness retried", "width", "width retried",
         "offset zero", "offset retried", "thickness retried", "most negative offset"],
)
def test_number_choices_send_what_was_entered(lpt1, keys, choice, numbers, retried):
    lpt1.make_file()
    result = run_piped("labellpt", keys + b"9\n")
    menu = MENU["labellpt"]
    assert result.stdout == BANNER["labellpt"] + menu + shows(choice, numbers, retried) + menu + GOODBYE
    assert (lpt1.received(), result.returncode) == (sends(choice, numbers), 0)


# A whole session in steps: the keys of each step and the bytes it completes.
SESSION = [(b"1\n", sends(1)), (b"7\n", PAGE_MODE), (b"3\n", b""), (b"12\n", sends(3, {"darkness": 12})),
           (b"4\n", b""), (b"406\n", sends(4, {"width": 406})), (b"8\n", b""), (b"609\n", b""), (b"51\n", b""),
           (b"-", b""), (b"45\n", sends(8, {"distance": 609, "thickness": 51, "offset": -45})), (b"9\n", b"")]


@pytest.mark.parametrize("steps", [2, 3, 5, 7, 8, 9, 10],
                         ids=["menu", "darkness", "width", "distance", "thickness", "offset", "after a sign"])
@pytest.mark.parametrize("program, lead", [("labellpt", b""), ("labelcom", b"2\n")], ids=["labellpt", "labelcom"])
def test_input_ending_at_a_prompt_ends_the_run(port_of, program, lead, steps):
    """The run stops where the keys stop: no retries, earlier commands all sent."""
    port = port_of(program).make_file()
    whole = run_piped(program, lead + b"".join(keys for keys, _ in SESSION))
    port.make_file()
    result = run_piped(program, lead + b"".join(keys for keys, _ in SESSION[:steps]), timeout=5)
    assert whole.stdout.startswith(result.stdout)
    assert (port.received(), result.returncode) == (b"".join(sent for _, sent in SESSION[:steps]), 0)
    assert result.seconds < 1
