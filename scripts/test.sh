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
# Exit code of ctest decides; its summary line reports the count.
bash scripts/with-display.sh "$root/build/x64" ctest --preset x64 "$@"
echo "total: $(( $(date +%s) - start )) s"
