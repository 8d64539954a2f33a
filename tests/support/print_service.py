"""A print service of the test's own: Debian's cupsd with every folder, its
socket and its logs inside one temporary folder, started by the test that uses
it and always stopped by it. Its one backend, `capture`, appends each job's
bytes to the file its device URI names, and reports what the file
`PATH.state`, if any, holds on its standard error, then fails when that says
so: a printer state a test sets up (`STATE: +media-empty-error`)."""

import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

CUPS = Path("/usr/lib/cups")
BACKEND = """#!/bin/sh
[ $# -eq 0 ] && { echo 'direct capture "Unknown" "test capture"'; exit 0; }
out=${DEVICE_URI#capture:}
if [ -f "$out.state" ]; then cat "$out.state" >&2; exit 1; fi
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >> "$out"
echo job >> "$out.jobs"
"""


def missing() -> str:
    """What this machine lacks for a private print service, or ""."""
    if os.geteuid() != 0:
        return "need root (cupsd runs its backends as root or lp)"
    for program in ("cupsd", "lpadmin", "cupsenable"):
        if shutil.which(program) is None:
            return f"need {program} (cups-daemon, cups-client)"
    return ""


class PrintService:
    def __init__(self, folder: Path):
        self.folder = folder
        self.socket = folder / "cups.sock"
        self.env = {**os.environ, "CUPS_SERVER": str(self.socket)}
        self._write_configuration()
        self.process = subprocess.Popen(
            ["cupsd", "-f", "-c", str(folder / "cupsd.conf"), "-s", str(folder / "cups-files.conf")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._await_socket()

    def _write_configuration(self):
        for name in ("cache", "state", "spool", "tmp", "log", "bin/backend"):
            (self.folder / name).mkdir(parents=True, exist_ok=True)
        for name in ("daemon", "filter", "notifier", "monitor", "cgi-bin"):
            if (CUPS / name).exists():
                (self.folder / "bin" / name).symlink_to(CUPS / name)
        backend = self.folder / "bin/backend/capture"
        backend.write_text(BACKEND)
        backend.chmod(0o700)  # run as root: the capture files are the test's
        (self.folder / "cupsd.conf").write_text(
            f"Listen {self.socket}\nLogLevel debug\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
            "ErrorPolicy stop-printer\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
            "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n")
        folder = self.folder
        (folder / "cups-files.conf").write_text(
            f"ServerRoot {folder}\nCacheDir {folder}/cache\nStateDir {folder}/state\nRequestRoot {folder}/spool\n"
            f"TempDir {folder}/tmp\nServerBin {folder}/bin\nErrorLog {folder}/log/error_log\n"
            f"AccessLog {folder}/log/access_log\nPageLog {folder}/log/page_log\nSystemGroup root\n")

    def _await_socket(self):
        deadline = time.monotonic() + 20
        while not self.socket.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                log = self.folder / "log/error_log"
                raise RuntimeError("cupsd did not start: " + (log.read_text()[-2000:] if log.exists() else ""))
            time.sleep(0.05)

    def run(self, *command: str) -> subprocess.CompletedProcess:
        return subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=20, check=True)

    def add_queue(self, name: str) -> Path:
        """A raw queue whose jobs land in the file handed back."""
        capture = self.folder / f"{name}.out"
        self.run("lpadmin", "-p", name, "-E", "-v", f"capture:{capture}", "-m", "raw")
        return capture

    def await_jobs(self, capture: Path, count: int) -> bytes:
        """The capture file once `count` jobs have reached it, or its bytes at the deadline."""
        jobs = Path(f"{capture}.jobs")
        deadline = time.monotonic() + 20
        while (len(jobs.read_text().splitlines()) if jobs.exists() else 0) < count and time.monotonic() < deadline:
            time.sleep(0.05)
        return capture.read_bytes() if capture.exists() else b""

    def pause(self, stopped: bool):
        os.kill(self.process.pid, signal.SIGSTOP if stopped else signal.SIGCONT)

    def stop(self):
        if self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGCONT)
            self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
