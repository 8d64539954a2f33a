"""The POSIX programs under test: where they and their ports are, and ways
to run them.

CTest names everything in the environment. Run by hand, pytest takes the
`test` preset's build tree and reads the port paths from its cache. Either
way the port paths must lie inside the build tree: the tests make, replace
and remove whatever stands at them."""

import os
import select
import selectors
import subprocess
import termios
import time
from pathlib import Path

import pexpect
import pyte

ROOT = Path(__file__).resolve().parents[2]
BUILD_HINT = "cmake --workflow --preset test"
SCREEN_COLUMNS, SCREEN_LINES = 80, 24


def _cache(build_dir: Path) -> dict:
    try:
        lines = (build_dir / "CMakeCache.txt").read_text().splitlines()
    except FileNotFoundError:
        return {}
    entries = (line.partition("=") for line in lines if not line.startswith(("#", "//")))
    return {key.partition(":")[0]: value for key, _, value in entries}


BUILD_DIR = Path(os.environ.get("LABEL_BUILD_DIR") or ROOT / "build" / "test")
_CACHED = _cache(BUILD_DIR)


def _setting(name: str, cached: str = None) -> str:
    return os.environ.get(name) or _CACHED.get(cached or name, "")


PROGRAMS = {name: Path(os.environ.get(name.upper()) or BUILD_DIR / name / name) for name in ("labellpt", "labelcom")}
# Dynamically linked copies, for the driver models preloaded into them.
DYNAMIC = {name: Path(os.environ.get(f"{name.upper()}_DYNAMIC") or BUILD_DIR / "tests" / "drivers" / f"{name}_dynamic")
           for name in ("labellpt", "labelcom")}
DRIVER_MODELS = Path(os.environ.get("LABEL_DRIVER_MODELS")
                     or BUILD_DIR / "tests" / "drivers" / "liblabel_driver_models.so")
PORT_PATHS = {name: Path(path) if (path := _setting(f"LABEL_{name.upper()}_PATH")) else None
              for name in ("lpt1", "com1")}
CMAKE = _setting("CMAKE_COMMAND")
CPACK = _setting("CPACK_COMMAND", "CMAKE_CPACK_COMMAND")


def problem() -> str:
    """Why the programs cannot be tested here, in one line; empty if they can."""
    missing = [str(path) for path in [*PROGRAMS.values(), *DYNAMIC.values(), DRIVER_MODELS] if not path.is_file()]
    if missing or not all(PORT_PATHS.values()):
        return f"{' and '.join(missing) or 'the port paths'} not found: build with `{BUILD_HINT}`"
    inside = BUILD_DIR.resolve()
    outside = [str(path) for path in PORT_PATHS.values() if not path.parent.resolve().is_relative_to(inside)]
    if outside:
        return f"port path {outside[0]} lies outside the build tree {BUILD_DIR}: the tests will not touch it"
    return ""


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


class SerialLine:
    """A pseudo-terminal standing in for a line to the printer; the test
    holds both ends, so the line stays up when the program closes its side."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        os.set_blocking(self.master, False)

    def received(self, quiet: float = 0.1) -> bytes:
        """Everything that has come through, once nothing more has for
        `quiet` seconds: the kernel hands a pseudo-terminal's bytes to the
        other side a little after the write that sent them."""
        chunks = []
        while select.select([self.master], [], [], quiet)[0]:
            try:
                chunks.append(os.read(self.master, 4096))
            except BlockingIOError:
                continue
        return b"".join(chunks)

    def close(self):
        os.close(self.master)
        os.close(self.slave)


def run_timed(argv: list, keys: bytes, timeout: float = 20, env: dict = None) -> subprocess.CompletedProcess:
    """Runs `argv` with `keys` as its whole standard input. `seconds` on the
    result runs from the first byte the program writes to its end: starting
    a process (the loader, a sanitizer's runtime) is the machine's cost, not
    the run's, and on a loaded machine it alone can outlast a second."""
    started = time.monotonic()
    deadline = started + timeout
    with subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=env) as child:
        output, first = _exchange(child, keys, deadline)
        try:
            returncode = child.wait(timeout=max(deadline - time.monotonic(), 0))
        except subprocess.TimeoutExpired:
            child.kill()
            raise
    result = subprocess.CompletedProcess(argv, returncode, bytes(output[child.stdout]), bytes(output[child.stderr]))
    result.seconds = time.monotonic() - (first or started)
    return result


