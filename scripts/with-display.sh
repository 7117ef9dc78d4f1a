#!/usr/bin/env bash
# Runs a command with an X display (a new Xvfb when none is usable or under CI), the build's Wine
# prefix ready and one persistent wineserver for the whole command.
# Usage: with-display.sh <build dir> <command...>
set -euo pipefail
build="$(cd "$1" && pwd)"; shift
export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
root=$(cd "$(dirname "$0")/.." && pwd)

inner() {
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  wineserver -p
  # The first Wine process starts Wine's own services (explorer, device manager), which would
  # inherit the test runner's output pipes and keep them open: start them here, detached.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  set +e
  "$@"
  local rc=$?
  set -e
  wineserver -k 2>/dev/null || true
  return $rc
}

if [ "${VELMOR_INNER:-}" = 1 ]; then
  shift 0
  inner "$@"
  exit $?
fi

# A wineserver started for another display would keep its desktop there.
wineserver -k 2>/dev/null || true
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
  inner "$@"
else
  VELMOR_INNER=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$@"
fi
