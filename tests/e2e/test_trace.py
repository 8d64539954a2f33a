"""LABEL_TRACE: one line per event of the ports, in a file only, and a trace
that cannot be written changes nothing but one line on standard error."""

import os
import re
import shutil
import stat
import subprocess

import pytest

from support.expectations import ENTRIES, fill
from support.pipes import fill as fill_pipe, read_all
from support.programs import PROGRAMS, ROOT
from support.screens import sends

LEAD = {"labellpt": b"", "labelcom": b"2\n"}
VERSION = re.search(r"project\(labelutils VERSION (\S+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


def run(program, keys, command=(), **environment):
    env = {**{key: value for key, value in os.environ.items() if key != "LABEL_TRACE"}, **environment}
    return subprocess.run([*command, PROGRAMS[program]], input=keys, capture_output=True, timeout=20, env=env)


def events(trace):
    """The trace's lines with every time in it as T."""
    return [re.sub(r"^ *\d+\.\d{3}|(?<=in )\d+\.\d{3}(?= ms)", "T", line) for line in trace.read_text().splitlines()]


@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_stalled_session_is_traced_event_by_event(port_of, tmp_path, program):
    port, trace = port_of(program).make_fifo(), tmp_path / "trace"
    reader, _ = fill_pipe(port.path)
    assert run(program, LEAD[program] + b"1\n9\n", LABEL_TRACE=str(trace)).returncode == 1
    os.close(reader)
    label = sends(1).decode().replace("\r", "\\r").replace("\n", "\\n")
    # The first write has what is left of the patience once its port is reached.
    lines = events(trace)
    left = int(re.search(r"within (\d+) ms", lines[2]).group(1))
    assert 4900 <= left <= 5000
    assert (stat.S_IMODE(trace.stat().st_mode), lines) == (0o600, [
        f"T start {program} {VERSION} on {' '.join(os.uname()[index] for index in (0, 2, 4))}",
        f"T open {program.upper()}_PORT unset, so the default: device {port.path}: opened in T ms",
        f'T write "{label}" within {left} ms: took 0 of 3 in T ms: out of patience',
        "T ask the printer in T ms: nothing (all is well, or it cannot be asked)",
        "T shortfall: the port is stalled until a write goes through whole; the operator is told: "
        + ENTRIES["port stalled"].decode(),
        f'T write "{label}" within 100 ms: took 0 of 3 in T ms: out of patience'])
    assert 4900 <= int(re.search(r"within \d+ ms: took 0 of 3 in (\d+)", trace.read_text()).group(1)) < 6000


def test_a_trace_is_added_to_at_each_run(lpt1, tmp_path):
    lpt1.make_file()
    for _ in range(2):
        run("labellpt", b"1\n9\n", LABEL_TRACE=str(tmp_path / "trace"))
    assert [line.split()[1] for line in events(tmp_path / "trace")] == ["start", "open", "write", "drain"] * 2


def fifo_with_reader(path):
    os.mkfifo(path)
    return os.open(path, os.O_RDONLY | os.O_NONBLOCK)


# Each target, and why it cannot be written.
TARGETS = {"missing folder": (lambda path: path.parent.rmdir(), os.strerror(2)),
           "folder": (lambda path: path.mkdir(), os.strerror(21)),
           "fifo with a reader": (fifo_with_reader, ENTRIES["trace into a device"].decode()),
           "character device": (lambda path: path.symlink_to("/dev/null"), ENTRIES["trace into a device"].decode())}


@pytest.mark.parametrize("target", TARGETS)
@pytest.mark.parametrize("program", ["labellpt", "labelcom"])
def test_a_trace_that_cannot_be_written_is_said_once_and_changes_nothing_else(port_of, tmp_path, program, target):
    port, keys, path = port_of(program).make_file(), LEAD[program] + b"1\n9\n", tmp_path / "folder" / "trace"
    working, sent = run(program, keys), port.received()
    port.make_file()
    path.parent.mkdir()
    reader = TARGETS[target][0](path)
    result = run(program, keys, LABEL_TRACE=str(path))
    said = fill("trace not written", {"program": program.encode(), "path": str(path).encode(),
                                      "reason": TARGETS[target][1].encode()})
    assert (result.stdout, result.returncode, port.received()) == (working.stdout, working.returncode, sent)
    assert (result.stderr, reader and read_all(reader)) == (said + b"\n" + working.stderr, reader and b"")
    if reader:
        os.close(reader)


@pytest.mark.parametrize("environment", [{}, {"LABEL_TRACE": ""}], ids=["unset", "empty"])
def test_a_run_without_a_trace_opens_nothing_but_its_port(lpt1, tmp_path, environment):
    if shutil.which("strace") is None:
        pytest.skip("strace is not installed")
    lpt1.make_file()
    strace = ("strace", "-f", "-qq", "-e", "trace=openat", "-o", str(tmp_path / "calls"))
    result = run("labellpt", b"1\n2\n9\n", strace, **environment)
    if not (tmp_path / "calls").exists() or b"ptrace" in result.stderr:
        pytest.skip("tracing is not permitted here: " + result.stderr.decode(errors="replace"))
    # What the dynamic loader opens before the program starts: its cache and the shared libraries.
    loader = re.compile(r"/etc/ld\.so\.cache|.*/lib[^/]*\.so(\.[0-9]+)*")
    opened = [path for path in re.findall(r'openat\([^,]+, "([^"]*)"', (tmp_path / "calls").read_text())
              if not loader.fullmatch(path)]
    assert (opened, result.returncode) == ([str(lpt1.path)] * 2, 0)
