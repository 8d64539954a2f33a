"""Printers on the network under wine's Winsock, against servers on the
loopback addresses that each test starts and stops."""

import pytest

from support import loopback
from support.expectations import fill
from support.screens import EVERY_CHOICE_SENT, sends
from test_port_choice import every_choice, folder  # noqa: F401 (a fixture)

VARIABLE = {"labellpt": "LABELLPT_PORT", "labelcom": "LABELCOM_PORT"}


@pytest.mark.parametrize("host", loopback.HOSTS)
@pytest.mark.parametrize("program, connections", [("labellpt", 8), ("labelcom", 1)])
def test_every_choice_arrives_one_connection_from_the_first_byte(ports, folder, program, connections, host):
    printer = loopback.Printer(host)
    run = every_choice(ports, program, {VARIABLE[program]: printer.value}, folder)
    received = printer.stop()
    # labelcom's run answers 1: preparing a network port is said, and the run goes on.
    said = f"labelcom: mode com1: {printer.value}: ".encode() + fill("network port has no line settings") + b"\r\n"
    assert (b"".join(received), len(received), run.status) == (EVERY_CHOICE_SENT, connections, 0)
    assert run.errors == (said if program == "labelcom" else b"")


def test_a_closed_port_is_reported_in_the_same_words(ports, folder):
    server = loopback.listener("127.0.0.1")
    closed, port = loopback.value(server), server.getsockname()[1]
    server.close()
    run = ports.launch("labellpt", b"1\n9\n", {"LABELLPT_PORT": closed}, folder)
    said = f"labellpt: the printer on {closed} did not get the last command: ".encode()
    assert (run.status, run.errors.splitlines()[0]) == (1, said + fill("network printer refused", {"port": port}))


def test_a_name_whose_first_address_never_answers_is_reached_at_the_next(ports, folder, tmp_path):
    loopback.need_private_names()
    command = loopback.private_names(tmp_path, loopback.TWO_ADDRESSES)
    with loopback.first_address_dead(command, loopback.NAME) as printer:
        value = f"socket://{loopback.NAME}:{printer.server.getsockname()[1]}"
        run = ports.launch("labellpt", b"1\n9\n", {"LABELLPT_PORT": value}, folder, command=command)
    assert (run.errors, run.status, b"".join(printer.stop())) == (b"", 0, sends(1))
    assert 0.25 < run.seconds < 5
