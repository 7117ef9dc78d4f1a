#!/usr/bin/env bash
# Checks skin folders (or files) with velmor-lint from the x64 build: one line per problem,
# "file:line:column: severity: message"; exit status 0 clean, 1 warnings, 2 errors.
# Usage: lint.sh [--json] [--images FOLDER] SKIN_DIR...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMOR_BUILD_DIR:-$root/build/x64}"
if [ ! -f "$build/dist/velmor-lint.exe" ]; then
  bash "$root/scripts/build.sh" x64 >&2
fi
exec bash "$root/scripts/with-display.sh" "$build" "$build/wine-run.sh" \
  "$build/dist/velmor-lint.exe" "$@"
