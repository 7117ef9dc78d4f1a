#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the engine, and fetches
# TinyXML's Debian source package into .deps/. Idempotent: quick when everything is present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"

packages=(
  cmake ninja-build make g++ pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64
  wine wine64 libwine-dev fonts-wine fonts-liberation fonts-wqy-microhei
  xvfb xauth x11-utils xdotool imagemagick dpkg-dev googletest
)

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Source packages: TinyXML is built from Debian's own source package.
have_src() { grep -rqs -E '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; }
updated=0
if ! have_src; then
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  sudo_ tee /etc/apt/sources.list.d/velmor-deb-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

if [ ${#missing[@]} -gt 0 ] || [ ! -d "$deps/tinyxml" ]; then
  echo "setup: apt-get update"
  sudo_ apt-get update -qq
  updated=1
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$deps/tinyxml/tinyxml.cpp" ]; then
  mkdir -p "$deps/src"
  (cd "$deps/src" && apt-get source -qq tinyxml >/dev/null 2>&1 || { [ $updated = 1 ] || sudo_ apt-get update -qq; apt-get source tinyxml; })
  d=$(find "$deps/src" -maxdepth 1 -type d -name 'tinyxml-*' | head -n1)
  [ -n "$d" ] && [ -f "$d/tinyxml.cpp" ] || { echo "setup: TinyXML source not found" >&2; exit 1; }
  rm -rf "$deps/tinyxml"
  cp -r "$d" "$deps/tinyxml"
fi
echo "setup: ok"
