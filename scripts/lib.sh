# Shared by scripts/run and scripts/test: install what is missing, configure, build.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

install_packages() {
  local missing=()
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done < "$ROOT/scripts/packages.txt"
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

# build_preset PRESET [TARGET...]: configures PRESET and builds TARGETs (all when none).
build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  local targets=()
  (($#)) && targets=(--target "$@")
  cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
}

# run_tests PRESET [CTEST OPTION...]: runs PRESET's tests, several at a time per core. The
# preset's resource file (ctest-resources.json, written by the configure step) decides how
# many: a slot of "cpu" per core for the CPU-bound tests (label "cpu") and
# SETRION_TEST_WAITS_PER_CORE slots of "waits" per core for the tests that wait on pauses,
# ptys and sockets (label "waits"). Every test takes one slot, so -j only has to be above both.
run_tests() {
  local preset=$1
  shift
  ctest --preset "$preset" -j $(($(nproc) * 16)) "$@"
}
