#!/usr/bin/env bash
# Runs playbook_test.yml against a command-mode module on a pty and simulated LAN modules on
# the loopback broadcast (ports of this test's own), then checks the collection's modules
# with ansible-doc and a Python syntax check. Usage: run_playbook_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD=$1
SRC=$2
COLLECTIONS=$SRC/integrations/ansible
COLLECTION=$COLLECTIONS/ansible_collections/setrion/printer
if ! command -v ansible-playbook >/dev/null; then
  echo "ansible-playbook is not installed (package ansible-core)"
  exit 77
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/setrion-ansible-XXXXXX")
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# The documentation renders and every file compiles.
for module in wifi wifi_info settings printer_info; do
  ANSIBLE_COLLECTIONS_PATH=$COLLECTIONS ansible-doc "setrion.printer.$module" >"$WORK/doc.txt"
  grep -q "RETURN VALUES" "$WORK/doc.txt"
done
PYTHONPYCACHEPREFIX=$WORK/pycache python3 -m py_compile "$COLLECTION"/plugins/modules/*.py "$COLLECTION"/plugins/module_utils/*.py "$COLLECTION"/plugins/doc_fragments/*.py

SIM=$BUILD/sim/setrion-sim
"$SIM" --link "$WORK/printer" --state "$WORK/state.json" --module command --generation 2 \
  >"$WORK/sim.log" 2>&1 &
PIDS+=($!)
# A settings-block module that stores only 4 bytes of a written SSID.
"$SIM" --link "$WORK/short" --state "$WORK/short.json" --module block --module-ssid-keeps 4 \
  >"$WORK/short.log" 2>&1 &
PIDS+=($!)
# A block of 8 loopback ports of this test's own, claimed through the lock files the C++ tests
# use (tests/support/loopback_ports.h): the lock is held while this shell runs, and each port
# is checked free by binding it.
BASE=
mkdir -p "${TMPDIR:-/tmp}/setrion-ports"
for i in $(seq 0 1594); do
  slot=$(( ($$ + i) % 1595 ))
  exec {lockfd}>>"${TMPDIR:-/tmp}/setrion-ports/$slot.lock"
  if flock -n "$lockfd" && python3 -c '
import socket, sys
for port in range(int(sys.argv[1]), int(sys.argv[1]) + 8):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("0.0.0.0", port))
' $((20000 + slot * 8)) 2>/dev/null; then
    BASE=$((20000 + slot * 8))
    break
  fi
  exec {lockfd}>&-
done
[[ -n $BASE ]] || { echo "no free block of loopback ports"; exit 1; }
"$SIM" lan --modules 2 --text-printers 0 --mgmt-port $BASE --text-port $((BASE + 1)) \
  --state "$WORK/lan.json" --max-seconds 900 >"$WORK/lan.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 200); do
  [[ -e $WORK/printer && -s $WORK/state.json && -s $WORK/lan.json && -e $WORK/short ]] && break
  sleep 0.05
done

export ANSIBLE_COLLECTIONS_PATH=$COLLECTIONS
export ANSIBLE_HOME=$WORK/ansible-home ANSIBLE_LOCAL_TEMP=$WORK/ansible-tmp
export PYTHONPYCACHEPREFIX=$WORK/pycache
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3
rc=0
ansible-playbook -i localhost, "$SRC/tests/ansible/playbook_test.yml" \
  -e "printer=$WORK/printer state=$WORK/state.json lan_state=$WORK/lan.json workdir=$WORK" \
  -e "short_printer=$WORK/short short_state=$WORK/short.json" \
  -e "cli=$BUILD/cli/setrion-cli mgmt_port=$BASE text_port=$((BASE + 1))" \
  -e "mgmt_local_port=$((BASE + 2)) text_local_port=$((BASE + 3))" || rc=$?
if [[ $rc -ne 0 ]]; then
  echo "--- simulator logs"
  cat "$WORK/sim.log" "$WORK/lan.log" "$WORK/short.log"
fi
exit $rc
