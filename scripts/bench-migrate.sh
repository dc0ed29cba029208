#!/usr/bin/env bash
# Times `quillmove-cli migrate` moving COUNT contacts and COUNT events from Palm Desktop 4.1.4
# files into a fresh local account, then the second (dry) run over the same account.
# Usage: scripts/bench-migrate.sh [COUNT] [PRESET]   (20000 and release by default)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-20000}
preset=${2:-release}
bin=build/$preset/bin
targets="quillmove-cli GAddrUtil GDateUtil qm_palm_bench_files"
if ! for t in $targets; do [[ -x $bin/$t ]] || exit 1; done; then
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target $targets
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
data=$home/korvane/VEGG
mkdir -p "$data"
"$bin/qm_palm_bench_files" "$home" "$count"
cat >"$data/VEGG.ini" <<INI
[VEGG]
SourceApp=5
SyncAddr=1
SyncDate=1
UsePDAddrFile=1
PDAddrFileName=$home/address.dat
UsePDDateFile=1
PDDateFileName=$home/datebook.dat
GGSaveEmail=1
GGEmail=bench@example.com
GGSavePassword=1
GGPassword=$(printf 'bench' | base64)
INI
run() {
  local label=$1
  shift
  XDG_DATA_HOME=$home /usr/bin/time -f "%e %U %S %M" -o "$home/time" "$bin/quillmove-cli" migrate "$@" \
    2>"$home/err" | sed 's/^/  /'
  read -r wall user sys kb <"$home/time"
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v k="$kb" 'BEGIN {
    printf "%s: %.2f s wall (%.2f user, %.2f sys), peak %.0f MB\n", l, w, u, s, k / 1024 }'
}
run "first run"
run "second run (dry)" --dry-run
