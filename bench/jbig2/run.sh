#!/usr/bin/env bash
# JBIG2 benchmark: black-and-white A4 300-dpi text pages (drawn, and scanned-like with noise;
# drawn by quillary-jbig2bench from a fixed seed and stored as the application stores them, Group
# 4 TIFF) coded as Group 4 by our page-file writer and as JBIG2 by our encoder, and, side by side,
# img2pdf's PDF of the same TIFF files (which takes their Group 4 code as it is). Prints Markdown:
# per page the bytes and encoding times of both, the JBIG2/Group 4 ratio and JBIG2 against
# img2pdf's PDF, then the medians per kind. Never passes or fails.
#
# usage: bench/jbig2/run.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench, configured
#              and built here when missing)
#   WORK_DIR   where pages go (default: a temporary folder, removed at the end)
#   COUNT, SEED (environment): pages of each kind, default 5, and the seed, default 1
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
export QT_QPA_PLATFORM=offscreen
command -v img2pdf >/dev/null || { echo "img2pdf is not installed (apt-get install img2pdf)"; exit 1; }

bench_build quillary-jbig2bench
bench="$build/bench/jbig2/quillary-jbig2bench"

mkdir -p "$work/pages"
"$bench" draw "$work/pages" "${COUNT:-5}" "${SEED:-1}" 2>/dev/null
mapfile -t files < <(ls "$work"/pages/*.tif | sort)
"$bench" encode "${files[@]}" >"$work/encoded.txt" 2>/dev/null
: >"$work/img2pdf.txt"
for file in "${files[@]}"; do
    img2pdf -o "$work/page.pdf" "$file"
    echo "$file $(stat -c %s "$work/page.pdf")" >>"$work/img2pdf.txt"
done

python3 - "$work" <<'PY'
import os, statistics, sys
work = sys.argv[1]
peer = dict(line.split() for line in open(f"{work}/img2pdf.txt"))
rows = []
for line in open(f"{work}/encoded.txt"):
    path, g4, jb, g4ms, jbms = line.split()
    rows.append((os.path.basename(path)[:-4], int(g4), int(jb), float(g4ms), float(jbms),
                 int(peer[path])))
print("| page | Group 4 bytes | JBIG2 bytes | JBIG2 / Group 4 | img2pdf PDF bytes "
      "| JBIG2 / img2pdf | Group 4 ms | JBIG2 ms | JBIG2 time / Group 4 time |")
print("|---|---|---|---|---|---|---|---|---|")
for name, g4, jb, g4ms, jbms, pdf in rows:
    print(f"| {name} | {g4} | {jb} | {jb / g4:.3f} | {pdf} | {jb / pdf:.3f} "
          f"| {g4ms:.1f} | {jbms:.1f} | {jbms / g4ms:.2f} |")
print()
print("| kind | pages | JBIG2 / Group 4 (median, worst) | JBIG2 / img2pdf (median) "
      "| Group 4 ms (median) | JBIG2 ms (median) | time ratio (median, worst) |")
print("|---|---|---|---|---|---|---|")
for kind in ("drawn", "scanned"):
    mine = [r for r in rows if r[0].endswith(kind)]
    size = [r[2] / r[1] for r in mine]
    time = [r[4] / r[3] for r in mine]
    print(f"| {kind} | {len(mine)} | {statistics.median(size):.3f}, {max(size):.3f} "
          f"| {statistics.median(r[2] / r[5] for r in mine):.3f} "
          f"| {statistics.median(r[3] for r in mine):.1f} | {statistics.median(r[4] for r in mine):.1f} "
          f"| {statistics.median(time):.2f}, {max(time):.2f} |")
PY
