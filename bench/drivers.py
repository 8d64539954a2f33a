"""Ports that stall, met through the driver models (tests/drivers/
driver_models.c) preloaded into the dynamically linked labellpt: the CPU time
a run uses while a busy parallel printer takes nothing for the whole write
timeout, and the time from a choice to the next menu on an off-line parallel
printer, whose driver sleeps ten seconds in every write."""

import os
import subprocess
import time

from builds import LPT1, ROOT, SOURCE, clear_ports

MODELS = ROOT / "driver_models.so"
MENU_END = b"Any other choice will exit you out of the program\n\n"


def build_models():
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", MODELS, SOURCE / "tests" / "drivers" / "driver_models.c",
                    "-ldl"], check=True)


def _environment(model: str, log, **settings) -> dict:
    return {**os.environ, "LD_PRELOAD": str(MODELS), "LABEL_DRIVER_MODEL": model, "LABEL_DRIVER_PORT": str(LPT1),
            "LABEL_DRIVER_LOG": str(log), **{f"LABEL_DRIVER_{name}": str(value) for name, value in settings.items()}}


def stalled_cpu_seconds(labellpt, scratch) -> float:
    """Choice 1 while the printer stays busy: the line waits out the timeout."""
    clear_ports()
    LPT1.write_bytes(b"")
    log = scratch / "busy.log"
    subprocess.run([str(labellpt)], input=b"1\n9\n", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=_environment("parallel-busy", log, FAULT_MS=60_000), check=False, timeout=30)
    return next(int(line.split()[1]) for line in log.read_text().splitlines() if line.startswith("cpu ")) / 1e6


def _read_until(stream, marker: bytes):
    seen = b""
    while marker not in seen:
        chunk = stream.read1()
        if not chunk:
            raise SystemExit(f"labellpt ended before {marker!r}")
        seen += chunk


def off_line_menu_seconds(labellpt, scratch) -> float:
    """From the Enter of choice 1 to the whole next menu, the printer off line."""
    clear_ports()
    LPT1.write_bytes(b"")
    child = subprocess.Popen([str(labellpt)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, env=_environment("parallel-off-line", scratch / "off.log",
                                                                         FAULT_MS=60_000))
    _read_until(child.stdout, MENU_END)
    start = time.perf_counter()
    child.stdin.write(b"1\n")
    child.stdin.flush()
    _read_until(child.stdout, MENU_END)
    seconds = time.perf_counter() - start
    child.communicate(b"9\n", timeout=30)
    return seconds
