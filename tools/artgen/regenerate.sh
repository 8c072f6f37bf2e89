#!/usr/bin/env bash
# Rebuilds the artwork generator and rewrites every picture and sound under resources/.
# Commit the changed files afterwards. QV_ARTGEN_BUILD picks the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${QV_ARTGEN_BUILD:-$root/build-artgen}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target qv_artgen -j "$(nproc)"

# Fonts and painting need no display; the generator's output must not depend on one.
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
  "$build/tools/artgen/qv_artgen" "$root/resources"
