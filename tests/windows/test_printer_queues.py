"""Printer queues (printer:NAME) through wine's spooler, which pipes a job
whose port begins with "|" into /bin/sh -c: one raw job per opening of the
port, and the report when a queue is missing, refuses or stalls. Wine's
GetPrinter gives every printer the status 0 (a Status set in its registry
is not read), so a paused printer or one out of paper is shown by the unit
table of queue_state_test.cpp alone; here, that a status of 0 adds no
words."""

import pytest

from conftest import WINE64
from support.expectations import ENTRIES, fill
from support.screens import EVERY_CHOICE_NUMBERS, EVERY_CHOICE_SENT, sends
from test_port_choice import every_choice, folder, mode_lines  # noqa: F401 (a fixture)

DESK = "printer:Label Desk"
PRINTERS = r"HKLM\System\CurrentControlSet\Control\Print\Printers"


@pytest.fixture(scope="session")
def spooler(wine):
    """Where "Label Desk" keeps each job, in a file of its own; "Refusing"
    fails every job at its end, "Slow" ends one 7 s late. Without its print
    processor and datatype wine's spooler opens no printer."""
    jobs = wine.folder / "jobs"
    jobs.mkdir()
    for name, port in {"Label Desk": f'|cat > "{jobs}/$(date +%s%N)"', "Refusing": "|cat > /dev/null; exit 3",
                       "Slow": "|sleep 7; cat > /dev/null"}.items():
        values = {"Name": name, "Port": port, "Printer Driver": "Wine PostScript Driver",
                  "Print Processor": "WinPrint", "Datatype": "RAW"}
        for value, data in values.items():
            wine.quietly(WINE64, "reg", "add", rf"{PRINTERS}\{name}", "/v", value, "/d", data, "/f")
    return jobs


@pytest.fixture
def queues(ports, spooler):
    for job in spooler.iterdir():
        job.unlink()
    return ports


def jobs(spooler) -> list:
    return [path.read_bytes() for path in sorted(spooler.iterdir())]


@pytest.mark.parametrize("program, variable", [("labellpt", "LABELLPT_PORT"), ("labelcom", "LABELCOM_PORT")])
def test_every_choice_arrives_one_job_where_the_port_is_opened(queues, spooler, folder, program, variable):
    """labellpt opens its port for each menu, labelcom once for the run; an
    opening that sends nothing (the last menu's) leaves no job. labelcom's
    answer 1 runs no mode command."""
    run = every_choice(queues, program, {variable: DESK}, folder)
    expected = [sends(choice, EVERY_CHOICE_NUMBERS) for choice in range(1, 9)]
    assert jobs(spooler) == (expected if program == "labellpt" else [EVERY_CHOICE_SENT])
    said = f"labelcom: mode com1: {DESK}: ".encode() + fill("printer queue has no line settings") + b"\r\n"
    assert (run.status, run.errors, mode_lines(folder)) == (0, said if program == "labelcom" else b"", [])


@pytest.mark.parametrize("value, problem, seconds", [
    ("printer:Nowhere", fill("no such printer queue", {
        "name": b"Nowhere", "printers": b", ".join(
            b"printer:%s (Wine PostScript Driver)" % name for name in (b"Label Desk", b"Refusing", b"Slow"))}), 2),
    ("printer:Refusing", ENTRIES["spooler did not take the job"], 2),
    ("printer:Slow", ENTRIES["spooler gave no answer"], 9),
])
def test_a_queue_that_does_not_take_the_job_is_reported(queues, spooler, folder, value, problem, seconds):
    """The slow queue ends its job 7 s late: the drain gives up after 5 s,
    and wine holds the exit until its spooler call is back."""
    keys = b"1\n9\n"
    working = queues.launch("labellpt", keys, folder=folder)
    run = queues.launch("labellpt", keys, {"LABELLPT_PORT": value}, folder)
    said = f"labellpt: the printer on {value} did not get the last command: ".encode()
    lines = run.errors.splitlines()
    assert (run.output, run.status, jobs(spooler)) == (working.output, 1, [])
    assert lines[0].startswith(said + problem) and run.seconds < seconds
    assert lines[-1] == f"labellpt: 1 of 1 command lines did not reach the printer on {value}".encode()
