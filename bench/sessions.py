"""Whole scripted sessions: labellpt printing one configuration label and
leaving, against the shell one-liner that writes the same bytes and against
the floor, a program that only relays the keys' "1" to the port. The
commands take turns, so that whatever else the machine does falls on all of
them alike."""

import os
import re
import statistics
import subprocess
import time
from pathlib import Path

from builds import LPT1

KEYS = b"1\n9\n"
SENDS = b"U\r\n"
ONE_LINER = ["sh", "-c", f"printf 'U\\r\\n' >> '{LPT1}'"]


class Run:
    """One command, started the same way every time: keys from a file,
    screen output to /dev/null."""

    def __init__(self, argv, keys_file):
        self.argv = [str(word) for word in argv]
        self.actions = [
            (os.POSIX_SPAWN_OPEN, 0, str(keys_file), os.O_RDONLY, 0),
            (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
        ]
        self.seconds = []
        self.page_faults = []
        self.cpu_seconds = []

    def once(self):
        LPT1.write_bytes(b"")
        start = time.perf_counter()
        pid = os.posix_spawnp(self.argv[0], self.argv, os.environ, file_actions=self.actions)
        _, status, usage = os.wait4(pid, 0)
        self.seconds.append(time.perf_counter() - start)
        self.page_faults.append(usage.ru_minflt + usage.ru_majflt)
        self.cpu_seconds.append(usage.ru_utime + usage.ru_stime)
        if os.waitstatus_to_exitcode(status) != 0 or LPT1.read_bytes() != SENDS:
            raise SystemExit(f"{self.argv[0]} failed, or did not write {SENDS!r} to the port")

    def median(self) -> float:
        return statistics.median(self.seconds)

    def median_page_faults(self) -> float:
        return statistics.median(self.page_faults)

    def median_cpu(self) -> float:
        """The child's own CPU time, which waiting for a processor does not add to."""
        return statistics.median(self.cpu_seconds)


def measure(commands: dict, rounds: int, scratch) -> dict:
    """Runs each command (a name and its argv: a labellpt, the one-liner, a
    floor) `rounds` times, all taking turns; returns a Run per name."""
    keys_file = scratch / "keys"
    keys_file.write_bytes(KEYS)
    runs = {name: Run(argv, keys_file) for name, argv in commands.items()}
    contenders = list(runs.values())
    for round_number in range(rounds):
        turn = round_number % len(contenders)
        for run in contenders[turn:] + contenders[:turn]:
            run.once()
    return runs


def peak_memory_kib(labellpt) -> int:
    """The most memory labellpt has held once choice 1 is done, read while it
    waits at the next menu. (The rusage of a spawned child would also count
    the parent that spawned it.)"""
    LPT1.write_bytes(b"")
    child = subprocess.Popen([str(labellpt)], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    child.stdin.write(b"1\n")
    child.stdin.flush()
    shown = b""
    while shown.count(b"Any other choice") < 2:
        shown += child.stdout.read1()
    status = Path(f"/proc/{child.pid}/status").read_text()
    child.communicate(b"9\n", timeout=10)
    return int(re.search(r"VmHWM:\s+(\d+) kB", status).group(1))
