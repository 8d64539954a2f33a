"""Runs the real programs. Their ports are paths in the build tree, compiled
in; each test decides what stands at those paths (a file, a FIFO, a link, a
pseudo-terminal, nothing) and the fixture clears them away afterwards."""

import os
import subprocess
import time
from pathlib import Path

import pexpect
import pyte
import pytest

PROGRAMS = {"labellpt": os.environ["LABELLPT"], "labelcom": os.environ["LABELCOM"]}
PORT_PATHS = {"lpt1": Path(os.environ["LABEL_LPT1_PATH"]), "com1": Path(os.environ["LABEL_COM1_PATH"])}
SCREEN_COLUMNS, SCREEN_LINES = 80, 24


def clear_path(path: Path) -> None:
    if path.is_dir() and not path.is_symlink():
        path.rmdir()
    elif path.is_symlink() or path.exists():
        path.unlink()


class Port:
    """What a program finds at one of its port paths."""

    def __init__(self, path: Path):
        self.path = path

    def make_file(self) -> "Port":
        self.path.write_bytes(b"")
        return self

    def make_fifo(self) -> "Port":
        os.mkfifo(self.path)
        return self

    def link_to(self, target) -> "Port":
        self.path.symlink_to(target)
        return self

    def received(self) -> bytes:
        return self.path.read_bytes()


def _port_fixture(name):
    @pytest.fixture
    def fixture():
        path = PORT_PATHS[name]
        path.parent.mkdir(parents=True, exist_ok=True)
        clear_path(path)
        yield Port(path)
        clear_path(path)

    return fixture


lpt1 = _port_fixture("lpt1")
com1 = _port_fixture("com1")


def empty_port_of(request, program: str) -> Port:
    """The port fixture of `program`, holding an empty file."""
    return request.getfixturevalue({"labellpt": "lpt1", "labelcom": "com1"}[program]).make_file()


class SerialLine:
    """A pseudo-terminal standing in for the serial line; the test holds both
    ends, so the line stays up when the program closes its side."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        os.set_blocking(self.master, False)

    def received(self) -> bytes:
        chunks = []
        while True:
            try:
                chunks.append(os.read(self.master, 4096))
            except BlockingIOError:
                return b"".join(chunks)

    def close(self):
        os.close(self.master)
        os.close(self.slave)


@pytest.fixture
def com1_line(com1):
    line = SerialLine()
    com1.link_to(os.ttyname(line.slave))
    yield line
    line.close()


def run_piped(program: str, keys: bytes, timeout: float = 20, command: tuple = ()) -> subprocess.CompletedProcess:
    """Runs a program with `keys` as its whole standard input, through
    `command` if given (for example to run it as another user); `seconds` on
    the result tells how long it ran."""
    start = time.monotonic()
    result = subprocess.run([*command, PROGRAMS[program]], input=keys, capture_output=True, timeout=timeout,
                            check=False)
    result.seconds = time.monotonic() - start
    return result


class TerminalRun:
    """A program in a real pseudo-terminal, its output rendered by a
    terminal emulator; `raw` keeps the bytes for failure reports."""

    def __init__(self, program: str):
        self.screen = pyte.Screen(SCREEN_COLUMNS, SCREEN_LINES)
        self._stream = pyte.ByteStream(self.screen)
        self.raw = bytearray()
        self.child = pexpect.spawn(
            PROGRAMS[program], dimensions=(SCREEN_LINES, SCREEN_COLUMNS), timeout=10,
            env={**os.environ, "TERM": "xterm"},
        )
        self.child.logfile_read = self

    def write(self, data: bytes):
        self.raw += data
        self._stream.feed(data)

    def flush(self):
        pass

    def lines(self) -> list:
        return [line.rstrip() for line in self.screen.display]

    def exit_status(self) -> int:
        self.child.expect(pexpect.EOF)
        self.child.close()
        return self.child.exitstatus


@pytest.fixture
def terminal_run():
    runs = []

    def start(program: str) -> TerminalRun:
        runs.append(TerminalRun(program))
        return runs[-1]

    yield start
    for run in runs:
        run.child.close(force=True)
