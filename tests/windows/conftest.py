"""Runs the Windows executables of build/windows-* under wine.

One throwaway wine prefix serves the whole session, its COM1, LPT1, COM10,
LPT2 and LPT3 led by the registry into the session's folder, and no program
runs before wine shows those links (its own default for COM1 is a real
serial device, and so may be its other COM ports: no test opens those).
The server stays up between runs, which keeps each run well under a second."""

import os
import shutil
import subprocess
import time
from pathlib import Path
from typing import NamedTuple

import pytest

from support import screens

ROOT = Path(__file__).resolve().parents[2]
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
# Chooses the 32-bit loader when one is installed.
WINE_ANY = "/usr/bin/wine"
ARCHITECTURES = ("x86_64", "i686")


def executable(program: str, architecture: str) -> Path:
    return ROOT / "build" / f"windows-{architecture}" / program / f"{program}.exe"


# Wine's "cls" prints nothing to a file and its "pause" has its own words;
# everything else is ours and must arrive with the console's CR LF line ends.
WINE_PAUSE = b"Press any key to continue... "


def on_windows_console(piped_posix_text: bytes) -> bytes:
    text = piped_posix_text.replace(screens.CLEAR, b"").replace(screens.PAUSE, WINE_PAUSE)
    return text.replace(b"\n", b"\r\n")


class Run(NamedTuple):
    output: bytes
    errors: bytes
    status: int
    seconds: float


class Wine:
    def __init__(self, folder: Path):
        self.folder = folder
        # COM10 and LPT2 for the ports the operator may choose; LPT3 is a
        # FIFO, a printer that takes nothing once its buffer is full.
        self.ports = {name: folder / "ports" / name for name in ("com1", "lpt1", "com10", "lpt2")}
        self.stuck_port = folder / "ports" / "lpt3"
        self.env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEPREFIX=str(folder / "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")

    def quietly(self, *command: str) -> None:
        subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300, check=True)

    def links(self) -> dict:
        return {**self.ports, "lpt3": self.stuck_port}

    def start(self) -> None:
        self.ports["com1"].parent.mkdir()
        os.mkfifo(self.stuck_port)
        self.quietly(WINE64, "wineboot", "--init")
        self.quietly(WINESERVER, "-w")
        for name, path in self.links().items():
            self.quietly(WINE64, "reg", "add", r"HKLM\Software\Wine\Ports", "/v", name.upper(), "/d", str(path), "/f")
        self.quietly(WINESERVER, "-w")
        # Idle for a minute at most, so that a killed session leaves no server behind.
        self.quietly(WINESERVER, "-p60")
        # The first process of a fresh server may hand its output to wine's
        # own services; this one has nothing to lose.
        self.quietly(WINE64, "cmd", "/c", "exit")
        self._await_port_links()

    def _await_port_links(self) -> None:
        dosdevices = self.folder / "prefix" / "dosdevices"
        deadline = time.monotonic() + 30
        while any(os.path.realpath(dosdevices / name) != str(path) for name, path in self.links().items()):
            if time.monotonic() > deadline:
                pytest.exit("wine did not point its ports at the test files; no program was run", 3)
            time.sleep(0.2)

    def stop(self) -> None:
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False)
        subprocess.run([WINESERVER, "-w"], env=self.env, check=False)
        # Hundreds of megabytes, of no use once the server is gone.
        shutil.rmtree(self.folder / "prefix", ignore_errors=True)

    def run(self, program: str, keys: bytes, architecture: str = "x86_64") -> tuple:
        """Runs a program with `keys` as its whole input; gives its output and exit status."""
        finished = self.launch(program, keys, architecture=architecture)
        return finished.output, finished.status

    def launch(self, program: str, keys: bytes, environment: dict = None, folder: Path = None,
               architecture: str = "x86_64", command: tuple = ()) -> Run:
        """Runs a program with `keys` as its whole input, `environment` added
        to wine's and `folder` (the session's by default) as its working
        folder, through `command` if given."""
        keys_file, output_file, errors_file = (self.folder / name for name in ("keys", "output", "errors"))
        keys_file.write_bytes(keys)
        loader = WINE64 if architecture == "x86_64" else WINE_ANY
        started = time.monotonic()
        with keys_file.open("rb") as stdin, output_file.open("wb") as stdout, errors_file.open("wb") as stderr:
            finished = subprocess.run([*command, loader, str(executable(program, architecture))],
                                      env={**self.env, **(environment or {})}, cwd=folder or self.folder,
                                      stdin=stdin, stdout=stdout, stderr=stderr, timeout=60, check=False)
        return Run(output_file.read_bytes(), errors_file.read_bytes(), finished.returncode,
                   time.monotonic() - started)

    def received(self, port: str) -> bytes:
        return self.ports[port].read_bytes()


@pytest.fixture(scope="session")
def wine(tmp_path_factory):
    session = Wine(tmp_path_factory.mktemp("wine"))
    try:
        session.start()
        yield session
    finally:
        session.stop()


@pytest.fixture
def ports(wine):
    """Both port files, empty; a test may take one away."""
    for path in wine.ports.values():
        path.write_bytes(b"")
    return wine


@pytest.fixture(scope="session")
def cannot_run_32_bit(wine):
    """Why the 32-bit build cannot run here, or None. It needs a 32-bit
    wine loader, and that a 32-bit system architecture, which CI must not add."""
    wine.ports["lpt1"].write_bytes(b"")
    output, _ = wine.run("labellpt", b"", "i686")
    if output.startswith(on_windows_console(screens.BANNER["labellpt"])):
        return None
    loader = "present" if os.path.exists("/usr/lib/wine/wine") else "absent"
    return f"the 32-bit labellpt.exe printed nothing under wine here (32-bit wine loader: {loader})"


@pytest.fixture(params=ARCHITECTURES)
def architecture(request, cannot_run_32_bit):
    if request.param == "i686" and cannot_run_32_bit:
        pytest.skip(cannot_run_32_bit)
    return request.param
