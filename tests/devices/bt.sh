# Bluetooth: two virtual controllers of btvirt that see each other; the printer, a simulator
# listening on RFCOMM channel 1, answers on the second. The host reaches it through
# `rfcomm bind` and through the direct link "bt:ADDRESS[/CHANNEL]".
# A failed connect trips a list corruption BUG in this kernel's L2CAP code with btvirt
# (krfcommd dies, later connects hang): the absent printer comes last, and a channel where
# the printer has no serial port is not tried.
SCENARIOS="bt_rfcomm_bind bt_direct_link bt_controller_down bt_absent_printer"

group_setup() {
  kmod_load hci_vhci
  kmod_load rfcomm
  # The kernel gives a vhci opener one second to ask for its controller and makes a default
  # one nobody serves after that; under emulation btvirt is sometimes late. Try again then.
  local try
  for try in 1 2 3; do
    btvirt -l2 >/tmp/btvirt.log 2>&1 &  # lives as long as the VM
    wait_until 10 bash -c 'hciconfig hci0 && hciconfig hci1' >/dev/null 2>&1 && break
    cat /tmp/btvirt.log
    kill "$!" 2>/dev/null
    wait_until 20 bash -c '! ls /sys/class/bluetooth/hci* >/dev/null 2>&1'
  done
  hciconfig hci0 up
  hciconfig hci1 up
  hciconfig hci1 piscan
  hciconfig -a
}

printer_address() { hciconfig hci1 | sed -n 's/.*BD Address: \([0-9A-F:]*\).*/\1/p'; }

# The printer: a simulator that takes connections on RFCOMM channel 1.
start_bt_printer() { start_sim bt --device bt-listen:1 "$@"; }

scenario_bt_rfcomm_bind() {
  local addr
  addr=$(printer_address)
  [[ -n $addr ]] || fail "hci1 has no address"
  start_bt_printer --emulation cpcl
  rfcomm -i hci0 bind 0 "$addr" 1
  cli_ok ports
  expect_has "$OUT" "/dev/rfcomm0  Bluetooth serial port" "the Port list"
  cli_ok --port /dev/rfcomm0 probe
  expect_eq "$OUT" CPCL "probe over /dev/rfcomm0"
  rfcomm release 0
}

scenario_bt_direct_link() {
  local addr
  addr=$(printer_address)
  start_bt_printer --emulation escpos
  cli_ok --port "bt:$addr" probe
  expect_eq "$OUT" "ESC/POS" "probe over bt:"
  cli_ok --map "COM4=bt:$addr/1" --port COM4 set-pin 2468
  state_becomes bt 's["settings"]["pin"]' 2468
}

scenario_bt_controller_down() {
  local addr
  addr=$(printer_address)
  start_bt_printer --emulation cpcl --module command --generation 2
  echo '{"ssid": "Gone"}' >/tmp/gone.json
  local start
  start=$(now_ms)
  "$CLI" --trace --port "bt:$addr" wifi write /tmp/gone.json >/tmp/w.out 2>/tmp/w.err &
  local pid=$!
  echo "$pid" >>"$CHILDREN_FILE"
  wait_until 30 grep -q "RFCOMM connected" /tmp/w.err || fail "no connection"
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "the write ended before the controller went down"
  hciconfig hci0 down
  note "controller down"
  wait_until 40 bash -c "! kill -0 $pid 2>/dev/null" || fail "setrion-cli still runs 40 s after"
  set +e
  wait "$pid"
  local rc=$?
  set -e
  note "ended after $(($(now_ms) - start)) ms with exit $rc"
  grep -v "^USB" /tmp/w.err | sed 's/^/   err: /' | tail -20
  sed 's/^/   out: /' /tmp/w.out
  expect_eq "$rc" 2 "exit code"
  expect_lacks "$(cat /tmp/w.out)" "Save Completed" "nothing reported saved"
  grep -q "bt:$addr: \(write\|read\) failed: " /tmp/w.err || fail "no reason traced"
  hciconfig hci0 up
}

# Nobody at that address: a bounded failure with the reason.
scenario_bt_absent_printer() {
  local start
  start=$(now_ms)
  cli --port bt:00:11:22:33:44:55 probe
  expect_eq "$RC" 2 "exit code for an absent printer"
  expect_has "$ERR" "Serial Port Open Failed" "message"
  expect_has "$ERR" "the printer does not answer" "reason"
  (($(now_ms) - start < 15000)) || fail "the connect to an absent printer took $(($(now_ms) - start)) ms"
}
