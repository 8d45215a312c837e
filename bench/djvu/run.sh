#!/usr/bin/env bash
# DjVu export benchmark: our exporter against a plain shell loop that runs c44 (JPEG pages) or
# cjb2 (1-bit TIFF pages) one page after the other and then djvm, on the same 100 A4 300-dpi
# pages (half JPEG, half black-and-white Group 4 TIFF, interleaved, drawn by
# quillary-pdfbench). Prints a Markdown table of the median wall time of RUNS runs (default
# 1; 3 on a quiet machine) and the page count of each output (djvused), and whether the page
# sizes come in the same order. Never passes or fails.
#
# usage: bench/djvu/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages and outputs go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"

bench_build quillary-djvubench quillary-pdfbench
ours="$build/bench/djvu/quillary-djvubench"
draw="$build/bench/pdf/quillary-pdfbench"

count=100
half=$((count / 2))
[ -d "$work/jpeg" ] || "$draw" pages "$work/jpeg" "$half"
[ -d "$work/mono" ] || "$draw" mono "$work/mono" "$half"
mapfile -t jpegs < <(ls "$work"/jpeg/*_o.jpg | sort)
mapfile -t monos < <(ls "$work"/mono/*_o.tiff | sort)
files=()
for ((i = 0; i < half; ++i)); do files+=("${jpegs[i]}" "${monos[i]}"); done

# The plain loop: one encoder after the other, then the bundle.
loop() {
    djvu_loop "$work/loop-parts" "$@"
}

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f\n", e - s }'
}

runs=${RUNS:-1}
median() {
    for ((run = 0; run < runs; ++run)); do seconds "$@"; done | sort -n | sed -n "$(((runs + 1) / 2))p"
}

sizes() {
    djvudump "$1" | sed -n 's/.*INFO \[[0-9]*\] *DjVu \([0-9]*x[0-9]*\).*/\1/p'
}

ourTime=$(median "$ours" "$work/ours.djvu" "${files[@]}")
loopTime=$(median loop "$work/loop.djvu" "${files[@]}")
ourPages=$(djvused -e n "$work/ours.djvu")
loopPages=$(djvused -e n "$work/loop.djvu")
same=no
[ "$(sizes "$work/ours.djvu")" = "$(sizes "$work/loop.djvu")" ] && same=yes

echo "cores: $(nproc)"
echo
echo "| pages | writer | seconds | pages in output | x loop |"
echo "|---|---|---|---|---|"
awk -v c="$count" -v o="$ourTime" -v l="$loopTime" -v op="$ourPages" -v lp="$loopPages" \
    'BEGIN { printf "| %d | Quillary | %.2f | %d | %.2f |\n| %d | shell loop | %.2f | %d | 1.00 |\n",
             c, o, op, o / l, c, l, lp }'
echo
echo "page sizes in the same order: $same"
