"""The programs as the bench builds them: one build per way of linking, and
builds of other commits, all with their ports inside build/bench, so nothing
here can reach a real device."""

import os
import subprocess
import sys
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
ROOT = SOURCE / "build" / "bench"
PORTS = ROOT / "ports"
LPT1, COM1 = PORTS / "lpt1", PORTS / "com1"
LINKINGS = ("dynamic", "static-runtime", "static")


def _run_quietly(command, stdin=None):
    done = subprocess.run(command, stdin=stdin, capture_output=True, text=True, check=False)
    if done.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed:\n{done.stdout}{done.stderr}")


def _build_tree(source: Path, tree: Path, linking=None) -> dict:
    """Configures and builds `source` in `tree`, linked as that source's
    default unless `linking` is given; returns the programs' paths."""
    _run_quietly([
        "cmake", "-S", source, "-B", tree, "-DCMAKE_BUILD_TYPE=Release", "-DLABEL_BUILD_TESTS=OFF",
        f"-DLABEL_LPT1_PATH={LPT1}", f"-DLABEL_COM1_PATH={COM1}", *([f"-DLABEL_LINKING={linking}"] if linking else []),
    ])
    _run_quietly(["cmake", "--build", tree, "--parallel", str(os.cpu_count() or 1)])
    return {name: tree / name / name for name in ("labellpt", "labelcom")}


def build(linking=None) -> dict:
    """The working tree's programs, linked one way, or as they are by default."""
    return _build_tree(SOURCE, ROOT / (linking or "default"), linking)


def build_commit(revision: str, linking=None) -> dict:
    """The programs of a commit (anything git names: a hash, a branch,
    HEAD~3), from its own files alone, as it links them by default unless
    `linking` is given."""
    commit = subprocess.run(["git", "-C", SOURCE, "rev-parse", "--verify", f"{revision}^{{commit}}"],
                            capture_output=True, text=True, check=False)
    if commit.returncode != 0:
        sys.exit(f"git knows no commit {revision}")
    folder = ROOT / "commits" / commit.stdout.strip()[:12]
    if not (folder / "source-complete").exists():
        (folder / "source").mkdir(parents=True, exist_ok=True)
        archive = subprocess.Popen(["git", "-C", SOURCE, "archive", commit.stdout.strip()], stdout=subprocess.PIPE)
        _run_quietly(["tar", "-x", "-C", folder / "source"], stdin=archive.stdout)
        if archive.wait() != 0:
            sys.exit(f"git archive {revision} failed")
        (folder / "source-complete").touch()
    return _build_tree(folder / "source", folder / (linking or "default"), linking)


# What the floor program is linked as, by the way of linking whose least cost it shows.
FLOOR_LINKING = {"static": ["-static-pie"], "static-runtime": ["-static-libstdc++", "-static-libgcc"]}


def build_floors() -> dict:
    """The least a session can cost here (bench/floor/relay.cpp), built
    static and with the C library shared."""
    tree = ROOT / "floor"
    tree.mkdir(parents=True, exist_ok=True)
    floors = {}
    for linking, options in FLOOR_LINKING.items():
        floors[linking] = tree / f"relay-{linking}"
        _run_quietly(["c++", "-std=c++20", "-O2", *options, "-o", floors[linking], SOURCE / "bench/floor/relay.cpp"])
    return floors


def clear_ports():
    PORTS.mkdir(parents=True, exist_ok=True)
    for port in (LPT1, COM1):
        if port.is_symlink() or port.exists():
            port.unlink()
