# Sourced by tools/demo/notes/demo.sh and the Lotus Notes migration test: a Notes installation
# for the stand-in Notes helpers, a private data folder and settings with Lotus Notes as the
# source. Needs $work; sets $data (the data folder), $notes (the Notes program folder) and
# $account (the local account the migration fills).
notes_demo_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config WINEPREFIX=$work/wine
data=$XDG_DATA_HOME/korvane/VEGG
notes=$work/Notes
notes_data=$work/NotesData
mkdir -p "$data" "$XDG_CONFIG_HOME/quillmove" "$WINEPREFIX" "$notes" "$notes_data"
# The databases: copies, so that a submit never changes the checked-in documents.
cp "$notes_demo_here"/names.json "$notes_demo_here"/mail.json "$notes_demo_here"/notebook.json \
  "$notes_demo_here"/demo.id "$notes_data"/
# The Notes program folder is the helpers' current directory; its NotesHelper.ini maps the
# server databases of the settings to the local documents.
cat >"$notes/NotesHelper.ini" <<INI
[Databases]
Mail01!!mail\\demo.nsf=$notes_data/mail.json
Mail01!!notebook.nsf=$notes_data/notebook.json
INI
# The registry stand-in's seed file: where Lotus Notes is installed.
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lotus\\Notes]\n"Path"="%s"\n' "$notes" \
  >"$XDG_CONFIG_HOME/quillmove/registry.reg"
email=notes-demo@example.org
password=demo-password
cat >"$data/VEGG.ini" <<INI
[VEGG]
SourceApp=4
SyncAddr=1
SyncDate=1
SyncTask=0
SyncNote=0
LNAddrName=$notes_data/names.json
LNDateName=Mail01!!mail\\demo.nsf
LNNoteName=Mail01!!notebook.nsf
LNIDFile=$notes_data/demo.id
LNNeedPassword=1
LNSavePassword=1
LNPassword=$(printf %s demo-notes | base64)
GGSaveEmail=1
GGEmail=$email
GGSavePassword=1
GGPassword=$(printf %s "$password" | base64)
INI
account=$data/accounts/$email
