#!/usr/bin/env bash
# Page orientation benchmark: our detection (one engine for all pages, as a worker keeps it)
# against the tesseract program's orientation pass, `tesseract PAGE - --psm 0`, one run per
# page as it is used, on the same grey A4 300-dpi JPEG pages drawn by quillary-orientbench
# (text turned by 0, 90, 180 and 270 degrees, every eighth page a picture without text).
# Prints a Markdown table: seconds and CPU seconds per page, their ratio to ours, and how many
# text pages each gets right, leaves unsure or gets wrong, and how many pictures it leaves
# alone. Never passes or fails.
#
# usage: bench/orientation/run.sh [BUILD_DIR] [WORK_DIR]
#   PAGES=56         page count (default 56)
#   DPIS="200 150 300"  working resolutions of ours to run (the first is the reference row)
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench)
#   WORK_DIR   where pages and results go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
pages=${PAGES:-56}
dpis=${DPIS:-200 150 300}

bench_build quillary-orientbench
bench="$build/bench/orientation/quillary-orientbench"
command -v tesseract >/dev/null || { echo "tesseract is not installed"; exit 1; }
# The threshold ours applies, applied to the peer's confidence too.
sure=$(sed -n 's/.*sureConfidence = \([0-9.]*\);.*/\1/p' "$root/ocr/PageOrientation.h")

folder="$work/pages"
rm -rf "$folder"
"$bench" pages "$folder" "$pages"
mapfile -t files < <(ls "$folder"/*.jpg | sort)
cat "${files[@]}" >/dev/null # the file cache warm for every run

# Runs a command under /usr/bin/time -v with its output into $1; prints "seconds cpu-seconds".
timed() {
    local out=$1 log
    shift
    log=$(mktemp)
    /usr/bin/time -v -o "$log" "$@" >"$out" 2>/dev/null || true
    local wall cpu
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
    cpu=$(sed -n 's/.*\(User\|System\) time (seconds): //p' "$log" | paste -sd+ | bc)
    rm -f "$log"
    awk -v t="$wall" -v c="$cpu" 'BEGIN { n = split(t, p, ":"); s = 0;
        for (i = 1; i <= n; ++i) s = s * 60 + p[i]; printf "%.3f %.3f\n", s, c }'
}

# Results "file turn sure confidence" against the truth: "right unsure wrong pictures-left".
score() {
    awk 'NR == FNR { truth[$1] = $2; next }
         { t = truth[$1]
           if (t == "-") { pictures++; if (!$3) left++; next }
           if (!$3) unsure++; else if ($2 == t) right++; else wrong++ }
         END { printf "%d %d %d %d/%d\n", right, unsure, wrong, left, pictures }' \
        "$folder/truth.txt" "$1"
}

row() { # name seconds cpu reference-seconds reference-cpu results
    read -r right unsure wrong pictures < <(score "$6")
    printf "| %s | %.2f | %.2f | %.2f | %.2f | %d | %d | %d | %s |\n" "$1" \
        "$(echo "$2/$pages" | bc -l)" "$(echo "$3/$pages" | bc -l)" \
        "$(echo "$2/$4" | bc -l)" "$(echo "$3/$5" | bc -l)" "$right" "$unsure" "$wrong" "$pictures"
}

texts=$(grep -vc ' -$' "$folder/truth.txt")
echo "$pages pages ($texts with text), sure at confidence $sure and over"
echo
echo "| detection | seconds per page | CPU s per page | time vs ours | CPU vs ours | right | unsure | wrong | pictures left alone |"
echo "|---|---|---|---|---|---|---|---|---|"
ref=
for dpi in $dpis; do
    read -r s cpu < <(timed "$work/ours-$dpi.txt" "$bench" detect "$dpi" "${files[@]}")
    [ -n "$ref" ] || ref="$s $cpu"
    row "Quillary, $dpi dpi" "$s" "$cpu" $ref "$work/ours-$dpi.txt"
done

# The peer: one process per page; its "Rotate" is the clockwise turn that makes the page upright.
peer() { # name tesseract-arguments...
    local name=$1 total=0 totalcpu=0 file s cpu rotate conf
    shift
    : >"$work/peer.txt"
    for file in "${files[@]}"; do
        read -r s cpu < <(timed "$work/osd.txt" tesseract "$file" - --psm 0 "$@")
        total=$(echo "$total+$s" | bc -l)
        totalcpu=$(echo "$totalcpu+$cpu" | bc -l)
        rotate=$(sed -n 's/^Rotate: //p' "$work/osd.txt")
        conf=$(sed -n 's/^Orientation confidence: //p' "$work/osd.txt")
        if [ -z "$rotate" ]; then
            echo "$(basename "$file") 0 0 0" >>"$work/peer.txt"
        else
            echo "$(basename "$file") $rotate $(echo "$conf >= $sure" | bc -l) $conf" >>"$work/peer.txt"
        fi
    done
    row "$name" "$total" "$totalcpu" $ref "$work/peer.txt"
}
peer "tesseract PAGE - --psm 0"
peer "tesseract PAGE - --psm 0 -l osd" -l osd
