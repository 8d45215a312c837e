#!/usr/bin/env bash
# Page store benchmark: the window's "Restore Session" and "Remove All But Current" on A4
# pages at 300 dpi (JPEG quality 85, drawn by quillary-pdfbench, with their thumbnails), side
# by side with the bare file work the same command needs, done by coreutils: mv of every page
# file (what a restore must at least do) and rm of the removed pages' files. Prints a Markdown
# table; never passes or fails.
#
# usage: bench/pages/run.sh [BUILD_DIR] [BASELINE_BUILD_DIR] [WORK_DIR]
#   BUILD_DIR           a build configured with -DQUILLARY_BENCH=ON (default: build-bench,
#                       configured and built here when missing)
#   BASELINE_BUILD_DIR  optional: a bench build of an earlier version, measured in the same run
#   WORK_DIR            where pages go (default: a temporary folder, removed at the end)
# PAGE_COUNTS (environment) chooses the document sizes, default "100 300 500"; COMMANDS the
# commands, default all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-bench}
baseline=${2:-}
work=${3:-$(mktemp -d)}
[ -n "${3:-}" ] || trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

if [ ! -x "$build/bench/pages/quillary-pagebench" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DQUILLARY_BENCH=ON -DBUILD_TESTING=OFF \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -j2 -C "$build" quillary-pagebench quillary-pdfbench >/dev/null
fi

# Lays the master copy of count pages into a fresh work folder under data; prints its
# "Current" folder.
fresh() {
    local count=$1 data=$2
    rm -rf "$data"
    mkdir -p "$data/Plenwick/Quillary"
    cp -r "$work/master$count" "$data/Plenwick/Quillary/Current"
    echo "$data/Plenwick/Quillary/Current"
}

# Runs one command of a bench program on fresh pages: "pages seconds peakMB".
run() {
    local program=$1 command=$2 count=$3
    fresh "$count" "$work/data" >/dev/null
    XDG_DATA_HOME="$work/data" "$program" "$command" 2>/dev/null
}

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

echo "| pages | command | version | seconds | peak memory (MB) | coreutils file work (s) |"
echo "|---|---|---|---|---|---|"
for count in ${PAGE_COUNTS:-100 300 500}; do
    if [ ! -d "$work/master$count" ]; then
        # One restore makes the thumbnails a real session has beside its pages; the master
        # gets its name only when complete, so an interrupted run leaves none behind.
        rm -rf "$work/data" "$work/drawn$count"
        "$build/bench/pdf/quillary-pdfbench" pages "$work/drawn$count" "$count" >/dev/null
        mkdir -p "$work/data/Plenwick/Quillary"
        mv "$work/drawn$count" "$work/data/Plenwick/Quillary/Current"
        XDG_DATA_HOME="$work/data" "$build/bench/pages/quillary-pagebench" restore >/dev/null 2>&1
        mv "$work/data/Plenwick/Quillary/Current" "$work/master$count"
    fi
    current=$(fresh "$count" "$work/floor")
    mkdir -p "$work/floor/moved"
    mvTime=$(seconds mv "$current"/* "$work/floor/moved/")
    current=$(fresh "$count" "$work/floor")
    mapfile -t others < <(ls "$current"/* | grep -v "/$(printf %08d $((count / 2 + 1)))_")
    rmTime=$(seconds rm -f "${others[@]}")

    for command in ${COMMANDS:-restore remove-all-but-current move-to-top drag-one-page remove-all-and-undo}; do
        case $command in
            restore) floor=$mvTime ;;
            remove-all-but-current) floor=$rmTime ;;
            *) floor="-" ;;
        esac
        versions=("now $build")
        [ -z "$baseline" ] || versions+=("before $baseline")
        for version in "${versions[@]}"; do
            read -r name dir <<<"$version"
            read -r pages secs rss < <(run "$dir/bench/pages/quillary-pagebench" "$command" "$count")
            echo "| $count | $command | $name | $secs | $rss | $floor |"
        done
    done
done
