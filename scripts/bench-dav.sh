#!/usr/bin/env bash
# Times 1,000 contacts (or COUNT) going into a local Radicale server two ways, in one run and
# into the same server: `quillmove-cli migrate` of a Palm Desktop address book into an account
# on the dav back end (the whole migration: load the empty account, read Palm, add every
# contact), and `vdirsyncer sync` of the same contacts as vCard files (written by a migration
# into a local account first) into an empty address book of a second user.
# Each of ROUNDS rounds (3 unless set) times both into fresh users of the one server, taking
# turns at going first, and the verdict is on the medians: one run alone is within the noise of
# a shared machine.
# Usage: scripts/bench-dav.sh [COUNT]   (release build; needs radicale; vdirsyncer is skipped
# when absent; KEEP=1 keeps the files; CONNECTIONS=n sets the account's PUTs in flight;
# RADICALE_LOG=info logs the server's time for every request and prints each run's PUT total)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
bin=build/release/bin
targets=(quillmove-cli pm_demo_install GAddrUtil GDateUtil GTaskUtil GNoteUtil)
command -v radicale >/dev/null || { echo "bench-dav: radicale is not installed" >&2; exit 1; }
cmake --preset release >/dev/null
cmake --build --preset release --target "${targets[@]}" >/dev/null

work=$(mktemp -d -t quillmove-davbench-XXXXXX)
server_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [[ ${KEEP:-0} == 1 ]] || rm -rf "$work"
}
trap cleanup EXIT
palm=$work/Palm
user=1
"$bin/pm_demo_install" "$palm" --contacts "$count" --events 0 --todos 0 --memos 0 >/dev/null
. scripts/demo-env.sh
sed -i 's/^SyncDate=1/SyncDate=0/' "$data/VEGG.ini"

echo "== $count Palm Desktop contacts as vCard files (a migration into a local account)"
"$bin/quillmove-cli" migrate >"$work/local.txt" 2>&1 || { cat "$work/local.txt" >&2; exit 1; }
cards=$account/contacts
echo "   $(find "$cards" -name '*.vcf' | wc -l) files in $cards"

# The server: plain htpasswd, its own storage, a free port on this machine.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
rounds=${ROUNDS:-3}
for i in $(seq "$rounds"); do printf 'qm%s:%s\nvd%s:%s\n' "$i" "$password" "$i" "$password"; done \
  >"$work/users"
cat >"$work/radicale.conf" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $work/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $work/collections
[rights]
type = owner_only
[logging]
level = ${RADICALE_LOG:-warning}
CONF
radicale --config "$work/radicale.conf" >"$work/radicale.log" 2>&1 &
server_pid=$!
url=http://127.0.0.1:$port/
for _ in $(seq 100); do curl -s -o /dev/null "$url" && break; sleep 0.1; done
echo "== Radicale $(radicale --version) at $url (storage $work/collections)"

# Records only, not the server's caches beside them.
stored() {
  find "$work/collections/collection-root/$1" -name '.Radicale*' -prune -o -name '*.vcf' -print \
    2>/dev/null | wc -l
}
# With RADICALE_LOG=info: the server's own time for a user's PUTs, from its log. The rest of a
# run is the client's, which is what differs between the two.
server_time() {
  [[ ${RADICALE_LOG:-} == info || ${RADICALE_LOG:-} == debug ]] || return 0
  awk -v u="'/$1/" '$0 ~ "PUT response status for " u { for (i = 1; i < NF; ++i)
    if ($i == "in") s += $(i + 1) } END { printf " (the server'"'"'s PUTs %.2f s)", s }' \
    "$work/radicale.log"
}
seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }

# A fresh server user for every round; the account's settings point at it.
ours() {
  local i=$1 start
  "$bin/quillmove-cli" account set "$email" --backend dav --url "$url" --user "qm$i" >/dev/null
  [[ -n ${CONNECTIONS:-} ]] && printf 'Connections=%s\n' "$CONNECTIONS" >>"$data/GHelper.ini"
  sed -i 's/^SyncDate=1/SyncDate=0/' "$data/VEGG.ini"
  start=$(date +%s.%N)
  "$bin/quillmove-cli" migrate >"$work/dav$i.txt" 2>&1 || { cat "$work/dav$i.txt" >&2; exit 1; }
  ours_times+=("$(seconds_since "$start")")
  printf '   quillmove-cli migrate (user qm%s): %s s%s, %s contacts on the server\n' "$i" \
    "${ours_times[-1]}" "$(server_time "qm$i")" "$(stored "qm$i")"
}

theirs() {
  local i=$1 start dir=$work/vdirsyncer$i
  curl -s -o /dev/null -u "vd$i:$password" -X MKCOL "${url}vd$i/contacts/" \
    --data '<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:A="urn:ietf:params:xml:ns:carddav"><set><prop><resourcetype><collection/><A:addressbook/></resourcetype></prop></set></mkcol>'
  mkdir -p "$dir"
  cat >"$dir/config" <<CONF
[general]
status_path = "$dir/status/"
[pair bench]
a = "cards"
b = "server"
collections = null
[storage cards]
type = "filesystem"
path = "$cards/"
fileext = ".vcf"
[storage server]
type = "carddav"
url = "${url}vd$i/contacts/"
username = "vd$i"
password = "$password"
CONF
  { yes || true; } | vdirsyncer -c "$dir/config" discover >/dev/null 2>&1
  start=$(date +%s.%N)
  vdirsyncer -c "$dir/config" sync >"$dir/sync.txt" 2>&1 || { tail -5 "$dir/sync.txt" >&2; exit 1; }
  theirs_times+=("$(seconds_since "$start")")
  printf '   vdirsyncer sync into an address book made beforehand (user vd%s): %s s%s, %s contacts\n' \
    "$i" "${theirs_times[-1]}" "$(server_time "vd$i")" "$(stored "vd$i")"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours_times=() theirs_times=()
have_vdirsyncer=0
command -v vdirsyncer >/dev/null && have_vdirsyncer=1
for i in $(seq "$rounds"); do
  echo "== Round $i of $rounds"
  if ((have_vdirsyncer && i % 2 == 0)); then
    theirs "$i"
    ours "$i"
  else
    ours "$i"
    ((have_vdirsyncer)) && theirs "$i"
  fi
done

a=$(median "${ours_times[@]}")
if ((have_vdirsyncer)); then
  b=$(median "${theirs_times[@]}")
  awk -v a="$a" -v b="$b" -v n="$rounds" 'BEGIN { printf "== Medians of %d rounds: quillmove %.2f s, vdirsyncer %.2f s: %s (%.2fx)\n",
    n, a, b, (a < b ? "faster" : "SLOWER"), b / a }'
else
  echo "== quillmove median $a s; vdirsyncer is not installed: its half is skipped"
fi
[[ ${KEEP:-0} == 1 ]] && echo "== Files kept in $work"
exit 0
