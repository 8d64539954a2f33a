"""Runs the real programs. Their ports are paths in the build tree, compiled
in; each test decides what stands at those paths (a file, a FIFO, a link, a
pseudo-terminal, nothing) and the fixture clears them away afterwards."""

import os

import pytest

from support import programs
from support.programs import PORT_PATHS, Port, SerialLine, TerminalRun, clear_path


def pytest_configure(config):
    if reason := programs.problem():
        pytest.exit(reason, returncode=pytest.ExitCode.USAGE_ERROR)


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


@pytest.fixture
def port_of(request):
    """The port fixture of a program, by the program's name."""
    return lambda program: request.getfixturevalue({"labellpt": "lpt1", "labelcom": "com1"}[program])


@pytest.fixture
def line_at(port_of):
    """A pseudo-terminal at a program's port path."""
    lines = []

    def link(program: str) -> SerialLine:
        lines.append(SerialLine())
        port_of(program).link_to(os.ttyname(lines[-1].slave))
        return lines[-1]

    yield link
    for line in lines:
        line.close()


@pytest.fixture
def terminal_run():
    runs = []

    def start(program: str) -> TerminalRun:
        runs.append(TerminalRun(program))
        return runs[-1]

    yield start
    for run in runs:
        run.child.close(force=True)
