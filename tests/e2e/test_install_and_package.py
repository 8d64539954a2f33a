"""What `cmake --install` and the Debian package put on a machine."""

import os
import subprocess
from pathlib import Path

import pytest

from support.programs import BUILD_DIR, CMAKE, CPACK, PORT_PATHS
from support.screens import sends

PROGRAM_FILES = {"bin/labelcom", "bin/labellpt"}
MANUAL_PAGES = {"share/man/man1/labelcom.1.gz", "share/man/man1/labellpt.1.gz"}
DEBIAN_COPYRIGHT = "usr/share/doc/labelutils/copyright"


def run(*command, **options) -> subprocess.CompletedProcess:
    return subprocess.run(command, capture_output=True, check=True, text=True, **options)


def files_under(root: Path) -> set:
    return {str(path.relative_to(root)) for path in root.rglob("*") if not path.is_dir()}


@pytest.fixture(scope="module")
def prefix(tmp_path_factory) -> Path:
    root = tmp_path_factory.mktemp("prefix")
    run(CMAKE, "--install", str(BUILD_DIR), "--prefix", str(root))
    return root


def test_install_gives_the_programs_and_their_manual_pages(prefix):
    assert files_under(prefix) == PROGRAM_FILES | MANUAL_PAGES


@pytest.mark.parametrize("program, port", [("labelcom", "com1"), ("labellpt", "lpt1")])
def test_manual_page_has_no_warnings_and_names_the_compiled_in_port(prefix, program, port):
    page = prefix / f"share/man/man1/{program}.1.gz"
    shown = run("man", "--warnings", "-l", str(page), env={**os.environ, "LC_ALL": "C.UTF-8", "MANWIDTH": "200"})
    assert shown.stderr == ""
    assert str(PORT_PATHS[port]) in shown.stdout


def test_debian_package_installs_both_programs_with_the_licence_and_labellpt_runs_from_it(tmp_path, lpt1):
    run(CPACK, "-G", "DEB", "-B", str(tmp_path), "--config", str(BUILD_DIR / "CPackConfig.cmake"))
    (package,) = tmp_path.glob("*.deb")
    root = tmp_path / "root"
    run("dpkg-deb", "--extract", str(package), str(root))
    assert {f"usr/{path}" for path in PROGRAM_FILES | MANUAL_PAGES} | {DEBIAN_COPYRIGHT} <= files_under(root)
    libraries = run("readelf", "--dynamic", str(root / "usr/bin/labellpt")).stdout.count("(NEEDED)")
    depends = run("dpkg-deb", "--field", str(package), "Depends").stdout
    assert ("libc6" in depends) == (libraries > 0), depends
    assert run("dpkg-deb", "--field", str(package), "Recommends").stdout.split() == ["libcups2"]

    lpt1.make_file()
    # Without LABELLPT_PORT the program writes to the port compiled in, the test's own file.
    environment = {name: value for name, value in os.environ.items() if name != "LABELLPT_PORT"}
    session = subprocess.run([root / "usr/bin/labellpt"], input=b"1\n9\n", capture_output=True, timeout=20,
                             check=False, env=environment)
    assert (session.returncode, lpt1.received()) == (0, sends(1))
