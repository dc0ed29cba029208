#!/usr/bin/env bash
# The headless demo: writes the sample Palm Desktop installation (two users, a few hundred
# contacts and events) into a temporary folder, migrates user 1 into a fresh local account in a
# temporary data folder with `quillmove-cli migrate`, then runs `migrate --dry-run` to show that
# nothing is left to do; then the same for the demo Outlook store, the demo ACT! database and the
# demo Lotus Notes databases, each into its own account. The settings and registry left behind
# name all four sources, so that the wizard on the same folders offers each. Usage: scripts/demo.sh [PRESET]   (default: release; must be built or
# buildable). The temporary folder is kept and named at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
bin=build/$preset/bin
targets=(quillmove-cli pm_demo_install ol_demo_store ln_demo_notes_exe GAddrUtil GDateUtil GTaskUtil
  GNoteUtil Korvane.ACTAddrUtil Korvane.ACTDateUtil Korvane.ACTTaskUtil Korvane.ACTNoteUtil
  Korvane.NotesAddr Korvane.NotesDate Korvane.NotesTask Korvane.NotesNote)
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

# One source into its own account: the migration, its account's files, then a dry second run.
road() {
  local name=$1
  echo "== Migrating $name into the local account $email"
  "$bin/quillmove-cli" migrate
  echo "== The account's files"
  echo "  vCard:     $account/contacts/ ($(find "$account/contacts" -name '*.vcf' 2>/dev/null | wc -l) files)"
  echo "  iCalendar: $account/calendar/ ($(find "$account/calendar" -name '*.ics' 2>/dev/null | wc -l) files)"
  echo "== Again, dry ($name): everything should be the same, 0 new, 0 different"
  "$bin/quillmove-cli" migrate --dry-run
}
# Points the settings at another source and account; the other sources' keys stay.
use() {
  sed -i -e "s/^SourceApp=.*/SourceApp=$1/" -e "s/^GGEmail=.*/GGEmail=$2/" "$data/VEGG.ini"
  shift 2
  if (($#)); then printf '%s\n' "$@" >>"$data/VEGG.ini"; fi
  email=$(sed -n 's/^GGEmail=//p' "$data/VEGG.ini")
  account=$data/accounts/$email
}

road "Palm Desktop user $user"

use 3 outlook-demo@example.org
road "the demo Outlook store"

# A copy of the demo ACT! database, so that a submit never changes the checked-in one, and an
# ActSage.exe where the registry says ACT! is installed, for the wizard's ACT! page.
mkdir -p "$work/ACT"
cp tools/demo/act-demo.json "$work/ACT/demo.pad"
: >"$work/ACT/ActSage.exe"
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\ACT\\Install]\n"InstallPath"="%s"\n"AppName"="ActSage.exe"\n' \
  "$work/ACT" >>"$XDG_CONFIG_HOME/quillmove/registry.reg"
use 1 act-demo@example.org "ACTPadName=$work/ACT/demo.pad" "ACTSaveUser=1" "ACTUserName=Chris Demo" \
  "ACTSavePassword=1" "ACTPassword=$(printf %s act-demo | base64)"
road "the demo ACT! database"

# The Notes installation writes settings and registry of its own: the others' are kept beside.
cp "$data/VEGG.ini" "$work/VEGG.ini.others"
cp "$XDG_CONFIG_HOME/quillmove/registry.reg" "$work/registry.reg.others"
. tools/demo/notes/notes-demo-env.sh
"$bin/ln_demo_notes_exe" "$notes/Notes.exe"
cat "$work/registry.reg.others" >>"$XDG_CONFIG_HOME/quillmove/registry.reg"
grep -v -E '^(\[VEGG\]|SourceApp|Sync|GG)' "$work/VEGG.ini.others" >>"$data/VEGG.ini"
rm "$work/VEGG.ini.others" "$work/registry.reg.others"
road "the demo Lotus Notes databases"

echo "== Files kept in $work"
