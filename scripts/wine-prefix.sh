#!/usr/bin/env bash
# Creates the build's Wine prefix once: 64-bit, Wine's fonts copied in, Chinese font linking
# for GDI text, font aliases so skins may name common Windows fonts, and top-level windows left
# unmanaged (without a window manager, Wine otherwise waits up to 2 s for each hidden or
# destroyed window to be withdrawn). Needs DISPLAY.
set -euo pipefail
prefix="$1"
# The marker names the prefix's settings version: a prefix made with older settings is updated.
ready="$prefix/.velmor-ready-2"
[ -f "$ready" ] && exit 0
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-prefix: DISPLAY must be set (the first Wine process must see a display)" >&2
  exit 2
fi
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "wine-prefix: creating $prefix" >&2
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -f /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
[ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] && cp -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
for f in /usr/share/fonts/truetype/liberation/Liberation*.ttf; do [ -f "$f" ] && cp -f "$f" "$fonts/"; done
reg=$(mktemp --suffix=.reg)
link='hex(7):77,00,71,00,79,00,2d,00,6d,00,69,00,63,00,72,00,6f,00,68,00,65,00,69,00,2e,00,74,00,74,00,63,00,2c,00,57,00,65,00,6e,00,51,00,75,00,61,00,6e,00,59,00,69,00,20,00,4d,00,69,00,63,00,72,00,6f,00,20,00,48,00,65,00,69,00,00,00,00,00'
cat > "$reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=$link
"MS Shell Dlg"=$link
"MS Shell Dlg 2"=$link

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Arial"="Liberation Sans"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || wine regedit /S "$reg" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
touch "$ready"
