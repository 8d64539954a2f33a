"""What strace sees of one session: processes started and writes to the port."""

import re
import subprocess
import sys
from pathlib import Path

from builds import COM1, LPT1

# The tests' session that makes every choice once, and what it sends.
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
from support.screens import EVERY_CHOICE, EVERY_CHOICE_SENT, PAGE_MODE  # noqa: E402 (needs the path above)

# Page mode is a command with no line end of its own.
COMMAND_LINES = EVERY_CHOICE_SENT.count(b"\r\n") + EVERY_CHOICE_SENT.count(PAGE_MODE)


def _trace(argv, keys: bytes, scratch) -> str:
    log = scratch / "strace.log"
    subprocess.run(["strace", "-f", "-qq", "-y", "-e", "trace=execve,fork,vfork,clone,clone3,write", "-o", log,
                    *map(str, argv)], input=keys, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return log.read_text()


def processes_started(log: str) -> int:
    return len(re.findall(r"\bexecve\(", log))


def port_writes(log: str, port) -> int:
    return len(re.findall(rf"\bwrite\(\d+<{re.escape(str(port.resolve()))}>", log))


def measure(argv, port, scratch) -> dict:
    """Traces a session that sends every command line once through `port`;
    labelcom first prepares its port (1)."""
    port.write_bytes(b"")
    keys = (b"1\n" if port == COM1 else b"") + EVERY_CHOICE
    log = _trace(argv, keys, scratch)
    if port.read_bytes() != EVERY_CHOICE_SENT:
        raise SystemExit(f"{argv[0]} did not send every command line to {port}")
    return {"processes": processes_started(log), "writes per line": port_writes(log, port) / COMMAND_LINES}


def measure_one_liner(argv, scratch) -> dict:
    """The one-liner sends one command line."""
    LPT1.write_bytes(b"")
    log = _trace(argv, b"", scratch)
    return {"processes": processes_started(log), "writes per line": port_writes(log, LPT1)}
