"""The real programs against real drivers: Debian 12's kernel in a qemu
guest (tests/guest/build-image), with a USB printer gadget behind usblp, qemu's
parallel port behind lp, a second 8250 UART and an FTDI adapter whose far
ends are sockets here, and 32-bit wine for the windows-i686 build. The guest
(guest.sh) runs every case of CASES in one boot; each case is a test here."""

import json
import os
import shutil
import socket
import subprocess
import threading
import time
from dataclasses import dataclass
from pathlib import Path

import pytest

from support.expectations import fill
from support.programs import PROGRAMS, ROOT
from support.screens import (BANNER, CLEAR, EVERY_CHOICE, EVERY_CHOICE_SENT, LEAVING, MENU, PAUSE,
                             every_choice_dialogue, sends, shows)
# wine64 here, for the x86_64 build that the 32-bit one is held against.
from windows.conftest import executable, wine  # noqa: F401 (a fixture)

CACHE = ROOT / "build" / "guest"
SHARE = CACHE / "share"
PORT_VARIABLE = {"labellpt": "LABELLPT_PORT", "labelcom": "LABELCOM_PORT"}
SERIAL_CHANNELS = ("ttyS1", "ttyUSB0")
# The FTDI adapter, by an id that qemu's monitor removes and adds it by.
ADAPTER = {"driver": "usb-serial", "chardev": "ttyUSB0", "id": "adapter"}
XOFF, XON = b"\x13", b"\x11"
PREPARING = PAUSE + PAUSE + CLEAR  # labelcom's answer 1, before its menu


@dataclass
class Case:
    program: str
    port: str  # the value of its port variable; a Windows name runs the windows-i686 build
    steps: list  # ("keys", bytes), ("menu", n: wait for the nth menu), ("do", guest shell)
    device: str = ""  # a file in the guest, or a channel seen here ("lp", "ttyS1", "ttyUSB0")
    got: bytes = EVERY_CHOICE_SENT
    lost: tuple = ()  # (lost, sent) command lines, when the run reports a loss
    within: float = 0  # seconds each menu may take, or the run's end after the last menu
    settings: str = ""  # the line whose settings must be the printer's afterwards
    says: bytes = b""  # on standard error, besides the report of the loss
    setup: str = ""  # guest shell, before the program starts

    @property
    def windows(self):
        return not self.port.startswith("/")

    def keys(self):
        return b"".join(argument for verb, argument in self.steps if verb == "keys")


def dialogue(program, choices, lead=b""):
    """What a working run shows for choices that ask for nothing."""
    menu = MENU[program]
    return BANNER[program] + lead + menu + b"".join(shows(c) + menu for c in choices) + LEAVING[program]


def menu_after(keys, count):
    return [("keys", keys), ("menu", count)]


# labellpt reaches the printer at a choice's first byte and lets it go before
# the next menu: a choice made while the printer is away loses its line, and
# a printer plugged in again while the menu waits gets the next choice whole.
# The sleep lets the reader take choice 1's line before the gadget goes.
UNPLUG_STEPS = [*menu_after(b"1\n", 2), ("do", "sleep 1; unplug"), *menu_after(b"2\n", 3), ("do", "plug; reader_on"),
                *menu_after(b"6\n", 4), *menu_after(b"5\n", 5), ("keys", b"9\n")]
REPLUG_STEPS = [*menu_after(b"1\n", 2), ("do", "sleep 1; unplug; plug; reader_on"), ("keys", EVERY_CHOICE[2:])]
# The first key waits for the first menu: each choice, within which the
# printer is reached, is timed from its own menu, and the first menu, which
# waits on no printer, from the start.
STALL_STEPS = [("menu", 1), *menu_after(b"1\n", 2), *menu_after(b"2\n", 3), ("do", "reader_on"),
               *menu_after(b"6\n", 4), *menu_after(b"5\n", 5), ("keys", b"9\n")]
PAPER_OUT_STEPS = [("menu", 1), *menu_after(b"1\n", 2), ("do", "printer_status 0x08; reader_on"),
                   *menu_after(b"2\n", 3), ("keys", b"9\n")]
USBLP_MISSING = b"/dev/usb/lp0 does not exist; printer ports here: /dev/lp0 (LABELLPT_PORT=/dev/lp0 labellpt)\n"
NO_UART = b"labelcom: mode com1: /dev/ttyS2: Input/output error\n"
HELD = [*menu_after(b"2\n" + EVERY_CHOICE[:-2], 9), ("keys", b"9\n")]
# What the gadget says it is; the hint of a missing port names it.
PNP_STRING = "MFG:Lane Maker;CMD:VRT;MDL:Guest Model 4;CLS:PRINTER;"
USB_NAMED = (b"/dev/usb/lp9 does not exist; printer ports here: /dev/usb/lp0 (Lane Maker Guest Model 4; "
             b"LABELLPT_PORT=/dev/usb/lp0 labellpt), /dev/lp0 (LABELLPT_PORT=/dev/lp0 labellpt)\n")
