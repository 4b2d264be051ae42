#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velto-widget
exec build/release/bin/velto-widget demo
