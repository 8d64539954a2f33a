"""Whole scripted sessions: labellpt printing one configuration label and
leaving, against the shell one-liner that writes the same bytes. The
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
ONE_LINER = ["sh", "-c", f"printf 'U\\r\\n' >> '{LPT1}'"]


class Run:
    """One command, started the same way every time: keys from a file,
    screen output to /dev/null."""

    def __init__(self, argv, keys_file, sends=b"U\r\n"):
        self.argv = [str(word) for word in argv]
        self.sends = sends
        self.actions = [
            (os.POSIX_SPAWN_OPEN, 0, str(keys_file), os.O_RDONLY, 0),
            (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
        ]
        self.seconds = []

    def once(self):
        LPT1.write_bytes(b"")
        start = time.perf_counter()
        pid = os.posix_spawnp(self.argv[0], self.argv, os.environ, file_actions=self.actions)
        _, status = os.waitpid(pid, 0)
        self.seconds.append(time.perf_counter() - start)
        if os.waitstatus_to_exitcode(status) != 0 or LPT1.read_bytes() != self.sends:
            raise SystemExit(f"{self.argv[0]} failed, or did not write {self.sends!r} to the port")

    def median(self) -> float:
        return statistics.median(self.seconds)


def measure(programs_by_linking: dict, empty, rounds: int, scratch) -> dict:
    """Returns a Run per way of linking, and "sh" and "floor" for the one-liner
    and for a program that does nothing."""
    keys_file = scratch / "keys"
    keys_file.write_bytes(KEYS)
    runs = {linking: Run([programs["labellpt"]], keys_file) for linking, programs in programs_by_linking.items()}
    runs["sh"] = Run(ONE_LINER, keys_file)
    runs["floor"] = Run([empty], keys_file, sends=b"")
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
