#!/usr/bin/env bash
# PDF import benchmark: a PDF of A4 JPEG pages at 300 dpi (drawn by quillary-pdfbench, put
# together by img2pdf) loaded as pages through the window's From File, side by side with
# `pdfimages -all` taking the same JPEG streams out of the same file. Prints a Markdown table;
# never passes or fails.
#
# usage: bench/pdfimport/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
# PAGE_COUNTS (environment) chooses the document sizes, default "100".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common.sh
. "$here/../common.sh"
bench_folders "${1:-}" "${2:-}"
bench_build quillary-pagebench quillary-pdfbench
export QT_QPA_PLATFORM=offscreen

echo "| pages | PDF (MB) | tool | seconds | peak memory (MB) |"
echo "|---|---|---|---|---|"
for count in ${PAGE_COUNTS:-100}; do
    pdf="$work/pages$count.pdf"
    if [ ! -f "$pdf" ]; then
        rm -rf "$work/drawn"
        "$build/bench/pdf/quillary-pdfbench" pages "$work/drawn" "$count" >/dev/null
        img2pdf "$work"/drawn/*_o.jpg -o "$pdf.part" && mv "$pdf.part" "$pdf"
    fi
    size=$(du -m "$pdf" | cut -f1)
    rm -rf "$work/data" && mkdir -p "$work/data"
    read -r pages secs rss < <(XDG_DATA_HOME="$work/data" \
        "$build/bench/pages/quillary-pagebench" import "$pdf" 2>/dev/null)
    echo "| $pages | $size | Quillary (pages and thumbnails) | $secs | $rss |"
    rm -rf "$work/extracted" && mkdir -p "$work/extracted"
    read -r secs kb < <(measure pdfimages -all "$pdf" "$work/extracted/p")
    echo "| $count | $size | pdfimages -all | $secs | $((kb / 1024)) |"
done
