"""Printers on the network (socket://HOST[:PORT]), against servers on the
loopback addresses: every byte arrives, one connection from the first byte a port
is handed (each menu cycle that sends for labellpt, the run for labelcom), and a printer
that refuses, does not answer or breaks off is reported with its own words,
standard output unchanged and no wait beyond the patience. Names other than
localhost come from private hosts files, and a resolver that never answers
from a network namespace of the test's own (loopback.private_names)."""

import functools
import socket
import time

import pytest

from support import loopback
from support.expectations import fill
from support.programs import run_piped
from support.screens import EVERY_CHOICE, EVERY_CHOICE_SENT, MENU, sends
from test_faults import LEAD, ends_well, said, spawn_piped, working_run

VARIABLE = {"labellpt": "LABELLPT_PORT", "labelcom": "LABELCOM_PORT"}
# The cycles of EVERY_CHOICE that send: leaving (9) reaches no printer.
CYCLES = 8
NAME = loopback.NAME


def report(program, where, words, values=None):
    return (f"{program}: the printer on {where} did not get the last command: "
            + fill(words, values).decode())


@pytest.mark.parametrize("host", loopback.HOSTS)
@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_every_choice_arrives_byte_for_byte(port_of, monkeypatch, program, host):
    working, _ = working_run(port_of(program), program, LEAD[program] + EVERY_CHOICE)
    printer = loopback.Printer(host)
    monkeypatch.setenv(VARIABLE[program], printer.value)
    result = run_piped(program, LEAD[program] + EVERY_CHOICE)
    connections = printer.stop()
    assert (result.stdout, result.stderr, result.returncode) == (working.stdout, b"", 0)
    assert b"".join(connections) == EVERY_CHOICE_SENT
    assert len(connections) == {"labellpt": CYCLES, "labelcom": 1}[program]


def test_preparing_a_network_port_is_said_and_the_run_goes_on(monkeypatch):
    printer = loopback.Printer("127.0.0.1")
    monkeypatch.setenv("LABELCOM_PORT", printer.value)
    result = run_piped("labelcom", b"1\n1\n9\n")
    assert (printer.stop(), result.returncode) == ([sends(1)], 0)
    assert result.stderr.decode().splitlines() == [
        f"labelcom: mode com1: {printer.value}: " + fill("network port has no line settings").decode()]


def menus_come_within_the_patience(child):
    """labellpt's first menu comes at once; a choice's port that never
    answers gives its menu back once the patience is out, and no later."""
    for keys, wait in ((b"", (0, 1)), (b"1\n", (4.5, 6)), (b"2\n", (4.5, 6))):
        start = time.monotonic()
        child.send(keys)
        child.expect_exact(MENU["labellpt"], timeout=8)
        assert wait[0] <= time.monotonic() - start < wait[1]


@pytest.mark.parametrize("host", loopback.HOSTS)
def test_a_printer_that_does_not_answer_gives_each_menu_back_within_the_patience(monkeypatch, host):
    """The listener's queue is full with the test's own connection, so the
    kernel leaves the program's handshake unanswered. A menu that follows no
    choice, and leaving, wait for no printer at all."""
    server = loopback.listener(host, backlog=0)
    with socket.create_connection(server.getsockname()[:2]):
        monkeypatch.setenv("LABELLPT_PORT", loopback.value(server))
        child = spawn_piped("labellpt")
        menus_come_within_the_patience(child)
        start = time.monotonic()
        child.send(b"9\n")
        assert ends_well(child, status=1) and time.monotonic() - start < 1
    port = server.getsockname()[1]
    timed_out = report("labellpt", loopback.value(server), "network printer did not answer", {"host": host.encode(), "port": port})
    assert said(child) == [timed_out] * 2 + [f"labellpt: 2 of 2 command lines did not reach the printer on "
                                             f"{loopback.value(server)}"]
    server.close()


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_closed_port_is_reported_at_once(monkeypatch, program):
    server = loopback.listener("127.0.0.1")
    closed, port = loopback.value(server), server.getsockname()[1]
    server.close()
    monkeypatch.setenv(VARIABLE[program], closed)
    result = run_piped(program, LEAD[program] + b"1\n9\n")
    assert (result.returncode, result.seconds < 1) == (1, True)
    assert result.stderr.decode().splitlines()[0] == report(program, closed, "network printer refused", {"port": port})


