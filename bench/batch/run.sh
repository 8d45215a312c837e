#!/usr/bin/env bash
# The command line end to end against the peers a user would script instead, side by side in
# one run on the same files: quillary-batch against img2pdf (100 A4 300-dpi JPEG pages to PDF),
# against img2pdf + ocrmypdf (20 pages of known text to a searchable PDF), and against the
# sequential DjVuLibre loop (100 pages, half JPEG, half black-and-white, to DjVu). Prints a
# Markdown table: median wall time of RUNS runs (default 3; recognition runs once), peak memory
# (maximum resident set size of the largest process) and the ratio to the peer.
# Never passes or fails.
#
# usage: bench/batch/run.sh [BUILD_DIR] [WORK_DIR]
#   PAGES=100 OCR_PAGES=20 LANGS=eng+rus RUNS=3
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages and outputs go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
pages=${PAGES:-100}
ocrPages=${OCR_PAGES:-20}
langs=${LANGS:-eng+rus}
runs=${RUNS:-3}

# The page drawers paint text: they need the GUI side of Qt, never a display.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
bench_build quillary-batch quillary-pdfbench quillary-ocrbench
batch="$build/app/quillary-batch"
draw="$build/bench/pdf/quillary-pdfbench"
drawText="$build/bench/ocr/quillary-ocrbench"
for tool in img2pdf ocrmypdf c44 cjb2 djvm; do
    command -v $tool >/dev/null || { echo "$tool is not installed"; exit 1; }
done

# "seconds kilobytes" of the median-time run of $runs (or of one run when told so).
median() {
    local n=$1
    shift
    for ((run = 0; run < n; ++run)); do measure "$@"; done | sort -n | sed -n "$(((n + 1) / 2))p"
}

# One table row pair: ours and the peer's, with the ratio of the wall times.
report() {
    local what=$1 ours=$2 peer=$3 peerName=$4
    read -r os orss <<<"$ours"
    read -r ps prss <<<"$peer"
    awk -v w="$what" -v os="$os" -v or="$orss" -v ps="$ps" -v pr="$prss" -v pn="$peerName" \
        'BEGIN { printf "| %s | quillary-batch | %.2f | %.1f | %.2f |\n", w, os, or / 1024, os / ps;
                 printf "| %s | %s | %.2f | %.1f | 1.00 |\n", w, pn, ps, pr / 1024 }'
}

echo "cores: $(nproc)"
echo
echo "| work | program | seconds | peak memory (MB) | x peer |"
echo "|---|---|---|---|---|"

# PDF: the JPEG pages of a folder.
jpeg="$work/jpeg$pages"
[ -d "$jpeg" ] || "$draw" pages "$jpeg" "$pages" >/dev/null
mapfile -t files < <(ls "$jpeg"/*_o.jpg | sort)
# Warm the file cache for both.
"$batch" -q "$jpeg" -o "$work/ours.pdf"
img2pdf -o "$work/img2pdf.pdf" "${files[@]}"
report "$pages JPEG pages to PDF" "$(median "$runs" "$batch" -q "$jpeg" -o "$work/ours.pdf")" \
    "$(median "$runs" img2pdf -o "$work/img2pdf.pdf" "${files[@]}")" img2pdf

# Searchable PDF: the pipeline is two programs; its memory is the larger of the two.
text="$work/text$ocrPages"
[ -d "$text" ] || "$drawText" pages "$text" "$ocrPages" >/dev/null
ours=$(median 1 "$batch" -q --ocr "$langs" "$text" -o "$work/ours-ocr.pdf")
read -r s1 kb1 < <(measure img2pdf -o "$work/images.pdf" "$text"/*_o.jpg)
read -r s2 kb2 < <(measure ocrmypdf -q -l "$langs" --jobs "$(nproc)" -O0 --output-type pdf \
    "$work/images.pdf" "$work/pipeline.pdf")
report "$ocrPages pages, --ocr $langs" "$ours" "$(echo "$s1 + $s2" | bc -l) $((kb1 > kb2 ? kb1 : kb2))" \
    "img2pdf + ocrmypdf"

# DjVu: JPEG and black-and-white pages interleaved; the loop runs in a shell of its own, timed.
export -f djvu_loop
half=$((pages / 2))
mixed="$work/mixed$pages"
if [ ! -d "$mixed" ]; then
    "$draw" mono "$work/mono$half" "$half" >/dev/null
    mkdir -p "$mixed"
    mapfile -t monos < <(ls "$work/mono$half"/*_o.tiff | sort)
    for ((i = 0; i < half; ++i)); do
        ln -s "${files[i]}" "$mixed/$(printf 'p%03d.jpg' $((2 * i + 1)))"
        ln -s "${monos[i]}" "$mixed/$(printf 'p%03d.tiff' $((2 * i + 2)))"
    done
fi
mapfile -t mixedFiles < <(ls "$mixed"/* | sort)
report "$pages pages to DjVu" "$(median "$runs" "$batch" -q --djvu-quality 50 "$mixed" -o "$work/ours.djvu")" \
    "$(median "$runs" bash -c 'djvu_loop "$@"' loop "$work/loop-parts" "$work/loop.djvu" "${mixedFiles[@]}")" \
    "DjVuLibre loop"
