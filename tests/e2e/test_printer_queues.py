"""Printer queues (printer:NAME) through a print service of the test's own
(print_service.py): every byte arrives, one raw job per opening that sends
(each menu cycle for labellpt, the run for labelcom), none for one that sends
nothing, and each way a queue can fail is said in its own words, standard
output unchanged and no wait beyond the patience."""

import os
import time

import pytest

from support import print_service
from support.expectations import fill
from support.programs import run_piped
from support.screens import EVERY_CHOICE, EVERY_CHOICE_SENT, sends
from test_faults import LEAD, ends_well, said, spawn_piped, working_run
from test_network_ports import CYCLES, VARIABLE, menus_come_within_the_patience, report


@pytest.fixture
def service(tmp_path, monkeypatch):
    if missing := print_service.missing():
        (pytest.fail if os.environ.get("CI") == "true" else pytest.skip)(f"a private print service: {missing}")
    running = print_service.PrintService(tmp_path)
    monkeypatch.setenv("CUPS_SERVER", str(running.socket))
    yield running
    running.stop()


def jobs(service) -> int:
    return len(service.run("lpstat", "-W", "all", "-o").stdout.splitlines())


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_every_choice_arrives_byte_for_byte_one_job_per_opening(service, port_of, monkeypatch, program):
    working, _ = working_run(port_of(program), program, LEAD[program] + EVERY_CHOICE)
    capture = service.add_queue("lab")
    monkeypatch.setenv(VARIABLE[program], "printer:lab")
    result = run_piped(program, LEAD[program] + EVERY_CHOICE)
    count = {"labellpt": CYCLES, "labelcom": 1}[program]
    assert (result.stdout, result.stderr, result.returncode) == (working.stdout, b"", 0)
    assert (service.await_jobs(capture, count), jobs(service)) == (EVERY_CHOICE_SENT, count)


def out_of_paper(service, capture):
    """The first job finds no paper, which stops the queue with that reason."""
    capture.with_name("lab.state").write_text("STATE: +media-empty-error\n")
    service.run("lp", "-d", "lab", capture.with_name("lab.state"))
    for _ in range(200):
        if "media-empty-error paused" in service.run("lpstat", "-l", "-p", "lab").stdout:
            break
        time.sleep(0.05)


HELD = "labellpt: " + fill("queue is paused", {"value": b"printer:lab", "release": b"cupsenable lab"}).decode()
LOST = "labellpt: 1 of 1 command lines did not reach the printer on printer:{}"

# Each row: what is done to the queue "lab" first, the value, the program and
# its keys, what it says, its exit status, the jobs the service holds then
# (None: no service to ask), and what the printer has once `then` is run.
CASES = {
    "missing name": (None, "Desk", "labellpt", b"1\n9\n", [report("labellpt", "printer:Desk", "no such printer queue", {
        "name": b"Desk", "printers": b"printer:lab"}), LOST.format("Desk")], 1, 0, (), b""),
    "no queue at all": (lambda s, c: s.run("lpadmin", "-x", "lab"), "lab", "labellpt", b"1\n9\n", [
        report("labellpt", "printer:lab", "no cups queue at all", {"name": b"lab"}), LOST.format("lab")], 1, 0, (), b""),
    "no print service": (lambda s, c: s.stop(), "lab", "labellpt", b"1\n9\n", [report(
        "labellpt", "printer:lab", "no print service", {"server": b"SOCKET"}), LOST.format("lab")], 1, None, (), b""),
    "rejecting": (lambda s, c: s.run("cupsreject", "-r", "no labels today", "lab"), "lab", "labellpt", b"1\n9\n", [
        report("labellpt", "printer:lab", "queue refuses jobs", {"reason": b"no labels today", "name": b"lab"}),
        LOST.format("lab")], 1, 0, (), b""),
    "paused": (lambda s, c: s.run("cupsdisable", "lab"), "lab", "labellpt", b"1\n2\n9\n", [HELD], 0, 2,
               ("cupsenable", "lab"), sends(1) + sends(2)),
    "out of paper": (out_of_paper, "lab", "labellpt", b"1\n9\n",
                     [HELD + " (" + fill("printer out of paper").decode() + ")"], 0, 2, (), b""),
    "labelcom answer 1": (None, "lab", "labelcom", b"1\n9\n", [
        "labelcom: mode com1: printer:lab: " + fill("printer queue has no line settings").decode()], 0, 0, (), b""),
}


@pytest.mark.parametrize("case", CASES.values(), ids=CASES.keys())
def test_a_queue_says_what_keeps_the_job(service, monkeypatch, case):
    setup, name, program, keys, words, status, left, then, printed = case
    capture = service.add_queue("lab")
    if setup:
        setup(service, capture)
    monkeypatch.setenv(VARIABLE[program], f"printer:{name}")
    result = run_piped(program, keys)
    lines = [line.replace("SOCKET", str(service.socket)) for line in words]
    assert (result.stderr.decode().splitlines(), result.returncode, result.seconds < 2) == (lines, status, True)
    assert left is None or jobs(service) == left
    if then:
        service.run(*then)
    assert left is None or service.await_jobs(capture, printed.count(b"\r\n")) == printed


def test_a_stopped_print_service_gives_each_menu_back_within_the_patience(service, monkeypatch):
    service.add_queue("lab")
    monkeypatch.setenv("LABELLPT_PORT", "printer:lab")
    service.pause(True)
    child = spawn_piped("labellpt")
    menus_come_within_the_patience(child)
    child.send(b"9\n")
    assert ends_well(child, status=1)
    assert said(child) == [report("labellpt", "printer:lab", "print service gave no answer")] * 2 + [
        "labellpt: 2 of 2 command lines did not reach the printer on printer:lab"]
