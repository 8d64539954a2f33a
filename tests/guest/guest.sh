#!/bin/sh
# The guest's first process: loads the real drivers, makes a USB printer
# out of a gadget, then runs each case the host wrote to /share/cases and
# leaves its results in /share/results. Lines starting with @@ on the
# console tell the host which case runs, and when to hold a serial line.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev; mount -t tmpfs tmp /tmp
for module in parport_pc lp usblp dummy_hcd libcomposite usb_f_printer xhci_pci ftdi_sio; do
  modprobe "$module" || echo "@@fail modprobe $module"
done
mount -t configfs configfs /sys/kernel/config
# Wine maps its programs from files, which a 9p share cannot back.
cp -r /share/bin /tmp/bin
say() { echo "@@$*" >/dev/console; }
gadget=/sys/kernel/config/usb_gadget/lane

appears() {  # waits up to 10 s for each path
  for path; do
    i=0
    while [ ! -e "$path" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  done
}
vanishes() {  # waits up to 10 s for each path to go
  for path; do
    i=0
    while [ -e "$path" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  done
}
reader_on() { cat /dev/g_printer0 >>/tmp/gadget & echo $! >/tmp/reader; }
# The status byte usblp reads from the gadget (GADGET_SET_PRINTER_STATUS),
# set with the reader off: the gadget opens only once. 0x08 is "no error";
# the gadget adds "selected" (0x10) while it is held open, as by the reader.
printer_status() { perl -e 'open(my $f, "+<", "/dev/g_printer0") or die $!; ioctl($f, 0xc0016722, hex($ARGV[0])) // die $!' "$1"; }
reader_off() { [ -f /tmp/reader ] && kill "$(cat /tmp/reader)" && rm /tmp/reader; sleep 0.2; }
# Under emulation a fresh gadget may be enumerated twice: wait for the second.
plug() { echo dummy_udc.0 >$gadget/UDC; appears /dev/usb/lp0 /dev/g_printer0; sleep 2; appears /dev/usb/lp0; }
unplug() { reader_off; echo "" >$gadget/UDC; vanishes /dev/usb/lp0 /dev/g_printer0; }
wrong_settings() { stty -F "$1" 1200 cs7 parenb cstopb -clocal crtscts ixon opost; }
xon_line() { stty -F "$1" 9600 cs8 -parenb -cstopb clocal cread -crtscts raw -echo ixon; }
# The USB serial adapter pulled out (by the host, through qemu's monitor) and
# plugged in again, which gives it the next free name while the old one is
# held; the link stands for udev's by-id name, which follows the adapter.
adapter_out() { say "unplug adapter"; vanishes /dev/ttyUSB0; }
adapter_in() {
  say "plug adapter"; i=0
  while ! ls /dev/ttyUSB* >/dev/null 2>&1 && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  ln -sfn "$(ls /dev/ttyUSB* | head -n 1)" /tmp/adapter-by-id
}
# A line's XOFF stops it only while the line is open: something holds it open.
hold() { sleep 30 <"/dev/$1" & sleep 0.5; say "xoff $1"; sleep 1; }

mkdir -p $gadget/functions/printer.lane $gadget/configs/c.1
echo 0x1d6b >$gadget/idVendor; echo 0x0104 >$gadget/idProduct
cat /share/pnp_string >$gadget/functions/printer.lane/pnp_string
ln -s $gadget/functions/printer.lane $gadget/configs/c.1/
plug && : >/tmp/gadget && reader_on
appears /dev/lp0 /dev/ttyUSB0

# The 32-bit prefix lives in the image: made by the first boot, then kept.
export WINEPREFIX=/root/.wine32 WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f $WINEPREFIX/ready ]; then
  say "making the 32-bit wine prefix"
  wine wineboot --init >/dev/null 2>&1
  for port in com1 lpt1 lpt2; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "$(echo $port | tr a-z A-Z)" /d /tmp/$port /f >/dev/null 2>&1
  done
  wineserver -w && touch $WINEPREFIX/ready
fi
wineserver -p

now() { date +%s.%N; }
since() { awk -v from="$1" -v to="$(now)" 'BEGIN { print to - from }'; }
feed() {  # feed STEPS OUT START: keys for the program, and what happens between them
  while read -r verb argument; do
    case $verb in
      keys) printf '%b' "$argument" ;;
      menu)
        i=0
        while [ "$(grep -c 'Any other choice will exit' "$2/stdout")" -lt "$argument" ] && [ $i -lt 300 ]; do
          sleep 0.1; i=$((i + 1))
        done
        echo "menu $argument $(since "$3")" >>"$2/timings" ;;
      do) eval "$argument" >/dev/console 2>&1 ;;
    esac
  done <"$1"
}

for case in /share/cases/*; do
  name=${case##*/} out=/share/results/${case##*/}
  # The steps may wait for a menu before the program's output is redirected:
  # a missing file would end that wait at once.
  mkdir -p "$out" && : >/tmp/gadget && : >"$out/timings" && : >"$out/stdout"
  for port in com1 lpt1 lpt2; do : >/tmp/$port; done
  say "case $name"
  [ -f "$case/setup" ] && eval "$(cat "$case/setup")" >/dev/console 2>&1
  start=$(now)
  feed "$case/steps" "$out" "$start" | timeout 90 sh -c "$(cat "$case/command")" >"$out/stdout" 2>"$out/stderr"
  echo $? >"$out/status"
  since "$start" >"$out/seconds"
  sleep 1
  [ -f "$case/capture" ] && cp "$(cat "$case/capture")" "$out/device"
  [ -f "$case/settings" ] && stty -F "$(cat "$case/settings")" -a >"$out/settings"
  say "done $name"
done
dmesg >/share/dmesg
sync
say "finished"
echo o >/proc/sysrq-trigger
sleep 10
