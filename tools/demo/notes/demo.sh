#!/usr/bin/env bash
# The headless Lotus Notes demo: a Notes installation of three sample databases for the stand-in
# Notes helpers, migrated into a fresh local account with `quillmove-cli migrate`, then
# `migrate --dry-run` to show that nothing is left to do.
# Usage: tools/demo/notes/demo.sh [PRESET]   (default: release). The folder is kept and named.
set -euo pipefail
cd "$(dirname "$0")/../../.."
preset=${1:-release}
bin=build/$preset/bin
targets=(quillmove-cli GAddrUtil GDateUtil Korvane.NotesAddr Korvane.NotesDate Korvane.NotesTask
  Korvane.NotesNote ln_demo_notes_exe)
for t in "${targets[@]}"; do
  if [[ ! -x $bin/$t ]]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target "${targets[@]}"
    break
  fi
done
work=${QM_DEMO_WORK:-$(mktemp -d -t quillmove-notes-demo-XXXXXX)}
. tools/demo/notes/notes-demo-env.sh
# The wizard's Lotus Notes page wants a Notes.exe with a version in the program folder.
"$bin/ln_demo_notes_exe" "$notes/Notes.exe"
echo "== The sample Notes databases"
"$bin/quillmove-cli" dump notes tasks --database "$notes_data/mail.json" \
  --id-file "$notes_data/demo.id" --password demo-notes --folder "$work/dump" | head -3
echo "== Migrating the Lotus Notes contacts and calendar into the local account $email"
"$bin/quillmove-cli" migrate
echo "== Second run, dry: everything should be the same, 0 new"
"$bin/quillmove-cli" migrate --dry-run
echo "== Files kept in $work"
echo "   The wizard on the same folders: XDG_DATA_HOME=$XDG_DATA_HOME XDG_CONFIG_HOME=$XDG_CONFIG_HOME \\"
echo "     WINEPREFIX=$WINEPREFIX $bin/quillmove"
