"""What strace sees of one session: processes started and writes to the port."""

import re
import subprocess

from builds import COM1, LPT1

# Every command line once: U, xa, D5, q406, Q150,024 and xa, OVRT1, ESC VRT2,
# then the black-mark line; 9 leaves. labelcom first prepares its port (1).
ALL_CHOICES = b"1\n2\n3\n5\n4\n406\n5\n6\n7\n8\n609\n51\n-45\n9\n"
COMMAND_LINES = 9


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
    """Traces a session that sends every command line once through `port`."""
    port.write_bytes(b"")
    keys = (b"1\n" if port == COM1 else b"") + ALL_CHOICES
    log = _trace(argv, keys, scratch)
    return {"processes": processes_started(log), "writes per line": port_writes(log, port) / COMMAND_LINES}


def measure_one_liner(argv, scratch) -> dict:
    """The one-liner sends one command line."""
    LPT1.write_bytes(b"")
    log = _trace(argv, b"", scratch)
    return {"processes": processes_started(log), "writes per line": port_writes(log, LPT1)}
