#!/usr/bin/env bash
# The headless demo: writes the sample Palm Desktop installation (two users, a few hundred
# contacts and events) into a temporary folder, migrates user 1 into a fresh local account in a
# temporary data folder with `quillmove-cli migrate`, then runs `migrate --dry-run` to show that
# nothing is left to do. Usage: scripts/demo.sh [PRESET]   (default: release; must be built or
# buildable). The temporary folder is kept and named at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
bin=build/$preset/bin
targets=(quillmove-cli pm_demo_install ol_demo_store GAddrUtil GDateUtil GTaskUtil GNoteUtil)
for t in "${targets[@]}"; do
  if [[ ! -x $bin/$t ]]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target "${targets[@]}"
    break
  fi
done

work=${QM_DEMO_WORK:-$(mktemp -d -t quillmove-demo-XXXXXX)}
palm=$work/Palm
user=1
echo "== Sample Palm Desktop installation"
"$bin/pm_demo_install" "$palm"
. scripts/demo-env.sh
# An Outlook store beside it, where the stand-in Outlook looks, and the OUTLOOK.EXE that gives
# Outlook's version: SourceApp=3 in the settings migrates it instead.
"$bin/ol_demo_store" "$data/outlook-store.json" --program "$work/Office"
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE]\n"Path"="%s/"\n' \
  "$work/Office" >>"$XDG_CONFIG_HOME/quillmove/registry.reg"

echo "== Migrating Palm Desktop user $user into the local account $email"
"$bin/quillmove-cli" migrate
echo "== The account's files"
echo "  vCard:     $account/contacts/ ($(find "$account/contacts" -name '*.vcf' 2>/dev/null | wc -l) files)"
echo "  iCalendar: $account/calendar/ ($(find "$account/calendar" -name '*.ics' 2>/dev/null | wc -l) files)"
echo "== Second run, dry: everything should be the same, 0 new"
"$bin/quillmove-cli" migrate --dry-run
echo "== Files kept in $work"
