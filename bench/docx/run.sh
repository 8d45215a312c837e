#!/usr/bin/env bash
# Word export benchmark: 100 and 400 A4 pages at 300 dpi (JPEG quality 85, drawn by
# quillary-pdfbench) into one DOCX. Prints a Markdown table of the median wall time of three
# runs, peak memory (maximum resident set size) and the output size against the sum of the
# page files. The zip tool storing the same files (no compression, as our package stores
# pictures) is the yardstick. Never passes or fails.
#
# usage: bench/docx/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages and documents go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"

bench_build quillary-docxbench quillary-pdfbench
bench="$build/bench/docx/quillary-docxbench"
pages="$build/bench/pdf/quillary-pdfbench"
command -v zip >/dev/null || { echo "zip is not installed (apt-get install zip)"; exit 1; }
export QT_QPA_PLATFORM=offscreen


# Median of three runs: "seconds kilobytes" (memory of the median-time run).
median3() {
    { measure "$@"; measure "$@"; measure "$@"; } | sort -n | sed -n 2p
}

# The yardstick as a command of its own, so that /usr/bin/time can run it.
zipStored=(sh -c 'rm -f "$0" && exec zip -q -0 -j "$0" "$@"')

echo "| pages | writer | seconds | peak memory (MB) | output (MB) | output vs page files |"
echo "|---|---|---|---|---|---|"
for count in 100 400; do
    folder="$work/pages$count"
    [ -d "$folder" ] || "$pages" pages "$folder" "$count"
    mapfile -t files < <(ls "$folder"/*_o.jpg | sort)
    sum=$(cat "${files[@]}" | wc -c)
    # Warm the file cache for both.
    "$bench" "$work/ours.docx" "${files[@]}" >/dev/null
    "${zipStored[@]}" "$work/zip.zip" "${files[@]}"
    read -r ourTime ourRss < <(median3 "$bench" "$work/ours.docx" "${files[@]}")
    read -r peerTime peerRss < <(median3 "${zipStored[@]}" "$work/zip.zip" "${files[@]}")
    for row in "Quillary $ourTime $ourRss $work/ours.docx" "zip-0 $peerTime $peerRss $work/zip.zip"; do
        read -r name seconds rss out <<<"$row"
        size=$(stat -c %s "$out")
        awk -v c="$count" -v n="$name" -v s="$seconds" -v r="$rss" -v o="$size" -v j="$sum" \
            'BEGIN { printf "| %d | %s | %.2f | %.1f | %.2f | %+.3f%% (page files %.2f MB) |\n",
                     c, n, s, r / 1024, o / 1048576, (o - j) * 100 / j, j / 1048576 }'
    done
done
