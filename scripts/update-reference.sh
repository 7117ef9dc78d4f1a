#!/usr/bin/env bash
# Writes the engine's attribute table into the attribute reference of docs/skin-authors.md (the
# part between its two markers). tools_tests fails while the two differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
guide="$root/docs/skin-authors.md"
reference=$(mktemp)
trap 'rm -f "$reference"' EXIT
bash "$root/scripts/lint.sh" --reference > "$reference"
awk -v ref="$reference" '
  /^<!-- attribute reference -->$/ { print; print ""; while ((getline line < ref) > 0) print line; print ""; skip = 1; next }
  /^<!-- end of attribute reference -->$/ { skip = 0 }
  !skip { print }
' "$guide" > "$guide.new"
mv "$guide.new" "$guide"
