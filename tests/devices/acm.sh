# CDC-ACM: a USB-serial printer (the ACM function of a gadget, /dev/ttyGS0 on the device side),
# driven by cdc_acm as /dev/ttyACM0 and named by udev, with the simulated printer behind it.
SCENARIOS="acm_port_lists acm_gui_port_list acm_by_id_and_unplug"
ACM_ID=0525:a4a7  # the gadget framework's own CDC-ACM ids, known to the hardware database
BY_ID=/dev/serial/by-id/usb-Setrion_Test_Qx7_Printer_QX7000123-if00

group_setup() {
  kmod_load dummy_hcd
  kmod_load usb_f_acm
  kmod_load cdc-acm
  gadget_create qx7 0x0525 0xa4a7 acm.0
  gadget_bind qx7
  wait_until 10 test -e /dev/ttyGS0
  wait_until 10 test -e /dev/ttyACM0
  udevadm settle -t 10
}

# What udev says of the port, for comparing with the port lists.
udev_value() { udevadm info -q property -n /dev/ttyACM0 | sed -n "s/^$1=//p"; }

scenario_acm_port_lists() {
  start_sim acm --device /dev/ttyGS0 --emulation cpcl
  local vendor model
  vendor=$(udev_value ID_VENDOR_FROM_DATABASE)
  model=$(udev_value ID_MODEL_FROM_DATABASE)
  note "udev: $vendor / $model"
  [[ -n $vendor && -n $model ]] || fail "udev gave no names from its hardware database"
  expect_eq "$(readlink -f "$BY_ID")" /dev/ttyACM0 "udev's by-id link"

  cli_ok --json ports
  local acm description
  acm='[p for p in j["ports"] if p["device"] == "/dev/ttyACM0"][0]'
  expect_eq "$(out_json "$acm[\"usbId\"]")" "$ACM_ID" "usb id"
  expect_eq "$(out_json "$acm[\"driver\"]")" cdc_acm "driver"
  expect_eq "$(out_json "$acm[\"byId\"]")" "$BY_ID" "by-id link"
  expect_has "$(out_json "$acm[\"description\"]")" "$model" "description names the model"
  expect_has "$(out_json "$acm[\"description\"]")" "QX7000123" "description names the serial number"
  description=$(out_json "$acm[\"description\"]")

  # The Port list's line for the device, as the CLI prints it.
  cli_ok ports
  expect_has "$OUT" "/dev/ttyACM0  $description [$ACM_ID cdc_acm]  $BY_ID" "ports"

  cli_ok --baud 19200 --json ports --probe
  expect_eq "$(out_json "[p for p in j['ports'] if p['device'] == '/dev/ttyACM0'][0]['probe']")" CPCL \
    "probe answer"
  stop_sim
}

# The desktop program's Port list, dropped down: the fixed entries, then the device by the
# description the CLI gives it.
scenario_acm_gui_port_list() {
  [[ -x $GUI_DRIVER ]] || skip "setrion-gui-driver is not built"
  cli_ok --json ports
  local description
  description=$(out_json '[p for p in j["ports"] if p["device"] == "/dev/ttyACM0"][0]["description"]')
  mkdir -p /tmp/runtime
  chmod 700 /tmp/runtime
  set +e
  HOME=/tmp XDG_RUNTIME_DIR=/tmp/runtime timeout -k 5 60 "$GUI_DRIVER" ports >/tmp/ports.out 2>/tmp/ports.err
  local rc=$?
  set -e
  sed 's/^/   out: /' /tmp/ports.out
  expect_eq "$rc" 0 "the driver's exit code"
  local entries
  entries=$(sed -n 's/^port: //p' /tmp/ports.out)
  expect_eq "$(head -10 <<<"$entries" | tr '\n' ' ')" "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 USB " \
    "the fixed entries"
  grep -qFx "ttyACM0 — $description" <<<"$entries" || fail "no entry [ttyACM0 — $description]"
  expect_has "$description" "$(udev_value ID_MODEL_FROM_DATABASE)" "the description names udev's model"
}

scenario_acm_by_id_and_unplug() {
  start_sim acm2 --device /dev/ttyGS0 --emulation escpos --module command --generation 3
  cli_ok --port "$BY_ID" probe
  expect_eq "$OUT" "ESC/POS" "probe through the by-id link"
  cli_ok --port "$BY_ID" set-pin 4321
  state_becomes acm2 's["settings"]["pin"]' 4321

  # A Wi-Fi write takes several seconds of module pauses: pull the cable during it.
  echo '{"ssid": "Pulled"}' >/tmp/pulled.json
  local start=$(now_ms)
  "$CLI" --port "$BY_ID" wifi write /tmp/pulled.json >/tmp/w.out 2>/tmp/w.err &
  local pid=$!
  echo "$pid" >>"$CHILDREN_FILE"
  sleep 3
  kill -0 "$pid" 2>/dev/null || fail "the write ended before the unplug: $(cat /tmp/w.err)"
  gadget_unbind qx7
  note "unplugged"
  wait_until 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "setrion-cli still runs 30 s after the unplug"
  set +e
  wait "$pid"
  local rc=$?
  set -e
  note "ended after $(($(now_ms) - start)) ms with exit $rc"
  sed 's/^/   err: /' /tmp/w.err
  sed 's/^/   out: /' /tmp/w.out
  expect_eq "$rc" 2 "exit code"
  expect_lacks "$(cat /tmp/w.out)" "Save Completed" "nothing reported saved"
  [[ -s /tmp/w.err ]] || fail "no message"
  gadget_bind qx7
  stop_sim
}
