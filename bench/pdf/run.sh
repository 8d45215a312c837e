#!/usr/bin/env bash
# PDF export benchmark: our exporter against Debian's img2pdf on the same JPEG pages
# (A4 at 300 dpi, quality 85, drawn by quillary-pdfbench). Prints a Markdown table of the
# median wall time of three runs, peak memory (maximum resident set size) and output size
# against the sum of the JPEG sizes, for 100 and 400 pages. Then black-and-white pages: the
# page-file bytes per A4 page as plain TIFF (the old page files) and as Group 4 (today's), and
# the PDF of each against img2pdf on the same files. Never passes or fails.
#
# usage: bench/pdf/run.sh [BUILD_DIR] [WORK_DIR]
#   ONLY=mono bench/pdf/run.sh ...   the black-and-white part alone
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages and PDFs go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"

bench_build quillary-pdfbench
bench="$build/bench/pdf/quillary-pdfbench"
command -v img2pdf >/dev/null || { echo "img2pdf is not installed (apt-get install img2pdf)"; exit 1; }


# Median of three runs: "seconds kilobytes" (memory of the median-time run).
median3() {
    { measure "$@"; measure "$@"; measure "$@"; } | sort -n | sed -n 2p
}

if [ "${ONLY:-}" != mono ]; then
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
echo
fi

# Black-and-white pages, 100 of them: the same pictures as plain TIFF and as Group 4.
count=100
mono="$work/mono$count"
[ -d "$mono" ] || "$bench" mono "$mono" "$count"
echo "| 1-bit A4 pages, $count | page file bytes per page | exporter | seconds | output bytes | output bytes per page | vs img2pdf |"
echo "|---|---|---|---|---|---|---|"
for kind in plain g4; do
    if [ "$kind" = plain ]; then
        mapfile -t files < <(ls "$mono"/plain/*_o.tiff | sort)
        label="uncompressed TIFF (before)"
    else
        mapfile -t files < <(ls "$mono"/*_o.tiff | sort)
        label="Group 4 TIFF (now)"
    fi
    perPage=$(( $(cat "${files[@]}" | wc -c) / count ))
    "$bench" export "$work/ours-$kind.pdf" "${files[@]}" >/dev/null
    img2pdf -o "$work/img2pdf-$kind.pdf" "${files[@]}"
    read -r ourTime _ < <(median3 "$bench" export "$work/ours-$kind.pdf" "${files[@]}")
    read -r peerTime _ < <(median3 img2pdf -o "$work/img2pdf-$kind.pdf" "${files[@]}")
    peerSize=$(stat -c %s "$work/img2pdf-$kind.pdf")
    for row in "Quillary $ourTime $work/ours-$kind.pdf" "img2pdf $peerTime $work/img2pdf-$kind.pdf"; do
        read -r name seconds pdf <<<"$row"
        size=$(stat -c %s "$pdf")
        awk -v l="$label" -v b="$perPage" -v n="$name" -v s="$seconds" -v o="$size" -v p="$peerSize" -v c="$count" \
            'BEGIN { printf "| %s | %d | %s | %.2f | %d | %d | %+.2f%% |\n",
                     l, b, n, s, o, o / c, (o - p) * 100 / p }'
    done
done
