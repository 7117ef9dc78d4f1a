#!/bin/sh
# Checks the export and import tables of the built modules: ui.dll exports RD_XXXX undecorated
# and nothing else, the runtime exports exactly ordinals 1-3 without names, and ui.dll imports
# the runtime by ordinal. Usage: check_exports.sh <objdump> <dist dir>...
set -u
objdump="$1"; shift
fail=0
check() { if ! eval "$2"; then echo "FAIL [$dist]: $1"; fail=1; else echo "ok   [$dist]: $1"; fi; }
for dist in "$@"; do
  ui=$("$objdump" -p "$dist/ui.dll")
  rt=$("$objdump" -p "$dist/vmrt.dll")
  names=$(printf '%s\n' "$ui" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | awk '{print $NF}')
  check "ui.dll exports exactly RD_XXXX" '[ "$names" = "RD_XXXX" ]'
  rtnames=$(printf '%s\n' "$rt" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -cE '^\s+\[')
  check "vmrt.dll exports no names" '[ "$rtnames" = 0 ]'
  rtcount=$(printf '%s\n' "$rt" | grep -E '^\s*\[\s*[0-9]+\] \+base\[\s*[0-9]+\]' | grep -c 'Export RVA')
  check "vmrt.dll exports three ordinals" '[ "$rtcount" = 3 ]'
  base=$(printf '%s\n' "$rt" | grep -m1 'Ordinal Base' | awk '{print $NF}')
  check "vmrt.dll ordinals start at 1" '[ "$base" = 1 ]'
  imports=$(printf '%s\n' "$ui" | sed -n '/DLL Name: vmrt.dll/,/^$/p' | grep -E '^\s+[0-9a-f]+\s+[0-9]+\s+<none>' | awk '{print $2+0}' | sort -n | tr '\n' ' ')
  check "ui.dll imports ordinals 1 2 3 of vmrt.dll by ordinal" '[ "$imports" = "1 2 3 " ]'
done
exit $fail
