#!/usr/bin/env bash
# The rules of docs/ARCHITECTURE.md: the models and services include no window and
# no control, the controls no window, no CMakeLists.txt adds sources to another
# folder's target, and the include arrows between the top-level folders form no
# circle.
# Any further arguments are test programs that must link no widget library.
#   check_layers.sh SOURCE-DIR [TEST-PROGRAM...]
set -uo pipefail
cd "$1" || exit 2
shift
status=0
fail() {
  echo "$1"
  [ -n "${2:-}" ] && echo "$2"
  status=1
}

sources=(--include='*.cpp' --include='*.h')
bottom=()
for dir in game coach tally history net platform; do
  [ -d "$dir" ] && bottom+=("$dir")
done
if found=$(grep -rnE "${sources[@]}" '#include "(ui|widgets)/' "${bottom[@]}"); then
  fail "models and services include window code:" "$found"
fi
if found=$(grep -rnE "${sources[@]}" '#include "ui/' widgets); then
  fail "controls include window code:" "$found"
fi
if found=$(grep -rn 'target_sources' --include=CMakeLists.txt .); then
  fail "a CMakeLists.txt adds sources to a target made elsewhere:" "$found"
fi

# "from to" for every include of one top-level folder from another.
edges=$(for dir in */; do
  dir=${dir%/}
  case "$dir" in build* | docs | resources | packaging | scripts) continue ;; esac
  grep -rhoE "${sources[@]}" '^#include "[A-Za-z0-9_]+/' "$dir" | sed -E 's/^#include "//; s/\/$//' |
    sort -u | while read -r to; do
      [ "$to" != "$dir" ] && [ -d "$to" ] && echo "$dir $to"
    done
done)
if ! loop=$(printf '%s\n' "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loop" ]; then
  fail "the include arrows between folders form a circle:" "$loop"
fi

for program in "$@"; do
  if found=$(ldd "$program" | grep -E 'Qt6Widgets|Qt6Test'); then
    fail "$program links a widget library:" "$found"
  fi
done
exit $status
