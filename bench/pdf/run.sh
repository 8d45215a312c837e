#!/usr/bin/env bash
# PDF export benchmark: our exporter against Debian's img2pdf on the same JPEG pages
# (A4 at 300 dpi, quality 85, drawn by quillary-pdfbench). Prints a Markdown table of the
# median wall time of three runs, peak memory (maximum resident set size) and output size
# against the sum of the JPEG sizes, for 100 and 400 pages. Never passes or fails.
#
# usage: bench/pdf/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages and PDFs go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-bench}
work=${2:-$(mktemp -d)}
[ -n "${2:-}" ] || trap 'rm -rf "$work"' EXIT

if [ ! -x "$build/bench/pdf/quillary-pdfbench" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DQUILLARY_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -j2 -C "$build" quillary-pdfbench >/dev/null
fi
bench="$build/bench/pdf/quillary-pdfbench"
command -v img2pdf >/dev/null || { echo "img2pdf is not installed (apt-get install img2pdf)"; exit 1; }

# Runs a command under /usr/bin/time -v; prints "seconds kilobytes".
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" >/dev/null 2>"$log"
    local wall rss
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
    rm -f "$log"
    # m:ss.ss or h:mm:ss
    awk -v t="$wall" -v r="$rss" 'BEGIN { n = split(t, p, ":"); s = 0;
        for (i = 1; i <= n; ++i) s = s * 60 + p[i]; printf "%.2f %d\n", s, r }'
}

# Median of three runs: "seconds kilobytes" (memory of the median-time run).
median3() {
    { measure "$@"; measure "$@"; measure "$@"; } | sort -n | sed -n 2p
}

echo "| pages | exporter | seconds | peak memory (MB) | output (MB) | output vs JPEG sum |"
echo "|---|---|---|---|---|---|"
for count in 100 400; do
    pages="$work/pages$count"
    if [ ! -d "$pages" ]; then
        "$bench" pages "$pages" "$count"
    fi
    mapfile -t files < <(ls "$pages"/*_o.jpg | sort)
    jpegs=$(cat "${files[@]}" | wc -c)
    # Warm the file cache for both.
    "$bench" export "$work/ours.pdf" "${files[@]}" >/dev/null
    img2pdf -o "$work/img2pdf.pdf" "${files[@]}"
    read -r ourTime ourRss < <(median3 "$bench" export "$work/ours.pdf" "${files[@]}")
    read -r peerTime peerRss < <(median3 img2pdf -o "$work/img2pdf.pdf" "${files[@]}")
    for row in "Quillary $ourTime $ourRss $work/ours.pdf" "img2pdf $peerTime $peerRss $work/img2pdf.pdf"; do
        read -r name seconds rss pdf <<<"$row"
        size=$(stat -c %s "$pdf")
        awk -v c="$count" -v n="$name" -v s="$seconds" -v r="$rss" -v o="$size" -v j="$jpegs" \
            'BEGIN { printf "| %d | %s | %.2f | %.1f | %.2f | %+.3f%% (JPEG sum %.2f MB) |\n",
                     c, n, s, r / 1024, o / 1048576, (o - j) * 100 / j, j / 1048576 }'
    done
done
