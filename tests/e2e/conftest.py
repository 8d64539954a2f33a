"""Runs the real programs. Their ports are paths in the build tree, compiled
in; each test decides what stands at those paths (a file, a FIFO, a link, a
pseudo-terminal, nothing) and the fixture clears them away afterwards."""

import os
import subprocess
from pathlib import Path

import pytest

PROGRAMS = {"labellpt": os.environ["LABELLPT"], "labelcom": os.environ["LABELCOM"]}
PORT_PATHS = {"lpt1": Path(os.environ["LABEL_LPT1_PATH"]), "com1": Path(os.environ["LABEL_COM1_PATH"])}


def clear_path(path: Path) -> None:
    if path.is_symlink() or path.exists():
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


def run_piped(program: str, keys: bytes, timeout: float = 20) -> subprocess.CompletedProcess:
    """Runs a program with `keys` as its whole standard input."""
    return subprocess.run([PROGRAMS[program]], input=keys, capture_output=True, timeout=timeout, check=False)