def _exchange(child: subprocess.Popen, keys: bytes, deadline: float) -> tuple:
    """Feeds `keys` and keeps all output until both outputs end; gives the
    output and when its first byte came."""
    output = {child.stdout: bytearray(), child.stderr: bytearray()}
    first, sent = None, 0
    with selectors.DefaultSelector() as selector:
        for stream in output:
            selector.register(stream, selectors.EVENT_READ)
        if keys:
            selector.register(child.stdin, selectors.EVENT_WRITE)
        else:
            child.stdin.close()
        while selector.get_map():
            ready = selector.select(deadline - time.monotonic())
            if not ready:
                child.kill()
                raise subprocess.TimeoutExpired(child.args, deadline - time.monotonic())
            for key, _ in ready:
                if key.fileobj is child.stdin:
                    sent = _feed(child.stdin, keys, sent, selector)
                elif chunk := os.read(key.fd, 65536):
                    first = first or time.monotonic()
                    output[key.fileobj] += chunk
                else:
                    selector.unregister(key.fileobj)
    return output, first


# A pipe that is writable takes PIPE_BUF bytes without blocking. A program
# that ends before reading everything leaves the rest unread, as
# subprocess.run does.
def _feed(stdin, keys: bytes, sent: int, selector) -> int:
    try:
        sent += os.write(stdin.fileno(), keys[sent:sent + select.PIPE_BUF])
    except BrokenPipeError:
        sent = len(keys)
    if sent == len(keys):
        selector.unregister(stdin)
        stdin.close()
    return sent


def run_piped(program: str, keys: bytes, timeout: float = 20, command: tuple = ()) -> subprocess.CompletedProcess:
    """Runs a program with `keys` as its whole standard input, through
    `command` if given (for example to run it as another user); `seconds` on
    the result tells how long it ran (run_timed)."""
    return run_timed([*command, PROGRAMS[program]], keys, timeout)


def wait_until(condition, seconds: float = 5) -> bool:
    """Whether `condition()` comes true within `seconds`, asked every 10 ms."""
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.01)
    return True


def in_single_key_mode(terminal: int) -> bool:
    """Whether the terminal on `terminal` (either side of it) hands on each
    key as it comes, as while the program waits for any key."""
    return not termios.tcgetattr(terminal)[3] & termios.ICANON


def waiting_in_poll(pid: int) -> bool:
    """Whether the process sleeps in poll, as the programs do while they wait for a key."""
    with open(f"/proc/{pid}/wchan", encoding="ascii") as wchan:
        return "poll" in wchan.read()


class TerminalRun:
    """A program in a real pseudo-terminal, its output rendered by a
    terminal emulator; `raw` keeps the bytes for failure reports."""

    def __init__(self, program: str):
        self.screen = pyte.Screen(SCREEN_COLUMNS, SCREEN_LINES)
        self._stream = pyte.ByteStream(self.screen)
        self.raw = bytearray()
        self.child = pexpect.spawn(
            str(PROGRAMS[program]), dimensions=(SCREEN_LINES, SCREEN_COLUMNS), timeout=10,
            env={**os.environ, "TERM": "xterm"},
        )
        self.child.logfile_read = self

    def write(self, data: bytes):
        self.raw += data
        self._stream.feed(data)

    def flush(self):
        pass

    def in_single_key_mode(self) -> bool:
        return in_single_key_mode(self.child.child_fd)

    def lines(self) -> list:
        return [line.rstrip() for line in self.screen.display]

    def exit_status(self) -> int:
        self.child.expect(pexpect.EOF)
        self.child.close()
        return self.child.exitstatus
