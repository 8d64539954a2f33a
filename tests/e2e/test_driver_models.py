"""The real programs against models of the Linux drivers behind a printer
port (tests/drivers/driver_models.c, preloaded into dynamically linked copies
of the programs): every line a device can take reaches it, no wait outlasts
the five-second bound, and the operator's dialogue stays as it is with a
working port. Each run has its port in a folder of its own, led there by
LABELLPT_PORT or LABELCOM_PORT. The real drivers in the qemu guest
(tests/guest) cover a USB printer, its unplugging, the parallel port and
serial lines that work, one held by XOFF and one without hardware; what stays
here is what that guest cannot show."""

import os
import signal
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass, field

import pexpect
import pytest

from support.expectations import fill
from support.programs import DRIVER_MODELS, DYNAMIC, PROGRAMS, run_timed, wait_until, waiting_in_poll
from support.screens import EVERY_CHOICE

PORT_VARIABLE = {"labellpt": "LABELLPT_PORT", "labelcom": "LABELCOM_PORT"}
# The sanitizers' runtime would insist on being loaded before the models.
SANITIZER_OPTIONS = os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"


def model_environment(program, port, log, model, settings):
    return {**os.environ, PORT_VARIABLE[program]: str(port), "LD_PRELOAD": str(DRIVER_MODELS),
            "ASAN_OPTIONS": SANITIZER_OPTIONS, "LABEL_DRIVER_MODEL": model, "LABEL_DRIVER_PORT": str(port),
            "LABEL_DRIVER_LOG": str(log), **{f"LABEL_DRIVER_{name}": str(value) for name, value in settings.items()}}


def lines_of(sent, count):
    return b"".join(sent.splitlines(keepends=True)[:count])


@dataclass
class Case:
    program: str
    model: str
    keys: bytes
    delivered: object  # what the printer gets, from what a working port gets
    status: int
    seconds: float  # the run ends this long after the working run's time, at most
    settings: dict = field(default_factory=dict)
    stderr_says: bytes = b""
    at_least: float = 0  # seconds the run lasts at least


CASES = {
    # qemu's parallel port is always ready, so these stay models. Each write
    # sleeps 10 s in the driver; the next cycle finds the printer back on line.
    "parallel printer off line": Case("labellpt", "parallel-off-line", b"1\n1\n9\n", lambda sent: b"U\r\n", 1, 6,
                                      {"FAULT_MS": 1000}, b"Input/output error"),
    # Its driver has no poll: "writable" at once, then 40 ms and EAGAIN at every write.
    "parallel printer busy, then ready": Case("labellpt", "parallel-busy", b"1\n9\n", lambda sent: sent, 0, 5,
                                              {"FAULT_MS": 3000}),
    # Its status lines, as LPGETSTATUS reads them, say why: paper out (0x20)
    # comes first, though such a printer deselects itself (0x10 low) too.
    "parallel printer out of paper, as it says": Case("labellpt", "parallel-off-line", b"1\n9\n", lambda sent: b"", 1,
                                                      6, {"FAULT_MS": 60000, "STATUS": 0xe0},
                                                      fill("printer out of paper")),
    "parallel printer off line, as it says, for good": Case("labellpt", "parallel-busy", b"1\n9\n", lambda sent: b"", 1,
                                                            6, {"FAULT_MS": 60000, "STATUS": 0xc8},
                                                            fill("printer off line"), at_least=4.5),
    # A printer whose status cannot be read, or comes after the half second
    # it is waited for, leaves the system's words; the run waits that half
    # second more than the stall's, not for the answer.
    "parallel printer off line, its status unreadable": Case("labellpt", "parallel-off-line", b"1\n9\n",
                                                             lambda sent: b"", 1, 6, {"FAULT_MS": 60000, "STATUS": -1},
                                                             b"Input/output error"),
    "parallel printer out of paper, saying so too late": Case(
        "labellpt", "parallel-busy", b"1\n9\n", lambda sent: b"", 1, 6.5,
        {"FAULT_MS": 60000, "STATUS": 0xe0, "STATUS_MS": 3000}, b"took nothing for 5 seconds", at_least=4.5),
    # Interruptions neither end the wait nor keep it going past the bound.
    "parallel printer busy for good, every other call interrupted": Case(
        "labellpt", "parallel-busy", b"1\n9\n", lambda sent: b"", 1, 6, {"FAULT_MS": 60000, "EINTR": 1},
        b"took nothing for 5 seconds", at_least=4.5),
    # The guest holds an 8250 line by XOFF; a USB adapter's own queue stays
    # modelled. The line never sends: the drain waits out the bound, and the
    # close, which would wait half a minute more, is cut short.
    "USB serial adapter held by flow control": Case(
        "labelcom", "usb-serial-held", b"2\n" + EVERY_CHOICE, lambda sent: b"", 1, 7,
        stderr_says=b"took nothing for 5 seconds"),
    # Gone for good: each later line tries the path afresh, and finds nothing there.
    "USB serial adapter unplugged": Case("labelcom", "usb-serial", b"2\n" + EVERY_CHOICE,
                                         lambda sent: lines_of(sent, 3), 1, 1, {"UNPLUG_AFTER": 3},
                                         b"does not exist; printer ports here"),
    "every other keyboard read interrupted": Case("labelcom", "usb-serial", b"2\n" + EVERY_CHOICE,
                                                  lambda sent: sent, 0, 1, {"EINTR": 1}),
}


