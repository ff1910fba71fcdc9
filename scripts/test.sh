#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests under Xvfb).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages

cd "$WIRELACE_ROOT"
mkdir -p build
build_folder "$WIRELACE_ROOT/build"

cd build
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure --parallel "$(nproc)"
