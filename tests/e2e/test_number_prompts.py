"""Choices 3, 4 and 8: the number prompts, their retries and the commands sent."""

import pytest

from conftest import empty_port_of, run_piped
from screens import GOODBYE, PARALLEL_BANNER, PARALLEL_MENU, black_mark, darkness, label_width


@pytest.mark.parametrize(
    "keys, dialogue, sent",
    [
        (b"3\n12\n", darkness(12), b"D12\r\n"),
        (b"3\nabc\n12\n", darkness(12, retried=("darkness",)), b"D12\r\n"),
        (b"4\n406\n", label_width(406), b"q406\r\n"),
        (b"4\nabc\n406\n", label_width(406, retried=("width",)), b"q406\r\n"),
        (b"8\n609\n51\n0\n", black_mark(609, 51, 0), b"Q609,B51+0\r\n"),
        (b"8\n710\n51\n-x\n-45\n", black_mark(710, 51, -45, retried=("offset",)), b"Q710,B51-45\r\n"),
        (b"8\n710\nx\n51\n125\n", black_mark(710, 51, 125, retried=("thickness",)), b"Q710,B51+125\r\n"),
        # "2.5" gives the thickness 2 and leaves ".5" for the offset prompt to reject.
        (b"8\nabc\n1\n2.5\n-2147483648\n", black_mark(1, 2, -2147483648, retried=("distance", "offset")),
         b"Q1,B2-2147483648\r\n"),
    ],
    ids=["darkness", "darkness retried", "width", "width retried",
         "offset zero", "offset retried", "thickness retried", "most negative offset"],
)
def test_number_choices_send_what_was_entered(lpt1, keys, dialogue, sent):
    lpt1.make_file()
    result = run_piped("labellpt", keys + b"9\n")
    assert result.stdout == PARALLEL_BANNER + PARALLEL_MENU + dialogue + PARALLEL_MENU + GOODBYE
    assert (lpt1.received(), result.returncode) == (sent, 0)


# A whole session in steps: the keys of each step and the bytes it completes.
SESSION = [(b"1\n", b"U\r\n"), (b"7\n", b"\x1bVRT2"), (b"3\n", b""), (b"12\n", b"D12\r\n"), (b"4\n", b""),
           (b"406\n", b"q406\r\n"), (b"8\n", b""), (b"609\n", b""), (b"51\n", b""), (b"-", b""),
           (b"45\n", b"Q609,B51-45\r\n"), (b"9\n", b"")]


@pytest.mark.parametrize("steps", [2, 3, 5, 7, 8, 9, 10],
                         ids=["menu", "darkness", "width", "distance", "thickness", "offset", "after a sign"])
@pytest.mark.parametrize("program, lead", [("labellpt", b""), ("labelcom", b"2\n")], ids=["labellpt", "labelcom"])
def test_input_ending_at_a_prompt_ends_the_run(request, program, lead, steps):
    """The run stops where the keys stop: no retries, earlier commands all sent."""
    port = empty_port_of(request, program)
    whole = run_piped(program, lead + b"".join(keys for keys, _ in SESSION))
    port.make_file()
    result = run_piped(program, lead + b"".join(keys for keys, _ in SESSION[:steps]), timeout=5)
    assert whole.stdout.startswith(result.stdout)
    assert (port.received(), result.returncode) == (b"".join(sent for _, sent in SESSION[:steps]), 0)
    assert result.seconds < 1