def run_case(case, folder):
    """The case's keys with a file for the port, then against the model:
    both runs, what each port got, and the model's log."""
    working_port, port, log = folder / "working", folder / "port", folder / "log"
    working_port.write_bytes(b"")
    port.write_bytes(b"")
    working = run_timed([PROGRAMS[case.program]], case.keys,
                        env={**os.environ, PORT_VARIABLE[case.program]: str(working_port)})
    result = run_timed([DYNAMIC[case.program]], case.keys,
                       env=model_environment(case.program, port, log, case.model, case.settings))
    return working, working_port.read_bytes(), result, port, log.read_text().splitlines()


@pytest.fixture(scope="module")
def outcomes(tmp_path_factory):
    """All cases at once: most of them wait out the five-second bound."""
    with ThreadPoolExecutor(max_workers=len(CASES)) as pool:
        yield {name: pool.submit(run_case, case, tmp_path_factory.mktemp("model")) for name, case in CASES.items()}


def port_sessions(log):
    """The outcome of each write that reached the driver, per open of the port."""
    sessions, current = [], {}
    for event, *words in (line.split() for line in log):
        if event == "open":
            current[words[0]] = []
            sessions.append(current[words[0]])
        elif event == "write":
            current[words[0]].append(words[2])
    return sessions


def cpu_seconds(log):
    """From the port's first open to its last close."""
    return [int(line.split()[2]) for line in log if line.startswith("port cpu ")][-1] / 1e6


@pytest.mark.parametrize("name", CASES)
def test_a_driver_gets_every_line_it_can_take_within_the_bound(outcomes, name):
    case = CASES[name]
    working, sent, result, port, log = outcomes[name].result()
    path = bytes(port)

    assert (result.stdout, result.returncode, port.read_bytes()) == (working.stdout, case.status, case.delivered(sent))
    assert case.at_least <= result.seconds < working.seconds + case.seconds
    if case.status:
        assert b": the printer on %s did not get the last command: " % path in result.stderr
        assert result.stderr.endswith(b" command lines did not reach the printer on %s\n" % path)
        assert case.stderr_says.replace(b"%s", path) in result.stderr
    else:
        assert result.stderr == b""
    for writes in port_sessions(log):
        # A hard error ends the open port; a busy one is asked a few dozen times, not hundreds.
        failed = [n for n, outcome in enumerate(writes) if outcome not in ("ok", "EAGAIN", "EINTR")]
        assert failed in ([], [len(writes) - 1]) and len(writes) <= 50
    # A parallel printer is asked after a shortfall only, once, not at each retry.
    asked = case.status == 1 and case.model.startswith("parallel")
    assert log.count("status") <= len(port_sessions(log)) and ("status" in log) == asked
    assert cpu_seconds(log) < 0.1


def still_waiting(child):
    """Nothing more is shown for a while, and the program runs on."""
    return child.expect([pexpect.TIMEOUT, rb"\S"], timeout=0.5) == 0 and child.isalive()


MENU_END = b"Any other choice will exit you out of the program"
PAUSE = b"Press any key to continue . . . "


@pytest.mark.parametrize("how", ["SIGALRM", "injected EINTR"])
@pytest.mark.parametrize("keys, waiting_at, to_the_menu", [(b"2\n", MENU_END, []), (b"1\n", PAUSE, [b"x", b"x"])],
                         ids=["menu", "pause"])
def test_an_interrupted_wait_at_the_console_goes_on(tmp_path, how, keys, waiting_at, to_the_menu):
    """A caught signal that ends nothing (the ports' deadline alarm), or a
    spurious EINTR, lands in a keyboard wait: the wait goes on until a key."""
    port = tmp_path / "port"
    port.write_bytes(b"")
    if how == "SIGALRM":
        child = pexpect.spawn(str(PROGRAMS["labelcom"]), timeout=5, env={**os.environ, "LABELCOM_PORT": str(port)})
    else:
        child = pexpect.spawn(str(DYNAMIC["labelcom"]), timeout=5,
                              env=model_environment("labelcom", port, tmp_path / "log", "usb-serial", {"EINTR": 1}))
    child.send(keys)
    child.expect_exact(waiting_at)
    assert wait_until(lambda: waiting_in_poll(child.pid))
    if how == "SIGALRM":
        child.kill(signal.SIGALRM)
    assert still_waiting(child)
    for key in to_the_menu:
        child.send(key)
        child.expect_exact([PAUSE, MENU_END])
    child.send(b"9\n")
    child.expect(pexpect.EOF)
    child.close()
    assert child.exitstatus == 0