def test_a_printer_that_breaks_off_mid_run_is_reported(monkeypatch):
    server = loopback.listener("::1")
    server.settimeout(5)
    monkeypatch.setenv("LABELCOM_PORT", loopback.value(server))
    child = spawn_piped("labelcom")
    child.send(b"2\n1\n")
    connection, _ = server.accept()
    connection.settimeout(5)
    assert connection.recv(100) == sends(1)
    loopback.reset(connection)
    child.expect_exact(MENU["labelcom"])
    child.send(b"2\n9\n")
    assert ends_well(child, status=1)
    assert said(child) == [report("labelcom", loopback.value(server), "network printer broke off"),
                           f"labelcom: 1 of 2 command lines did not reach the printer on {loopback.value(server)}"]
    server.close()


@pytest.mark.parametrize("program, value, words", [
    ("labelcom", "socket://h;touch marker", fill("network value refused", {
        "value": b"socket://h;touch marker", "reason": fill("not a host name")}).replace(b"LABELLPT", b"LABELCOM")),
], ids=["shell syntax"])
def test_a_value_that_names_no_usable_port_is_said_once(tmp_path, monkeypatch, program, value, words):
    monkeypatch.setenv(VARIABLE[program], value)
    monkeypatch.chdir(tmp_path)
    result = run_piped(program, LEAD[program] + b"1\n2\n9\n")
    lines = result.stderr.decode().splitlines()
    assert (lines[0], lines.count(lines[0]), result.returncode) == (f"{program}: " + words.decode(), 1, 1)
    assert list(tmp_path.iterdir()) == []


@pytest.fixture
def names(tmp_path):
    """The command that gives a program private names (loopback.private_names)."""
    loopback.need_private_names()
    return functools.partial(loopback.private_names, tmp_path)


def test_localhost_is_looked_up_and_reached(monkeypatch):
    printer = loopback.Printer("127.0.0.1")
    monkeypatch.setenv("LABELLPT_PORT", f"socket://localhost:{printer.server.getsockname()[1]}")
    result = run_piped("labellpt", b"1\n9\n")
    assert (result.stderr, result.returncode, b"".join(printer.stop())) == (b"", 0, sends(1))


def test_a_name_whose_first_address_never_answers_is_reached_at_the_next(names, monkeypatch):
    """The first address the name resolves to leaves the handshake unanswered
    (its listener's queue is full); the next is tried 250 ms later."""
    command = names(loopback.TWO_ADDRESSES)
    with loopback.first_address_dead(command, NAME) as printer:
        monkeypatch.setenv("LABELLPT_PORT", f"socket://{NAME}:{printer.server.getsockname()[1]}")
        result = run_piped("labellpt", b"1\n9\n", command=command)
    assert (result.stderr, result.returncode, b"".join(printer.stop())) == (b"", 0, sends(1))
    assert 0.25 < result.seconds < 5, "the dead address is waited on for a moment, not for the patience"


def test_a_name_no_one_knows_is_said_at_once(names, monkeypatch):
    monkeypatch.setenv("LABELLPT_PORT", f"socket://{NAME}")
    result = run_piped("labellpt", b"1\n9\n", command=names(""))
    unknown = report("labellpt", f"socket://{NAME}:9100", "unknown host name", {"host": NAME.encode()})
    assert (result.stderr.decode().splitlines()[0], result.returncode) == (unknown, 1)
    assert result.seconds < 2, "at once, however loaded the machine: far below the patience"


def test_a_resolver_that_never_answers_gives_the_menu_back_within_the_patience(names, monkeypatch):
    monkeypatch.setenv("LABELLPT_PORT", f"socket://{NAME}")
    child = spawn_piped("labellpt", names("", silent_resolver=True))
    child.expect_exact(MENU["labellpt"], timeout=8)
    start = time.monotonic()
    child.send(b"1\n")
    child.expect_exact(MENU["labellpt"], timeout=8)
    assert 4.5 < time.monotonic() - start < 6
    child.send(b"9\n")
    assert ends_well(child, status=1)
    unresolved = report("labellpt", f"socket://{NAME}:9100", "name did not resolve", {"host": NAME.encode()})
    assert said(child)[0] == unresolved
