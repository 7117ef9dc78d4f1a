#!/usr/bin/env bash
# Builds the engine and runs the demo application from dist/ on its bundled skin. Without a
# display it runs under Xvfb and leaves a screenshot of the screen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh x64
build="$root/build/x64"
shot="$build/demo-screenshot.png"
seconds="${VELMOR_DEMO_SECONDS:-6}"
cat > "$build/demo-run.sh" <<RUN
#!/usr/bin/env bash
cd "$build/dist"
wine Velmor.exe "\$@" &
pid=\$!
sleep $seconds
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
if [ -z "\${VELMOR_DEMO_KEEP:-}" ]; then kill \$pid 2>/dev/null || true; fi
wait \$pid 2>/dev/null || true
RUN
chmod +x "$build/demo-run.sh"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  VELMOR_DEMO_KEEP=1 bash scripts/with-display.sh "$build" "$build/demo-run.sh" "$@"
else
  bash scripts/with-display.sh "$build" "$build/demo-run.sh" "$@"
fi
echo "screenshot: $shot"
