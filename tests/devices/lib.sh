# Helpers of the device scenarios (sourced inside the VM): assertions, the CLI, the simulator
# on a gadget's device side, and USB gadgets through configfs on dummy_hcd.

fail() {
  echo "FAIL: $*"
  local f
  for f in /tmp/*.sim.log /tmp/dl.err; do
    [[ -s $f ]] && { echo "== $f"; tail -15 "$f"; }
  done
  exit 1
}
note() { echo "-- $*"; }
# skip WHY: the scenario cannot run here (a program that was not built).
skip() {
  echo "SKIP: $*"
  exit 77
}

# The desktop program's main window, driven on the Qt offscreen platform.
GUI_DRIVER=$BUILD/tests/gui/setrion-gui-driver

# expect_eq ACTUAL EXPECTED WHAT
expect_eq() {
  [[ $1 == "$2" ]] || fail "$3: got [$1], expected [$2]"
}
# expect_has TEXT PART WHAT
expect_has() {
  [[ $1 == *"$2"* ]] || fail "$3: [$2] not in [$1]"
}
expect_lacks() {
  [[ $1 != *"$2"* ]] || fail "$3: [$2] in [$1]"
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false after SECONDS.
wait_until() {
  local limit=$(($(date +%s%N) / 1000000 + $1 * 1000))
  shift
  until "$@"; do
    (($(date +%s%N) / 1000000 < limit)) || return 1
    sleep 0.1
  done
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# cli ARGS...: runs setrion-cli; its output in OUT and ERR, its exit code in RC, all logged.
cli() {
  note "setrion-cli $*"
  local o=/tmp/cli.out e=/tmp/cli.err
  local start
  start=$(now_ms)
  set +e
  timeout -k 5 "${CLI_BOUND:-120}" "$CLI" "$@" >"$o" 2>"$e"
  RC=$?
  set -e
  OUT=$(cat "$o")
  ERR=$(cat "$e")
  echo "   exit $RC after $(($(now_ms) - start)) ms"
  [[ -z $OUT ]] || sed 's/^/   out: /' "$o"
  [[ -z $ERR ]] || sed 's/^/   err: /' "$e" | tail -40
}
# cli_ok ARGS...: as cli, and exit 0 is required.
cli_ok() {
  cli "$@"
  ((RC == 0)) || fail "setrion-cli $* exited $RC: $ERR"
}

# out_json EXPRESSION: evaluates the expression on the JSON output `j` of the last cli.
out_json() {
  python3 -c 'import json,sys; j=json.loads(sys.argv[1]); print(eval(sys.argv[2]))' "$OUT" "$1"
}

CHILDREN_FILE=/tmp/children
# start_sim NAME ARGS...: setrion-sim in the background, its state in /tmp/NAME.json.
start_sim() {
  local name=$1
  shift
  rm -f "/tmp/$name.json"
  "$SIM" --state "/tmp/$name.json" --latency-ms 1 "$@" >"/tmp/$name.sim.log" 2>&1 &
  echo "$!" >>"$CHILDREN_FILE"
  SIM_PID=$!
  wait_until 10 test -s "/tmp/$name.json" || fail "setrion-sim $* did not start"
}
stop_pid() {
  local pid=$1
  kill "$pid" 2>/dev/null || return 0
  wait_until 5 bash -c "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
}
stop_sim() { stop_pid "$SIM_PID"; }
stop_children() {
  [[ -f $CHILDREN_FILE ]] || return 0
  local pid
  while read -r pid; do stop_pid "$pid"; done <"$CHILDREN_FILE"
  rm -f "$CHILDREN_FILE"
}

# state NAME PYTHON-EXPRESSION: evaluates the expression on the simulator's state `s`.
state() {
  python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' \
    "/tmp/$1.json" "$2"
}
# state_becomes NAME EXPRESSION VALUE: waits (5 s) for the state to show VALUE.
state_becomes() {
  python3 - "/tmp/$1.json" "$2" "$3" <<'EOF'
import json, sys, time
path, expr, want = sys.argv[1:]
deadline = time.monotonic() + 5
while True:
    try:
        s = json.load(open(path))
        got = str(eval(expr))
    except Exception as e:
        got = "(%s)" % e
    if got == want:
        break
    if time.monotonic() > deadline:
        sys.exit("FAIL: state %s: got [%s], expected [%s]" % (expr, got, want))
    time.sleep(0.1)
EOF
}

GADGETS=/sys/kernel/config/usb_gadget
# gadget_create NAME VID PID FUNCTION: a gadget with one configuration and one function
# (printer.0 or acm.0), with the strings udev names it by.
gadget_create() {
  local g=$GADGETS/$1
  mkdir -p "$g"
  echo "$2" >"$g/idVendor"
  echo "$3" >"$g/idProduct"
  echo 0x0200 >"$g/bcdUSB"
  mkdir -p "$g/strings/0x409" "$g/configs/c.1/strings/0x409" "$g/functions/$4"
  echo "Setrion Test" >"$g/strings/0x409/manufacturer"
  echo "${GADGET_PRODUCT:-Qx7 Printer}" >"$g/strings/0x409/product"
  echo "${GADGET_SERIAL:-QX7000123}" >"$g/strings/0x409/serialnumber"
  echo "Qx7" >"$g/configs/c.1/strings/0x409/configuration"
  echo 100 >"$g/configs/c.1/MaxPower"
  ln -s "$g/functions/$4" "$g/configs/c.1/"
}
# gadget_remove NAME: unbound and taken apart, so that a gadget_create after it starts with
# fresh functions.
gadget_remove() {
  local g=$GADGETS/$1 f
  [[ -d $g ]] || return 0
  [[ -z $(cat "$g/UDC") ]] || gadget_unbind "$1"
  for f in "$g"/configs/c.1/*; do
    [[ -L $f ]] && rm "$f"
  done
  rmdir "$g/configs/c.1/strings/0x409" "$g/configs/c.1" "$g"/functions/* "$g/strings/0x409" "$g"
}
# The first UDC of dummy_hcd: binding the gadget to it is plugging the cable in.
gadget_bind() { echo "${2:-dummy_udc.0}" >"$GADGETS/$1/UDC"; }
gadget_unbind() { echo "" >"$GADGETS/$1/UDC"; }

# The interface's bound driver on the host side (usblp, cdc_acm), "" when none.
host_driver_of() {
  local d
  for d in /sys/bus/usb/devices/*:1.0; do
    [[ -e $d/idVendor || ! -e $d/../idVendor ]] && continue
    [[ $(cat "$d/../idVendor") == "$1" && $(cat "$d/../idProduct") == "$2" ]] || continue
    [[ -L $d/driver ]] && basename "$(readlink "$d/driver")"
    return 0
  done
}
