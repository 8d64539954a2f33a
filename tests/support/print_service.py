"""A print service of the test's own: Debian's cupsd with every folder, its
socket and its logs inside one temporary folder, started by the test that uses
it and always stopped by it. Its one backend, `capture`, appends each job to
the file its device URI names; where FILE.state exists, it reports that on
its standard error instead and fails, as a printer out of paper would."""

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
cat "$6" >> "$out" && echo job >> "$out.jobs"
"""
CUPSD_CONF = ("Listen {0}/cups.sock\nLogLevel debug\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
              "ErrorPolicy stop-printer\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
FILES_CONF = ("ServerRoot {0}\nCacheDir {0}/cache\nStateDir {0}/state\nRequestRoot {0}/spool\nTempDir {0}/tmp\n"
              "ServerBin {0}/bin\nErrorLog {0}/log/error_log\nAccessLog {0}/log/access_log\n"
              "PageLog {0}/log/page_log\nSystemGroup root\n")


def missing() -> str:
    """What this machine lacks for a private print service, or ""."""
    if os.geteuid() != 0:
        return "need root (cupsd runs its backends as root or lp)"
    lacking = [name for name in ("cupsd", "lpadmin") if shutil.which(name) is None]
    return f"need {', '.join(lacking)} (cups-daemon, cups-client)" if lacking else ""


class PrintService:
    def __init__(self, folder: Path):
        self.folder, self.socket = folder, folder / "cups.sock"
        for name in ("cache", "state", "spool", "tmp", "log", "bin/backend"):
            (folder / name).mkdir(parents=True)
        for name in ("daemon", "filter", "notifier", "monitor", "cgi-bin"):
            if (CUPS / name).exists():
                (folder / "bin" / name).symlink_to(CUPS / name)
        (folder / "bin/backend/capture").write_text(BACKEND)
        (folder / "bin/backend/capture").chmod(0o700)  # run as root: the capture files are the test's
        (folder / "cupsd.conf").write_text(CUPSD_CONF.format(folder))
        (folder / "cups-files.conf").write_text(FILES_CONF.format(folder))
        self.process = subprocess.Popen(["cupsd", "-f", "-c", folder / "cupsd.conf", "-s", folder / "cups-files.conf"],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while not self.socket.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError(f"cupsd did not start; see {folder}/log/error_log")
            time.sleep(0.05)

    def run(self, *command: str) -> subprocess.CompletedProcess:
        return subprocess.run(command, env={**os.environ, "CUPS_SERVER": str(self.socket)}, capture_output=True,
                              text=True, timeout=20, check=True)

    def add_queue(self, name: str) -> Path:
        """A raw queue whose jobs land in the file handed back."""
        self.run("lpadmin", "-p", name, "-E", "-v", f"capture:{self.folder / name}", "-m", "raw")
        return self.folder / name

    def await_jobs(self, capture: Path, count: int) -> bytes:
        """The capture file once `count` jobs have reached it, or at the deadline."""
        jobs, deadline = Path(f"{capture}.jobs"), time.monotonic() + 20
        while (jobs.exists() and len(jobs.read_text().splitlines())) < count and time.monotonic() < deadline:
            time.sleep(0.05)
        return capture.read_bytes() if capture.exists() else b""

    def pause(self, stopped: bool):
        os.kill(self.process.pid, signal.SIGSTOP if stopped else signal.SIGCONT)

    def stop(self):
        if self.process.poll() is None:
            self.pause(False)
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