# The adapter goes after choice 1 and is back, with settings of its own,
# before choice 2, which must reach it whole and once.
ADAPTER_BACK = [("keys", b"1\n"), *menu_after(b"1\n", 2), ("do", "sleep 1; adapter_out; adapter_in"),
                ("do", "wrong_settings /tmp/adapter-by-id"), *menu_after(b"2\n", 3), ("keys", b"9\n")]
CASES = {
    "usblp, every choice": Case("labellpt", "/dev/usb/lp0", [("keys", EVERY_CHOICE)], "/tmp/gadget"),
    "usblp, a printer that takes nothing": Case("labellpt", "/dev/usb/lp0", STALL_STEPS, "/tmp/gadget",
                                                sends(6) + sends(5), (2, 5), within=6, setup="unplug; plug"),
    # The gadget says it is out of paper (and, unread, not selected) until it is read again.
    "usblp, a printer out of paper": Case("labellpt", "/dev/usb/lp0", PAPER_OUT_STEPS, "/tmp/gadget", sends(2), (1, 2),
                                          within=6, says=fill("printer out of paper"),
                                          setup="unplug; plug; printer_status 0x28"),
    "usblp unplugged between choices": Case("labellpt", "/dev/usb/lp0", UNPLUG_STEPS, "/tmp/gadget",
                                            sends(1) + sends(6) + sends(5), (1, 5), says=USBLP_MISSING),
    "usblp unplugged and plugged in again while the menu waits": Case("labellpt", "/dev/usb/lp0", REPLUG_STEPS,
                                                                      "/tmp/gadget"),
    "lp on the parallel port, every choice": Case("labellpt", "/dev/lp0", [("keys", EVERY_CHOICE)], "lp"),
    **{f"{line} prepared by answer 1, every choice": Case(
        "labelcom", f"/dev/{line}", [("keys", b"1\n" + EVERY_CHOICE)], line, settings=f"/dev/{line}",
        setup=f"wrong_settings /dev/{line}")
       for line in SERIAL_CHANNELS},
    "ttyS1 held by XOFF": Case("labelcom", "/dev/ttyS1", HELD, "ttyS1", b"", (8, 8), within=12,
                               setup="xon_line /dev/ttyS1; hold ttyS1"),
    "ttyS2, a serial port without hardware": Case("labelcom", "/dev/ttyS2", [("keys", b"1\n1\n9\n")], "", b"",
                                                  (1, 1), says=NO_UART),
    "32-bit labellpt, every choice": Case("labellpt", "LPT1", [("keys", EVERY_CHOICE)], "/tmp/lpt1"),
    "32-bit labelcom, answer 1 and every choice": Case("labelcom", "COM1", [("keys", b"1\n" + EVERY_CHOICE)],
                                                       "/tmp/com1"),
    "32-bit labellpt, LABELLPT_PORT=LPT2": Case("labellpt", "LPT2", [("keys", EVERY_CHOICE)], "/tmp/lpt2"),
    "32-bit labellpt, a refused port name": Case("labellpt", "PRN|x", [("keys", b"1\n2\n9\n")], "/tmp/lpt1"),
    "32-bit labellpt, input ending mid-prompt": Case("labellpt", "LPT1", [("keys", b"1\n3\n1")], "/tmp/lpt1"),
    "a missing port, and the USB printer named by its device ID": Case(
        "labellpt", "/dev/usb/lp9", [("keys", b"1\n9\n")], "/tmp/gadget", b"", (1, 1), says=USB_NAMED),
    # Last: the adapter keeps its new name.
    "ttyUSB0 pulled out and back under its by-id name": Case(
        "labelcom", "/tmp/adapter-by-id", ADAPTER_BACK, "ttyUSB0", sends(1) + sends(2), settings="/tmp/adapter-by-id",
        says=b"labelcom: " + fill("printer back", {"port": b"/tmp/adapter-by-id"}) + b"\n",
        setup="ln -sfn /dev/ttyUSB0 /tmp/adapter-by-id"),
}


def shell_bytes(data: bytes) -> str:
    """`data` for the guest's printf %b, every byte but letters and digits as an octal escape."""
    return "".join(chr(b) if chr(b).isalnum() else "\\0%03o" % b for b in data)


