# Sourced by scripts/demo.sh and scripts/bench-migrate.sh: a private data folder, settings and
# registry for one run, pointing at a Palm Desktop installation. Needs $work, $palm, $user.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config WINEPREFIX=$work/wine
data=$XDG_DATA_HOME/korvane/VEGG
mkdir -p "$data" "$XDG_CONFIG_HOME/quillmove" "$WINEPREFIX"
# The registry stand-in's seed file: where Palm Desktop is installed.
printf '[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n"DesktopPath"="%s"\n' \
  "$palm" >"$XDG_CONFIG_HOME/quillmove/registry.reg"
email=demo@example.org
password=demo-password
cat >"$data/VEGG.ini" <<INI
[VEGG]
SourceApp=5
SyncAddr=1
SyncDate=1
SyncTask=0
SyncNote=0
PDUserID=$user
UsePDAddrFile=0
UsePDDateFile=0
UsePDTaskFile=0
UsePDNoteFile=0
PDCodePage=1252
GGSaveEmail=1
GGEmail=$email
GGSavePassword=1
GGPassword=$(printf %s "$password" | base64)
INI
account=$data/accounts/$email

