#!/usr/bin/env bash
# JBIG2 benchmark: black-and-white A4 300-dpi text pages (drawn, and scanned-like with noise;
# drawn by quillary-jbig2bench from a fixed seed and stored as the application stores them, Group
# 4 TIFF) coded as Group 4 by our page-file writer and as JBIG2 by our encoder (one generic
# region, and with symbols), and, side by side, img2pdf's PDF of the same TIFF files (which
# takes their Group 4 code as it is). Prints Markdown: per page the bytes and encoding times,
# JBIG2 against Group 4 and against img2pdf's PDF, then the medians per kind. Never passes or
# fails.
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
    path, g4, jb, sy, g4ms, jbms, syms = line.split()
    rows.append(dict(name=os.path.basename(path)[:-4], g4=int(g4), jb=int(jb), sy=int(sy),
                     g4ms=float(g4ms), jbms=float(jbms), syms=float(syms), pdf=int(peer[path])))
print("| page | Group 4 bytes | img2pdf PDF bytes | JBIG2 generic bytes | / Group 4 | / img2pdf "
      "| JBIG2 symbols bytes | / Group 4 | / img2pdf | Group 4 ms | generic ms | symbols ms |")
print("|---|---|---|---|---|---|---|---|---|---|---|---|")
for r in rows:
    print(f"| {r['name']} | {r['g4']} | {r['pdf']} | {r['jb']} | {r['jb'] / r['g4']:.3f} "
          f"| {r['jb'] / r['pdf']:.3f} | {r['sy']} | {r['sy'] / r['g4']:.3f} | {r['sy'] / r['pdf']:.3f} "
          f"| {r['g4ms']:.1f} | {r['jbms']:.1f} | {r['syms']:.1f} |")
print()
print("| kind | pages | coding | bytes / Group 4 (median, worst) | bytes / img2pdf (median) "
      "| ms (median) | time / Group 4 time (median, worst) |")
print("|---|---|---|---|---|---|---|")
for kind in ("drawn", "scanned"):
    mine = [r for r in rows if r["name"].endswith(kind)]
    print(f"| {kind} | {len(mine)} | Group 4 | 1 | {statistics.median(r['g4'] / r['pdf'] for r in mine):.3f} "
          f"| {statistics.median(r['g4ms'] for r in mine):.1f} | 1 |")
    for label, size, time in (("JBIG2 generic", "jb", "jbms"), ("JBIG2 symbols", "sy", "syms")):
        ratio = [r[size] / r["g4"] for r in mine]
        speed = [r[time] / r["g4ms"] for r in mine]
        print(f"| {kind} | {len(mine)} | {label} | {statistics.median(ratio):.3f}, {max(ratio):.3f} "
              f"| {statistics.median(r[size] / r['pdf'] for r in mine):.3f} "
              f"| {statistics.median(r[time] for r in mine):.1f} "
              f"| {statistics.median(speed):.2f}, {max(speed):.2f} |")
PY