def command(case, folder):
    environment = f"{PORT_VARIABLE[case.program]}='{case.port}'"
    if case.windows:
        # From a file, as the host's run has it: wine's "pause" reads a pipe differently.
        (folder / "keys").write_bytes(case.keys())
        return f"cd /tmp && env {environment} wine /tmp/bin/{case.program}.exe </share/cases/{folder.name}/keys"
    return f"env {environment} /tmp/bin/{case.program}"


def write_share():
    shutil.rmtree(SHARE, ignore_errors=True)
    (SHARE / "bin").mkdir(parents=True)
    (SHARE / "results").mkdir()
    shutil.copy(Path(__file__).with_name("guest.sh"), SHARE)
    (SHARE / "pnp_string").write_text(PNP_STRING)
    for program in PORT_VARIABLE:
        shutil.copy(PROGRAMS[program], SHARE / "bin")
        shutil.copy(executable(program, "i686"), SHARE / "bin")
    for number, (name, case) in enumerate(CASES.items()):
        folder = SHARE / "cases" / f"{number:02d}"
        folder.mkdir(parents=True)
        (folder / "command").write_text(command(case, folder))
        steps = [] if case.windows else case.steps
        (folder / "steps").write_text("".join(f"{verb} {shell_bytes(arg) if verb == 'keys' else arg}\n"
                                              for verb, arg in steps))
        if case.device.startswith("/"):
            (folder / "capture").write_text(case.device)
        if case.setup:
            (folder / "setup").write_text(case.setup)
        if case.settings:
            (folder / "settings").write_text(case.settings)


def problem():
    """What the lane lacks here, in one line; empty if nothing."""
    needed = [PROGRAMS[p] for p in PORT_VARIABLE]
    needed += [executable(p, a) for p in PORT_VARIABLE for a in ("i686", "x86_64")]
    missing = [str(path) for path in needed if not path.is_file()]
    if missing:
        return f"{missing[0]} not found: build with `cmake --workflow --preset test` and the windows-i686 and " \
               "windows-x86_64 workflow presets"
    tools = [tool for tool in ("qemu-system-x86_64", "mmdebstrap", "mke2fs", "busybox", "cpio", "wine") if
             not shutil.which(tool)]
    if tools:
        return f"{tools[0]} not found: install the packages of scripts/debian-packages-check"
    return "" if os.geteuid() == 0 else "the guest lane builds its image with mmdebstrap, which needs root"


