#!/usr/bin/env bash
# Times 1,000 contacts (or COUNT) going into a local Radicale server two ways, in one run and
# into the same server: `quillmove-cli migrate` of a Palm Desktop address book into an account
# on the dav back end (the whole migration: load the empty account, read Palm, add every
# contact), and `vdirsyncer sync` of the same contacts as vCard files (written by a migration
# into a local account first) into an empty address book of a second user.
# Usage: scripts/bench-dav.sh [COUNT]   (release build; needs radicale; vdirsyncer is skipped
# when absent; KEEP=1 keeps the files)
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
printf 'qm:%s\nvd:%s\n' "$password" "$password" >"$work/users"
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
level = warning
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

echo "== quillmove-cli migrate into the dav account (user qm)"
"$bin/quillmove-cli" account set "$email" --backend dav --url "$url" --user qm >/dev/null
[[ -n ${CONNECTIONS:-} ]] && printf 'Connections=%s\n' "$CONNECTIONS" >>"$data/GHelper.ini"
start=$(date +%s.%N)
"$bin/quillmove-cli" migrate >"$work/dav.txt" 2>&1 || { cat "$work/dav.txt" >&2; exit 1; }
ours=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
printf '   %.2f s, %s contacts on the server\n' "$ours" "$(stored qm)"

if command -v vdirsyncer >/dev/null; then
  echo "== vdirsyncer sync of the same files (user vd, address book made beforehand)"
  curl -s -o /dev/null -u "vd:$password" -X MKCOL "${url}vd/contacts/" \
    --data '<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:A="urn:ietf:params:xml:ns:carddav"><set><prop><resourcetype><collection/><A:addressbook/></resourcetype></prop></set></mkcol>'
  mkdir -p "$work/vdirsyncer"
  cat >"$work/vdirsyncer/config" <<CONF
[general]
status_path = "$work/vdirsyncer/status/"
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
url = "${url}vd/contacts/"
username = "vd"
password = "$password"
CONF
  { yes || true; } | vdirsyncer -c "$work/vdirsyncer/config" discover >/dev/null 2>&1
  start=$(date +%s.%N)
  vdirsyncer -c "$work/vdirsyncer/config" sync >"$work/vdirsyncer.txt" 2>&1 ||
    { tail -5 "$work/vdirsyncer.txt" >&2; exit 1; }
  theirs=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
  printf '   %.2f s, %s contacts on the server\n' "$theirs" "$(stored vd)"
  awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "== quillmove %.2f s, vdirsyncer %.2f s: %s (%.1fx)\n",
    a, b, (a < b ? "faster" : "SLOWER"), b / a }'
else
  echo "== vdirsyncer is not installed: its half is skipped"
fi
[[ ${KEEP:-0} == 1 ]] && echo "== Files kept in $work"
exit 0
