"""Printers on the network for one test, on 127.0.0.1 or ::1 only: each is
started by the test that uses it and stopped by it, and every wait is
bounded. Names for them come from private files that only the one program
run sees (private_names): it runs in a mount namespace of its own, and in a
network namespace of its own too where it asks a resolver, so that no name
is ever asked of a real network.

Run as a program, `loopback.py [--silent-resolver] FILE... -- COMMAND...`,
this is what those namespaces run first: it binds each FILE over /etc/ of its
name (with --silent-resolver brings the loopback up and holds UDP port 53 of
127.0.0.1 open, unread, for COMMAND to inherit), then becomes COMMAND."""

import contextlib
import functools
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
from pathlib import Path

HOSTS = ("127.0.0.1", "::1")


def listener(host: str, backlog: int = 8, port: int = 0) -> socket.socket:
    assert host in HOSTS, "a network test talks only to the loopback addresses"
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    server = socket.socket(family, socket.SOCK_STREAM)
    server.bind((host, port))
    server.listen(backlog)
    return server


def value(server: socket.socket) -> str:
    """The port variable's value that leads to `server`."""
    host, port = server.getsockname()[:2]
    return f"socket://[{host}]:{port}" if ":" in host else f"socket://{host}:{port}"


def reset(connection: socket.socket) -> None:
    """Closes with a reset instead of the orderly end."""
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


class Printer:
    """Takes every connection and keeps what each brought, in order, until
    its sender ends it."""

    def __init__(self, host: str):
        self.server = listener(host)
        self.server.settimeout(0.1)
        self.value = value(self.server)
        self.connections = []
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._serve)
        self._thread.start()

    # Once stopped, it still takes the connections already queued, and any
    # that a loaded machine's loopback queues late: it ends after a quiet
    # half second.
    def _serve(self):
        quiet = 0
        while quiet < 5:
            try:
                connection, _ = self.server.accept()
            except TimeoutError:
                quiet = quiet + 1 if self._stop.is_set() else 0
                continue
            quiet = 0
            with connection:
                connection.settimeout(10)
                self.connections.append(b"".join(iter(lambda: connection.recv(4096), b"")))

    def stop(self) -> list:
        """Every connection's bytes."""
        self._stop.set()
        self._thread.join(timeout=15)
        self.server.close()
        return self.connections


# A printer's name in the private hosts files, and one that gives it an
# address on each loopback.
NAME = "printer.test"
TWO_ADDRESSES = f"::1 {NAME}\n127.0.0.1 {NAME}\n"
# A resolver that never answers, named as /etc/resolv.conf names one.
SILENT_RESOLVER = "127.0.0.1"


def private_names(folder: Path, hosts: str, silent_resolver: bool = False) -> tuple:
    """The command that runs a program (its path to follow) with `hosts` as
    its /etc/hosts, which alone it asks; with `silent_resolver`, in a network
    namespace of its own, where it asks a resolver too, which never answers."""
    nsswitch = "hosts: files dns\n" if silent_resolver else "hosts: files\n"
    files = {"hosts": hosts, "nsswitch.conf": nsswitch, "resolv.conf": f"nameserver {SILENT_RESOLVER}\n"}
    for name, text in files.items():
        (folder / name).write_text(text)
    namespaces = ("--mount", "--net") if silent_resolver else ("--mount",)
    return ("unshare", *namespaces, "--", sys.executable, __file__, *(["--silent-resolver"] if silent_resolver else []),
            *(str(folder / name) for name in files), "--")


@contextlib.contextmanager
def first_address_dead(command: tuple, name: str):
    """A Printer on the second of `name`'s two addresses in the order a
    program run through `command` gets them; on the first, at the same port,
    a listener whose full queue leaves every handshake unanswered."""
    listing = subprocess.run([*command, shutil.which("getent"), "ahosts", name], capture_output=True, timeout=20,
                             check=True)
    dead, live = (line.split()[0] for line in listing.stdout.decode().splitlines() if " STREAM " in line)
    printer = Printer(live)
    port = printer.server.getsockname()[1]
    with listener(dead, backlog=0, port=port), socket.create_connection((dead, port)):
        yield printer


@functools.cache
def _private_names_missing() -> str:
    if os.geteuid() != 0:
        return "need root (unshare --mount --net)"
    if shutil.which("unshare") is None:
        return "need unshare (util-linux)"
    with tempfile.TemporaryDirectory() as folder:
        probe = subprocess.run([*private_names(Path(folder), "", silent_resolver=True), "/bin/true"],
                               capture_output=True, timeout=20, check=False)
    return "" if probe.returncode == 0 else (probe.stderr.decode(errors="replace").splitlines() or ["failed"])[-1]


def _in_chroot() -> bool:
    """A chroot's root is no mount point, so no mount namespace made in it
    can be private, and none that is not may be used: its mounts would reach
    the machine's own. (Where /proc/1/root may not be read, as in a chroot
    without the right to trace, only the mount table can tell.)"""
    try:
        with open("/proc/self/mountinfo", encoding="utf-8") as table:
            return all(line.split()[4] != "/" for line in table)
    except OSError:
        return False


def need_private_names() -> None:
    """Skips the test, saying what is missing, where this machine cannot give
    a program private names; under CI that fails it instead, unless CI itself
    runs in a chroot."""
    import pytest  # not in the namespaces, where this file runs as a program

    if missing := _private_names_missing():
        in_chroot = _in_chroot()
        stop = pytest.fail if os.environ.get("CI") == "true" and not in_chroot else pytest.skip
        stop(f"private names for the network tests: {missing}" + (" (in a chroot)" if in_chroot else ""))


def _enter(arguments: list) -> None:
    files, command = arguments[:arguments.index("--")], arguments[arguments.index("--") + 1:]
    silent = files[:1] == ["--silent-resolver"]
    for path in files[silent:]:
        subprocess.run(["mount", "--bind", path, f"/etc/{Path(path).name}"], check=True)
    if silent:
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        resolver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        resolver.bind((SILENT_RESOLVER, 53))
        os.set_inheritable(resolver.fileno(), True)
    os.execv(command[0], command)


if __name__ == "__main__":
    _enter(sys.argv[1:])
