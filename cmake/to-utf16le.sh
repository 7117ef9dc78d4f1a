#!/bin/sh
# Converts a UTF-8 text file into UTF-16LE with a byte-order mark (the form script files take).
set -e
in="$1"; out="$2"
mkdir -p "$(dirname "$out")"
{ printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$in"; } > "$out.tmp"
mv "$out.tmp" "$out"
