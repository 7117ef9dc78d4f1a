#!/usr/bin/env bash
# Configures and builds one preset (x64 or x86).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
preset="${1:-x64}"
[ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
