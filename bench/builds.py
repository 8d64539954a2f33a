"""The programs as the bench builds them: one build per way of linking, all
with their ports inside build/bench, so nothing here can reach a real device."""

import os
import subprocess
import sys
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
ROOT = SOURCE / "build" / "bench"
PORTS = ROOT / "ports"
LPT1, COM1 = PORTS / "lpt1", PORTS / "com1"
LINKINGS = ("dynamic", "static-runtime", "static")


def _run_quietly(command):
    done = subprocess.run(command, capture_output=True, text=True, check=False)
    if done.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed:\n{done.stdout}{done.stderr}")


def build(linking: str) -> dict:
    """Configures and builds one way of linking; returns the programs' paths."""
    tree = ROOT / linking
    _run_quietly([
        "cmake", "-S", SOURCE, "-B", tree, "-DCMAKE_BUILD_TYPE=Release", "-DLABEL_BUILD_TESTS=OFF",
        f"-DLABEL_LINKING={linking}", f"-DLABEL_LPT1_PATH={LPT1}", f"-DLABEL_COM1_PATH={COM1}",
    ])
    _run_quietly(["cmake", "--build", tree, "--parallel", str(os.cpu_count() or 1)])
    return {name: tree / name / name for name in ("labellpt", "labelcom")}


def build_floors() -> dict:
    """The least any program can cost here, built static: "empty" does
    nothing, "relay" answers each line with one write to a port."""
    tree = ROOT / "floor"
    tree.mkdir(parents=True, exist_ok=True)
    floors = {}
    for source in (SOURCE / "bench" / "floor").glob("*.cpp"):
        floors[source.stem] = tree / source.stem
        _run_quietly(["c++", "-std=c++20", "-O2", "-static-pie", "-o", floors[source.stem], source])
    return floors


def clear_ports():
    PORTS.mkdir(parents=True, exist_ok=True)
    for port in (LPT1, COM1):
        if port.is_symlink() or port.exists():
            port.unlink()
