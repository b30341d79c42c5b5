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
