# USB printer class: a printer-function gadget with the simulated printer behind
# /dev/g_printer0, reached through usblp's interface, libusb's detach and claim, and real bulk
# endpoints.
SCENARIOS="usb_printer_class"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

group_setup() {
  kmod_load dummy_hcd
  kmod_load usb_f_printer
  kmod_load usblp
  gadget_create qx7 0x12ee 0x9485 printer.0
  echo "MFG:Setrion;MDL:Qx7;CMD:CPCL;CLS:PRINTER;" >"$GADGETS/qx7/functions/printer.0/pnp_string"
  gadget_bind qx7
  wait_until 10 test -e /dev/usb/lp0
  wait_until 10 test -e /dev/g_printer0
}

scenario_usb_printer_class() {
  expect_eq "$(host_driver_of 12ee 9485)" usblp "driver bound before"
  start_sim usb --device /dev/g_printer0 --emulation cpcl --module command --generation 2

  cli_ok --port USB probe
  expect_eq "$OUT" "CPCL" "probe"
  expect_eq "$(host_driver_of 12ee 9485)" usblp "usblp given back after the probe"

  cli_ok --port USB set-code-page WINDOWS_1251
  state_becomes usb 's["settings"]["code_page_name"]' WINDOWS_1251
  cli_ok --port USB set-density -1
  state_becomes usb 's["settings"]["density"]' 0
  cli_ok --port USB set-power-save off 30
  state_becomes usb 's["settings"]["power_save"]["minutes"]' 30
  cli_ok --port USB set-pin 1234
  state_becomes usb 's["settings"]["pin"]' 1234
  cli_ok --port USB set-discoverable off
  cli_ok --port USB --json get-bluetooth
  expect_eq "$(out_json 'j["discoverable"]')" False "get-bluetooth"
  cli_ok --port USB set-media bar
  state_becomes usb 's["settings"]["media_sense"]' bar
  cli_ok --port USB save-serial-config --to-baud 38400 --to-parity even --to-stop-bits 2
  state_becomes usb 's["settings"]["line"]["baud"]' 38400

  cli_ok --port USB --json wifi read
  expect_eq "$(out_json 'j["module_kind"]')" command-mode "wifi read"
  echo '{"ssid": "Lab USB", "channel": 11}' >/tmp/wifi.json
  cli_ok --port USB wifi write /tmp/wifi.json
  expect_eq "$OUT" "Save Completed !!!" "wifi write"
  state_becomes usb 's["wifi_module"]["settings"]["ssid"]' "Lab USB"

  local size
  size=$(stat -c %s "$FONT")
  cli_ok --port USB download-font "$FONT" --id 101 --memory flash
  expect_eq "$OUT" "Font download is success." "font download of $size bytes"
  state_becomes usb 'len(s["fonts"]["stored"])' 1
  expect_eq "$(state usb 's["fonts"]["stored"][0]["size"]')" "$size" "stored font size"
  stop_sim

  # The other module kind, on the same cable.
  start_sim usb-block --device /dev/g_printer0 --emulation escpos --module block
  cli_ok --port USB --json wifi read
  expect_eq "$(out_json 'j["module_kind"]')" settings-block "wifi read (block)"
  echo '{"ssid": "Block AP"}' >/tmp/wifi-block.json
  cli_ok --port USB wifi write /tmp/wifi-block.json
  cli_ok --port USB --json wifi read
  expect_eq "$(out_json 'j["ssid"]')" "Block AP" "read back (block)"
  stop_sim
  expect_eq "$(host_driver_of 12ee 9485)" usblp "usblp bound again at the end"
}
