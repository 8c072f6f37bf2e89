#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what a desktop and the
# package need: the four programs, the menu entry, the icons at their sizes, the
# metainfo, and version texts that match the program's (else every start offers
# an update).
#   check_install.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quenvale-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for exe in quenvale lzrw1 quenvale-server quenvale-coach; do
  [ -x "$prefix/bin/$exe" ] || fail "bin/$exe is not installed"
done

# The statistics window's module, where the program looks for it.
[ -n "$(find "$prefix" -path '*/quenvale/quenvale-statistics.so')" ] || fail "the statistics module is not installed"

desktop="$prefix/share/applications/quenvale.desktop"
if [ -f "$desktop" ]; then
  grep -qx 'Exec=quenvale' "$desktop" || fail "the menu entry does not start quenvale"
  grep -qx 'Icon=quenvale' "$desktop" || fail "the menu entry does not name the quenvale icon"
  grep -qx 'Categories=Game;CardGame;' "$desktop" || fail "the menu entry is not in Game;CardGame;"
else
  fail "share/applications/quenvale.desktop is not installed"
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quenvale.png"
  if [ -f "$icon" ]; then
    actual=$(png_size "$icon")
    [ "$actual" = "${size}x${size}" ] || fail "$icon is $actual"
  else
    fail "no ${size}x${size} icon"
  fi
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/quenvale.svg" ] || fail "no scalable icon"

metainfo="$prefix/share/metainfo/org.example.quenvale.metainfo.xml"
if [ -f "$metainfo" ]; then
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
  grep -q '<launchable type="desktop-id">quenvale.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch quenvale.desktop"
else
  fail "the metainfo is not installed"
fi

served="$prefix/share/quenvale-server/files/quenvaleversion.txt"
if [ -f "$served" ]; then
  [ "$(cat "$served")" = "$version" ] || fail "the installed server offers version '$(cat "$served")'"
else
  fail "the server's version file is not installed"
fi
# scripts/play serves this folder to a game started from the source tree.
[ "$(cat "$source/server/files/quenvaleversion.txt")" = "$version" ] ||
  fail "server/files/quenvaleversion.txt does not read $version"

[ -f "$prefix/share/doc/quenvale/copyright" ] || fail "no copyright file"

[ "$failures" -eq 0 ] || exit 1
echo "install tree: all present"
