#!/usr/bin/env bash
# Configures (once) and builds everything into ./build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
# Paths below the checkout are hashed relative to it, so another checkout of the
# same sources finds its objects in the cache.
export CCACHE_BASEDIR="$root"
if [ ! -f "$root/build/build.ninja" ]; then
  launcher=()
  # A compiler cache, where the machine has one, makes rebuilds of a fresh
  # checkout quick; the build does not need it.
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$root/build" -G Ninja "${launcher[@]}"
fi
cmake --build "$root/build" -j "$(nproc)"
