#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (x86_64 under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
bash scripts/setup.sh
bash scripts/build.sh x64
bash scripts/build.sh x86
echo "build: $(( $(date +%s) - start )) s"
# ctest's exit code decides and its summary is the last thing printed.
exec bash scripts/with-display.sh "$root/build/x64" ctest --preset x64 "$@"
