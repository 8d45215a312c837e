#!/usr/bin/env bash
# Compact PDF benchmark: COUNT (default 20) scanned-looking A4 300-dpi pages, colour and grey in
# turn (text, a coloured heading, a photograph-like picture; JPEG quality 85, drawn by
# quillary-compactbench), each written alone as a plain PDF (the JPEG as it is) and as a
# compact PDF at every picture level; side by side in the same run: our DjVu export of the
# same pages and the page processor's time on each page. Prints Markdown: sizes and ratios
# (median and worst page), text pixels kept and added, picture PSNR, and the compact write's
# time against the page processor's. Never passes or fails.
#
# usage: bench/compact/run.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
export QT_QPA_PLATFORM=offscreen

bench_build quillary-compactbench quillary-djvubench quillary-pageproc
bench="$build/bench/compact/quillary-compactbench"
djvu="$build/bench/djvu/quillary-djvubench"
processor="$build/app/quillary-pageproc"

[ -d "$work/pages" ] || "$bench" pages "$work/pages" "${COUNT:-20}"
mapfile -t files < <(ls "$work"/pages/*_o.jpg | sort)

for level in 0 1 2; do
    "$bench" measure "$level" "${files[@]}" >"$work/level$level.txt" 2>/dev/null
done

# Our DjVu export, one page at a time so that each page has its size.
: >"$work/djvu.txt"
for file in "${files[@]}"; do
    "$djvu" "$work/page.djvu" "$file" >/dev/null 2>&1
    echo "$(basename "$file" | cut -c1-8) $(stat -c %s "$work/page.djvu")" >>"$work/djvu.txt"
done

# The page processor as the application runs it on a colour or grey page, CPU milliseconds.
: >"$work/processor.txt"
for file in "${files[@]}"; do
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -o "$work/time.txt" -f '%U %S' "$processor" -l=1 --color-mode=color_grayscale \
        --normalize-illumination --white-margins --margins=1 --dpi=300 --output-dpi=300 \
        "$file" "$work/out" >/dev/null 2>&1 || true
    echo "$(basename "$file" | cut -c1-8) $(awk '{ printf "%.0f", ($1 + $2) * 1000 }' "$work/time.txt")" \
        >>"$work/processor.txt"
done

# Recognition on the original page and on the balanced compact page as poppler draws it.
: >"$work/recall.txt"
for file in "${files[@]:0:4}"; do
    name=$(basename "$file" | cut -c1-8)
    "$bench" write 1 "$file" "$work/compact.pdf"
    pdftoppm -r 300 -gray -singlefile "$work/compact.pdf" "$work/compact"
    tesseract "$file" "$work/original-$name" -l eng >/dev/null 2>&1
    tesseract "$work/compact.pgm" "$work/drawn-$name" -l eng >/dev/null 2>&1
    echo "$name $work/pages/$name.txt $work/original-$name.txt $work/drawn-$name.txt" >>"$work/recall.txt"
done

python3 - "$work" <<'PY'
import statistics, sys
work = sys.argv[1]
djvu = dict(l.split() for l in open(f"{work}/djvu.txt"))
processor = dict(l.split() for l in open(f"{work}/processor.txt"))
names = {0: "smallest file", 1: "balanced", 2: "fit for printing"}
print("| pictures | JPEG page (KB, median) | compact page (KB, median) | JPEG / compact, median | worst page | compact / our DjVu, median | text pixels kept (worst) | text pixels added (worst) | picture PSNR dB (median) | compact write / page processor, median |")
print("|---|---|---|---|---|---|---|---|---|---|")
for level in (0, 1, 2):
    rows = [l.split() for l in open(f"{work}/level{level}.txt")]
    jpeg = [int(r[1]) for r in rows]
    compact = [int(r[3]) for r in rows]
    ratio = [j / c for j, c in zip(jpeg, compact)]
    versus_djvu = [int(r[3]) / int(djvu[r[0]]) for r in rows]
    time_ratio = [int(r[4]) / max(1, int(processor[r[0]])) for r in rows]
    print(f"| {names[level]} | {statistics.median(jpeg) / 1024:.0f} | {statistics.median(compact) / 1024:.0f} "
          f"| {statistics.median(ratio):.1f} | {min(ratio):.1f} | {statistics.median(versus_djvu):.2f} "
          f"| {min(float(r[5]) for r in rows):.2f} % | {max(float(r[6]) for r in rows):.2f} % "
          f"| {statistics.median(float(r[7]) for r in rows):.1f} | {statistics.median(time_ratio):.2f} |")
from collections import Counter
import re
def words(path):
    return Counter(re.findall(r"[A-Za-z0-9]+", open(path).read()))
def recall(truth, found):
    return sum((truth & found).values()) / sum(truth.values())
print()
print("| page | word recall, original JPEG | word recall, compact (balanced) |")
print("|---|---|---|")
for line in open(f"{work}/recall.txt"):
    name, truth, original, drawn = line.split()
    print(f"| {name} | {recall(words(truth), words(original)) * 100:.1f} % "
          f"| {recall(words(truth), words(drawn)) * 100:.1f} % |")
rows = [l.split() for l in open(f"{work}/level1.txt")]
print()
print(f"Median compact write {statistics.median(int(r[4]) for r in rows)} ms per page; page processor "
      f"{statistics.median(int(v) for v in processor.values())} ms CPU per page; our DjVu page "
      f"{statistics.median(int(v) for v in djvu.values()) / 1024:.0f} KB (median).")
PY
