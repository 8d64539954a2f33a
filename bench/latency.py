"""Enter-to-device latency: labelcom on a pseudo-terminal console, its port a
second pseudo-terminal. Each sample is the time from writing "1" and Enter on
the console to the first byte of the command arriving at the far end of the
port."""

import os
import select
import statistics
import subprocess
import time

from builds import COM1, clear_ports

MENU_END = b"Any other choice will exit you out of the program\r\n\r\n"
WIRE_SECONDS = 3 * 10 / 9600  # U, CR, LF at 9600 baud, 8N1: ten bits a byte


class Pty:
    def __init__(self):
        self.master, self.slave = os.openpty()

    def close(self):
        os.close(self.master)
        os.close(self.slave)


def read_until(fd, marker: bytes, timeout: float = 10) -> bytes:
    seen = b""
    deadline = time.monotonic() + timeout
    while marker not in seen:
        if not select.select([fd], [], [], max(0, deadline - time.monotonic()))[0]:
            raise SystemExit(f"timed out waiting for {marker!r}; got {seen[-200:]!r}")
        seen += os.read(fd, 65536)
    return seen


def measure(argv, choices: int) -> list:
    """Runs labelcom (or a stand-in with its prompts) and returns the latencies in
    seconds."""
    console, port = Pty(), Pty()
    clear_ports()
    COM1.symlink_to(os.ttyname(port.slave))
    child = subprocess.Popen([str(word) for word in argv], stdin=console.slave, stdout=console.slave,
                             stderr=console.slave, start_new_session=True)
    arrived = select.poll()
    arrived.register(port.master, select.POLLIN)
    samples = []
    try:
        read_until(console.master, b"change the parameters on your serial port\r\n")
        os.write(console.master, b"2\n")
        for _ in range(choices):
            read_until(console.master, MENU_END)
            start = time.perf_counter()
            os.write(console.master, b"1\n")
            arrived.poll(10_000)
            samples.append(time.perf_counter() - start)
            read_until(port.master, b"U\r\n")
        read_until(console.master, MENU_END)
        os.write(console.master, b"9\n")
        child.wait(timeout=10)
    finally:
        child.kill()
        console.close()
        port.close()
        COM1.unlink()
    return samples


def percentile(samples: list, share: float) -> float:
    return statistics.quantiles(samples, n=100, method="inclusive")[round(share * 100) - 1]
