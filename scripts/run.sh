#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts the editor.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages

cd "$WIRELACE_ROOT"
mkdir -p build
build_folder "$WIRELACE_ROOT/build"

app="$WIRELACE_ROOT/build/Wirelace_artefacts/Release/Wirelace"

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: starting the editor under Xvfb."
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$app"
fi

exec "$app"
