#!/usr/bin/env bash
# Configures (once) and builds into build/ incrementally.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUILLARY_BUILD_DIR:-$root/build}"
# Paths relative to the clone, so that a second clone or build folder hits the compiler cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    if command -v ccache > /dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QUILLARY_BUILD_TYPE:-RelWithDebInfo}" \
        "${launcher[@]}" "$@"
fi
cmake --build "$build" -j "$(nproc)"
