#!/usr/bin/env bash
# Line and branch coverage of the program by the whole test suite: a separate build with
# --coverage in build-coverage/ (incremental after the first run), every test run, then a
# table per folder of the program (tests and benchmarks left out).
#
# usage: scripts/coverage.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build-coverage}"
"$root/scripts/install-deps.sh"
command -v gcovr >/dev/null || { echo "gcovr is not installed (apt-get install gcovr)"; exit 1; }
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
# The instrumented programs report their own write failures (a test fills a disk on purpose).
export GCOV_ERROR_FILE=/dev/null
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="--coverage -O1 -DQUILLARY_COVERAGE" \
        -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
# Counts of an earlier run would add up with this one's.
find "$build" -name '*.gcda' -delete
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j "$(nproc)" --timeout 900 --output-on-failure) || true

folders=$(cd "$root" && ls -d */ | tr -d / | grep -v -x -e tests -e bench -e scripts -e resources \
    -e 'build.*' -e translations)
echo
echo "| folder | lines | line coverage | branches | branch coverage |"
echo "|---|---|---|---|---|"
cd "$build"
for folder in $folders; do
    gcovr --root "$root" --object-directory "$build" --filter "$root/$folder/" \
        --exclude-unreachable-branches --exclude-throw-branches --gcov-ignore-parse-errors \
        --json-summary-pretty -o "$build/coverage-$folder.json" >/dev/null 2>&1 || continue
    python3 - "$folder" "$build/coverage-$folder.json" <<'PY'
import json, sys
s = json.load(open(sys.argv[2]))
print(f"| {sys.argv[1]}/ | {s['line_total']} | {s['line_percent']:.1f} % "
      f"| {s['branch_total']} | {s['branch_percent']:.1f} % |")
PY
done
