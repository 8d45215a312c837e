#!/usr/bin/env bash
# Blank page benchmark: 100 scanned A4 300-dpi pages of ten kinds (five that must be flagged
# blank, five with content; drawn by quillary-blankbench from a fixed seed) go through
# quillary-pageproc with the application's options, and the blank page detector runs on each
# cleaned page (as the application loads it) and, for comparison, on the scan itself. Prints
# Markdown: per kind how many pages were flagged, and the detector's CPU time per page side
# by side with the page processor's on the same page. Never passes or fails.
#
# usage: bench/blank/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages go (default: a temporary folder, removed at the end)
#   COUNT, SEED (environment): pages drawn, default 100, and the seed, default 1
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
export QT_QPA_PLATFORM=offscreen

bench_build quillary-blankbench quillary-pageproc
bench="$build/bench/blank/quillary-blankbench"
processor="$build/app/quillary-pageproc"

mkdir -p "$work/scans" "$work/cleaned"
"$bench" draw "$work/scans" "${COUNT:-100}" "${SEED:-1}" 2>/dev/null

# The processor as the application runs it (scan/PageProcessing.cpp), with "auto contrast"
# on for grey and colour; CPU seconds (user + system) of the whole run, reading and writing
# included.
: >"$work/processor.txt"
while read -r name kind blank mode; do
    if [ "$mode" = bw ]; then
        colour=(--color-mode=black_and_white)
    else
        colour=(--color-mode=color_grayscale --normalize-illumination)
    fi
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -o "$work/time.txt" -f '%U %S' "$processor" -l=1 "${colour[@]}" \
        --white-margins --margins=1 --dpi=300 --output-dpi=300 "$work/scans/$name.tif" "$work/out"
    mv "$work/out/proc.tif" "$work/cleaned/$name.tif"
    echo "$name $(awk '{ printf "%.1f", ($1 + $2) * 1000 }' "$work/time.txt")" >>"$work/processor.txt"
done <"$work/scans/pages.txt"

"$bench" detect "$work"/cleaned/*.tif >"$work/cleaned.txt" 2>/dev/null
"$bench" detect "$work"/scans/*.tif >"$work/scans.txt" 2>/dev/null

python3 - "$work" <<'PY'
import os, statistics, sys
work = sys.argv[1]
pages = [line.split() for line in open(f"{work}/scans/pages.txt")]
processor = dict(line.split() for line in open(f"{work}/processor.txt"))
def verdicts(name):
    return {os.path.basename(l.split()[0])[:-4]: l.split()[1:] for l in open(f"{work}/{name}.txt")}
cleaned, scans = verdicts("cleaned"), verdicts("scans")
kinds = list(dict.fromkeys(p[1] for p in pages))
print("| kind | must be blank | pages | flagged blank, cleaned page | flagged blank, scan |")
print("|---|---|---|---|---|")
for kind in kinds:
    mine = [p for p in pages if p[1] == kind]
    flagged = sum(cleaned[p[0]][0] == "1" for p in mine)
    raw = sum(scans[p[0]][0] == "1" for p in mine)
    print(f"| {kind} | {'yes' if mine[0][2] == '1' else 'no'} | {len(mine)} | {flagged} | {raw} |")
content = [p for p in pages if p[2] == "0"]
blank = [p for p in pages if p[2] == "1"]
def count(pages, verdict):
    return sum(verdict[p[0]][0] == "1" for p in pages)
print()
print("| Summary | Cleaned page | Scan | Target |")
print("|---|---|---|---|")
print(f"| content pages flagged blank | {count(content, cleaned)} of {len(content)} "
      f"| {count(content, scans)} of {len(content)} | 0 |")
print(f"| blank pages flagged | {count(blank, cleaned)} of {len(blank)} "
      f"| {count(blank, scans)} of {len(blank)} | all |")
wrong = [p[0] for p in content if cleaned[p[0]][0] == "1" or scans[p[0]][0] == "1"]
if wrong:
    print(f"\nContent pages flagged: {', '.join(wrong)}")
print()
print("| mode | pages | page processor, CPU ms per page (median) | detector on the cleaned page "
      "| ratio (median of pages) | ratio (worst page) | detector on the scan | loading the cleaned page |")
print("|---|---|---|---|---|---|---|---|")
for mode in ("bw", "grey", "colour", "all"):
    mine = [p for p in pages if mode in ("all", p[3])]
    if not mine:
        continue
    proc = [float(processor[p[0]]) for p in mine]
    ours = [float(cleaned[p[0]][3]) for p in mine]
    ratios = [o / p for o, p in zip(ours, proc)]
    raw = [float(scans[p[0]][3]) for p in mine]
    load = [float(cleaned[p[0]][4]) for p in mine]
    print(f"| {mode} | {len(mine)} | {statistics.median(proc):.0f} | {statistics.median(ours):.2f} ms "
          f"| {statistics.median(ratios) * 100:.2f} % | {max(ratios) * 100:.2f} % "
          f"| {statistics.median(raw):.2f} ms (max {max(raw):.2f}) "
          f"| {statistics.median(load):.1f} ms |")
PY