class Guest:
    """One boot of the guest; what its serial lines' far ends got, per case."""

    def __init__(self, image: Path):
        self.image, self.received, self.sockets = image, {}, {}
        self.console, self.case = [], None

    def qemu(self):
        chardevs = [f"socket,id={line},path={SHARE / line},server=on,wait=on" for line in SERIAL_CHANNELS]
        return ["qemu-system-x86_64", "-accel", "tcg", "-m", "2048", "-smp", "2", "-nographic", "-nic", "none",
                "-no-reboot",
                "-kernel", str(self.image / "vmlinux"), "-initrd", str(self.image / "initramfs.cpio"),
                "-append", "console=ttyS0 quiet loglevel=1 panic=-1",
                "-drive", f"file={self.image / 'disk.img'},if=virtio,format=raw",
                "-virtfs", f"local,path={SHARE},mount_tag=share,security_model=none",
                "-parallel", f"file:{SHARE / 'lp'}", "-chardev", chardevs[0], "-serial", "mon:stdio",
                "-serial", "chardev:ttyS1", "-chardev", chardevs[1],
                "-device", "qemu-xhci", "-device", ",".join(f"{k}={v}" for k, v in ADAPTER.items()),
                "-qmp", f"unix:{SHARE / 'qmp'},server=on,wait=off"]

    def connect(self, line):
        for _ in range(100):
            try:
                self.sockets[line] = socket.socket(socket.AF_UNIX)
                self.sockets[line].connect(str(SHARE / line))
                break
            except OSError:
                time.sleep(0.1)
        threading.Thread(target=self.listen, args=(line,), daemon=True).start()

    def listen(self, line):
        try:
            while chunk := self.sockets[line].recv(4096):
                if self.case is not None:
                    self.received.setdefault((self.case, line), bytearray()).extend(chunk)
        except OSError:
            return  # qemu has gone

    def run(self, seconds):
        qemu = subprocess.Popen(self.qemu(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        for line in SERIAL_CHANNELS:
            self.connect(line)
        timer = threading.Timer(seconds, qemu.kill)
        timer.start()
        with (SHARE / "console.log").open("w") as log:
            for raw in qemu.stdout:
                self.console.append(raw.decode(errors="replace").rstrip())
                print(self.console[-1], file=log, flush=True)
                self.follow(self.console[-1])
        timer.cancel()
        qemu.wait()

    def monitor(self, *commands):
        """Runs each QMP command; a device_del waits for the device to be gone."""
        with socket.socket(socket.AF_UNIX) as qmp:
            qmp.connect(str(SHARE / "qmp"))
            replies = qmp.makefile("r")
            for execute, arguments in [("qmp_capabilities", {}), *commands]:
                qmp.sendall(json.dumps({"execute": execute, "arguments": arguments}).encode())
                while "return" not in (reply := json.loads(replies.readline())) and "error" not in reply:
                    pass
                while execute == "device_del" and reply.get("event") != "DEVICE_DELETED":
                    reply = json.loads(replies.readline())

    def follow(self, line):
        verb, _, argument = line.partition(" ")
        if line == "@@unplug adapter":
            self.monitor(("device_del", {"id": ADAPTER["id"]}))
        elif line == "@@plug adapter":
            self.monitor(("device_add", ADAPTER))
        if verb == "@@case":
            self.case = argument
        elif verb == "@@done":
            self.case = None
            self.sockets["ttyS1"].sendall(XON)
        elif verb == "@@xoff":
            self.sockets[argument].sendall(XOFF)


@pytest.fixture(scope="module")
def guest():
    if reason := problem():
        if os.environ.get("CI") == "true":
            pytest.exit(f"guest lane: {reason}", returncode=1)
        pytest.skip(reason)
    started = time.monotonic()
    image = Path(subprocess.run([Path(__file__).with_name("build-image"), CACHE], check=True, text=True,
                                stdout=subprocess.PIPE).stdout.strip())
    built = time.monotonic()
    write_share()
    session = Guest(image)
    # The first boot of an image also makes its 32-bit wine prefix.
    session.run(1200)
    print(f"\nguest lane: image {built - started:.0f} s, boot and cases {time.monotonic() - built:.0f} s")
    return session


def result(guest, number):
    folder = SHARE / "results" / f"{number:02d}"
    if not (folder / "status").is_file():
        pytest.fail("the case did not run; the guest's console ended with:\n" + "\n".join(guest.console[-15:]))
    read = lambda name: (folder / name).read_bytes() if (folder / name).is_file() else b""
    timings = [float(line.split()[2]) for line in read("timings").decode().splitlines()]
    return read, int(read("status")), float(read("seconds")), timings


def expected_stdout(case):
    keys, lead = case.keys(), b""
    if case.program == "labelcom":
        lead = PREPARING if keys.startswith(b"1\n") else b""
        keys = keys[2:]
    if keys.endswith(EVERY_CHOICE[:-2] + b"9\n"):
        return BANNER[case.program] + lead + every_choice_dialogue(case.program) + LEAVING[case.program]
    return dialogue(case.program, [int(k) for k in keys.split() if k != b"9"], lead)


def held_against_the_host(case, read, status, host_wine):
    """stdout, exit status and the port's bytes, as the x86_64 build under wine64 gives them here."""
    for path in host_wine.ports.values():
        path.write_bytes(b"")
    run = host_wine.launch(case.program, case.keys(), {PORT_VARIABLE[case.program]: case.port})
    assert (read("stdout"), status) == (run.output, run.status)
    assert read("device") == host_wine.received(case.device.removeprefix("/tmp/"))


@pytest.mark.parametrize("number, name", list(enumerate(CASES)), ids=list(CASES))
def test_case(guest, request, number, name):
    case = CASES[name]
    read, status, seconds, timings = result(guest, number)
    if case.windows:
        held_against_the_host(case, read, status, request.getfixturevalue("wine"))
        return
    device = read("device") if case.device.startswith("/") else guest.received.get((f"{number:02d}", case.device), b"")
    if case.device == "lp":
        device = (SHARE / "lp").read_bytes()
    assert (read("stdout"), device, status) == (expected_stdout(case), case.got, 1 if case.lost else 0)
    stderr = read("stderr")
    if case.lost:
        lost, sent = case.lost
        port = case.port.encode()
        assert b"%s: the printer on %s did not get the last command: " % (case.program.encode(), port) in stderr
        assert case.says in stderr
        assert stderr.endswith(b"%d of %d command lines did not reach the printer on %s\n" % (lost, sent, port))
    else:
        assert stderr == case.says
    if case.within and case.lost == (8, 8):
        assert seconds - timings[-1] < case.within
    elif case.within:
        assert all(later - earlier < case.within for earlier, later in zip([0, *timings], timings))
    if case.settings:
        settings = read("settings").decode()
        words = settings.replace(";", " ").split()
        assert "speed 9600 baud;" in settings
        assert {"cs8", "-parenb", "-cstopb", "clocal", "cread", "-crtscts", "-ixon", "-opost"} <= set(words)
