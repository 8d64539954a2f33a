"""Printer queues (printer:NAME) through wine's spooler, whose queues the
session's prefix leads to commands (conftest.py): one raw job per opening of
the port, and the report when a queue is missing, refuses or stalls."""

import pytest

from support.expectations import ENTRIES, fill
from support.screens import EVERY_CHOICE_NUMBERS, EVERY_CHOICE_SENT, sends
from test_port_choice import every_choice, folder  # noqa: F401 (a fixture)

DESK = "printer:Label Desk"


@pytest.mark.parametrize("program, variable", [("labellpt", "LABELLPT_PORT"), ("labelcom", "LABELCOM_PORT")])
def test_every_choice_arrives_one_job_where_the_port_is_opened(ports, folder, program, variable):
    """labellpt opens its port for each menu, labelcom once for the run; an
    opening that sends nothing (the last menu's) leaves no job."""
    run = every_choice(ports, program, {variable: DESK}, folder)
    jobs = ports.job_files()
    if program == "labellpt":
        assert jobs == [sends(choice, EVERY_CHOICE_NUMBERS) for choice in range(1, 9)]
    else:
        assert jobs == [EVERY_CHOICE_SENT]
    said = f"labelcom: mode com1: {DESK}: ".encode() + fill("printer queue has no line settings") + b"\r\n"
    assert (run.status, run.errors) == (0, said if program == "labelcom" else b"")


@pytest.mark.parametrize("value, problem, seconds", [
    ("printer:Nowhere", fill("no such printer queue", {
        "name": b"Nowhere", "printers": b"printer:Label Desk, printer:Refusing, printer:Slow"}), 2),
    ("printer:Refusing", ENTRIES["spooler did not take the job"], 2),
    ("printer:Slow", ENTRIES["spooler gave no answer"], 9),
])
def test_a_queue_that_does_not_take_the_job_is_reported(ports, folder, value, problem, seconds):
    """The slow queue ends its job 7 s late: the drain gives up after 5 s,
    and wine holds the exit until its spooler call is back."""
    keys = b"1\n9\n"
    working = ports.launch("labellpt", keys, folder=folder)
    run = ports.launch("labellpt", keys, {"LABELLPT_PORT": value}, folder)
    said = f"labellpt: the printer on {value} did not get the last command: ".encode()
    lines = run.errors.splitlines()
    assert (run.output, run.status, ports.job_files()) == (working.output, 1, [])
    assert lines[0].startswith(said + problem) and run.seconds < seconds
    assert lines[-1] == f"labellpt: 1 of 1 command lines did not reach the printer on {value}".encode()
