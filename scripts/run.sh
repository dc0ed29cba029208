#!/usr/bin/env bash
# Builds everything and runs the main job: the headless demo migrations (a sample Palm Desktop
# user, the demo Outlook store, ACT! database and Lotus Notes databases, each into a fresh local
# account, then a second run that finds nothing left to do), then the wizard over the same data
# when a display is available.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
bin=build/release/bin
export QM_DEMO_WORK
QM_DEMO_WORK=$(mktemp -d -t quillmove-demo-XXXXXX)
scripts/demo.sh release
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "== Starting the wizard over the demo's data folder (close it to end)"
  XDG_DATA_HOME=$QM_DEMO_WORK/data XDG_CONFIG_HOME=$QM_DEMO_WORK/config WINEPREFIX=$QM_DEMO_WORK/wine \
    "$bin/quillmove"
else
  echo "== No display: start the wizard with $bin/quillmove on a desktop, or without one with"
  echo "   xvfb-run -s '-screen 0 1280x1024x24' $bin/quillmove"
  echo "   (XDG_DATA_HOME=$QM_DEMO_WORK/data XDG_CONFIG_HOME=$QM_DEMO_WORK/config opens the demo's data)"
fi
