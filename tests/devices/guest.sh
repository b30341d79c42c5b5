#!/bin/bash
# Runs inside the VM, chrooted into the host's root: loads the modules of one group, starts
# udevd, then runs the group's scenarios, each with its log and verdict in the run folder.
set -u
GROUP=$1
arg() { tr ' ' '\n' </proc/cmdline | sed -n "s/^setrion\.$1=//p"; }
SRC=$(arg src) BUILD=$(arg build) RUN=$(arg run) KDIR=$(arg kdir)
CLI=$(arg cli) SIM=$(arg sim) GUI=$(arg gui) REPEAT=$(arg repeat)
export SRC BUILD RUN KDIR CLI SIM GUI
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp LANG=C.UTF-8 TMPDIR=/tmp
# udevd and udevadm refuse to act in a chroot unless told.
export SYSTEMD_IGNORE_CHROOT=1
cd /tmp || exit 1

# The kernel's modules from the unpacked package, not the host's /lib/modules.
kmod_load() { modprobe -d "$KDIR" "$@"; }
kmod_load configfs && mount -t configfs configfs /sys/kernel/config

source "$SRC/tests/devices/lib.sh"
source "$SRC/tests/devices/$GROUP.sh"

# udevd names devices (by-id links, the descriptions of the port lists) and tells libusb
# about devices that come and go.
# The devices of the boot need no names: udevd only sees the ones the scenarios add.
[[ ${GROUP_UDEVD:-yes} == no ]] || /lib/systemd/systemd-udevd --daemon --resolve-names=never 2>/dev/null

echo "udev settled at $(cut -d" " -f1 /proc/uptime) s"
group_setup >"$RUN/setup.log" 2>&1 || echo "setup failed: see setup.log"
echo "set up at $(cut -d" " -f1 /proc/uptime) s"
for ((k = 1; k <= ${REPEAT:-1}; ++k)); do
  for s in $SCENARIOS; do
    name=$s
    ((${REPEAT:-1} == 1)) || name=$s.$k
    start=$SECONDS
    # Each scenario in a shell of its own, stopped after its bound: a hang fails it.
    timeout -k 5 "${SCENARIO_BOUND:-150}" bash -c 'set -eu; source "$SRC/tests/devices/lib.sh"
      source "$SRC/tests/devices/$1.sh"; trap stop_children EXIT; trap "exit 143" TERM
      "scenario_$2"' _ "$GROUP" "$s" >"$RUN/$name.log" 2>&1
    rc=$?
    case $rc in
      0) verdict=passed ;;
      77) verdict=skipped ;;
      *) verdict=failed ;;
    esac
    ((rc == 124)) && echo "FAIL: still running after ${SCENARIO_BOUND:-150} s" >>"$RUN/$name.log"
    echo "($((SECONDS - start)) s)" >>"$RUN/$name.log"
    echo "$name $verdict" >>"$RUN/results"
    echo "$name: $verdict in $((SECONDS - start)) s (uptime $(cut -d" " -f1 /proc/uptime) s)"
  done
done
stop_children
