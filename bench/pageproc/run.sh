#!/usr/bin/env bash
# Benchmark of quillary-pageproc side by side with Debian's unpaper on the same realistic pages:
# for every page and tool the residual skew of the output (measured the same way for both, on
# the rule the drawing puts on top of the text), whether the lid's shadow is gone, and the CPU
# time; then the split of tilted two-page spreads. Prints Markdown; never fails on a number.
#
#   bench/pageproc/run.sh [path/to/quillary-pageproc]
#
# QUILLARY_BENCH_UNPAPER=0 leaves unpaper out (to measure another build of ours alone).
# Needs: a built quillary-pageproc, cmake, ninja, Qt 6 development files, the DejaVu fonts,
# python3, GNU time (/usr/bin/time), ImageMagick (convert) and unpaper.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
processor=${1:-${QUILLARY_PAGEPROC:-${QUILLARY_BUILD_DIR:-$root/build}/app/quillary-pageproc}}
with_unpaper=${QUILLARY_BENCH_UNPAPER:-1}
[ -x "$processor" ] || { echo "no page processor at $processor; build first" >&2; exit 1; }
if [ "$with_unpaper" = 1 ] && ! command -v unpaper >/dev/null; then
    echo "unpaper is missing (apt-get install unpaper)" >&2
    exit 1
fi

tool_build=${QUILLARY_BENCH_BUILD:-$root/build-bench-pageproc}
cmake -S "$here" -B "$tool_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tool_build" >/dev/null
tool=$tool_build/pageproc-bench-tool
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ours=(-l=1 --white-margins --margins=1 --dpi=300 --output-dpi=300)
# unpaper's defaults take the off-white paper under the lamp's fall-off for dark and give up
# ("invalid detection, using full page size"); these thresholds let it find the page's mask,
# and the deskew scans all four edges of it.
unpaper_options=(--white-threshold 0.7 --black-threshold 0.4
    --deskew-scan-direction left,right,top,bottom)

# "user+system elapsed" seconds of a command; its output is dropped.
timed() {
    /usr/bin/time -o "$work/time.txt" -f '%U %S %e' "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.3f %.3f", $1 + $2, $3 }' "$work/time.txt"
}
measure() { # tool kind angle result-file time...
    echo "$1 $2 $3 $("$tool" skew "$4" 2>/dev/null || echo nan) $("$tool" edge "$4" 2>/dev/null || echo missing) $5 $6" >>"$work/pages.txt"
}

angles="-3.7 -2.2 -1.0 0.8 1.5 2.5 3.7"
for kind in grey colour; do
    seed=0
    for angle in $angles; do
        seed=$((seed + 1))
        "$tool" page "$work/page.tif" 300 "$kind" "$angle" "$seed" 2>/dev/null
        rm -rf "$work/out" && mkdir "$work/out"
        measure ours "$kind" "$angle" "$work/out/proc.tif" $(timed "$processor" "${ours[@]}" \
            --color-mode=color_grayscale --normalize-illumination "$work/page.tif" "$work/out")
        rm -rf "$work/out" && mkdir "$work/out"
        measure ours-bw "$kind" "$angle" "$work/out/proc.tif" $(timed "$processor" "${ours[@]}" \
            --color-mode=black_and_white "$work/page.tif" "$work/out")
        if [ "$with_unpaper" = 1 ]; then
            if [ "$kind" = grey ]; then pnm=$work/page.pgm; else pnm=$work/page.ppm; fi
            convert "$work/page.tif" "$pnm"
            rm -f "$work/unpaper.pnm"
            measure unpaper "$kind" "$angle" "$work/unpaper.pnm" $(timed unpaper --overwrite \
                "${unpaper_options[@]}" "$pnm" "$work/unpaper.pnm")
        fi
    done
done

# Spreads laid askew, binding off-centre, with wide and narrow inner margins; split without
# margins, so the left page's width is the column of the cut in the straightened spread.
while read -r fraction angle inner; do
    read -r gutter width < <("$tool" spread "$work/spread.tif" 300 "$fraction" "$angle" "$inner" 7 \
        2>/dev/null)
    rm -rf "$work/out" && mkdir "$work/out"
    "$processor" -l=2 --orientation=left --color-mode=color_grayscale --dpi=300 \
        "$work/spread.tif" "$work/out"
    echo "$fraction $angle $inner $gutter $width $("$tool" width "$work/out/proc_1L.tif" 2>/dev/null)" \
        >>"$work/spreads.txt"
done <<'SPREADS'
0.5 0.8 20
0.47 -1.2 20
0.53 1.5 20
0.5 0.8 6
0.47 -1.2 6
0.53 1.5 6
SPREADS

python3 - "$work" <<'PY'
import statistics, sys
work = sys.argv[1]
rows = [line.split() for line in open(f"{work}/pages.txt")]
tools = [t for t in ("ours", "ours-bw", "unpaper") if any(r[0] == t for r in rows)]
def get(tool, kind, angle):
    return next(r for r in rows if r[0] == tool and r[1] == kind and r[2] == angle)
def skew(r):
    return "no rule found" if r[3] == "nan" else f"{float(r[3]):+.3f} deg"
print("| page | ours: skew, shadow, CPU s | ours b/w: shadow, CPU s |"
      + (" unpaper: skew, shadow, CPU s |" if "unpaper" in tools else ""))
print("|---|---|---|" + ("---|" if "unpaper" in tools else ""))
for r in rows:
    if r[0] != "ours":
        continue
    kind, angle = r[1], r[2]
    bw = get("ours-bw", kind, angle)
    line = (f"| {kind} {float(angle):+.1f} deg | {skew(r)}, {r[4]}, {float(r[5]):.2f} "
            f"| {bw[4]}, {float(bw[5]):.2f} |")
    if "unpaper" in tools:
        u = get("unpaper", kind, angle)
        line += f" {skew(u)}, {u[4]}, {float(u[5]):.2f} |"
    print(line)
print()
print("| Summary | Result | Target |")
print("|---|---|---|")
for tool in tools:
    for kind in ("grey", "colour"):
        mine = [r for r in rows if r[0] == tool and r[1] == kind]
        if tool != "ours-bw":
            errors = [abs(float(r[3])) for r in mine if r[3] != "nan"]
            lost = len(mine) - len(errors)
            print(f"| {tool}, {kind}, {len(mine)} pages: residual skew | median "
                  f"{statistics.median(errors):.3f} deg, worst {max(errors):.3f} deg"
                  f"{f' ({lost} without a rule to measure)' if lost else ''} | 0.05 / 0.15 deg |")
        gone = sum(r[4] == "gone" for r in mine)
        print(f"| {tool}, {kind}: shadow gone | {gone} of {len(mine)} pages | every page |")
        print(f"| {tool}, {kind}: CPU s per page | median "
              f"{statistics.median(float(r[5]) for r in mine):.2f} s (wall "
              f"{statistics.median(float(r[6]) for r in mine):.2f} s) | |")
def median_time(tool, kind):
    return statistics.median(float(r[5]) for r in rows if r[0] == tool and r[1] == kind)
grey, colour = median_time("ours", "grey"), median_time("ours", "colour")
print(f"| ours, colour against grey CPU time | {colour / grey:.2f} x | 1.5 x |")
if "unpaper" in tools:
    for kind, target in (("grey", 0.25), ("colour", 0.35)):
        ratio = median_time("ours", kind) / median_time("unpaper", kind)
        print(f"| ours against unpaper CPU time, {kind} | {ratio:.2f} x | {target} x |")
splits = [line.split() for line in open(f"{work}/spreads.txt")]
for s in splits:
    error = abs(int(s[5]) - int(s[3])) / int(s[4]) * 100
    print(f"| spread, binding at {float(s[0]) * 100:.0f} %, {float(s[1]):+.1f} deg, inner "
          f"margins {s[2]} mm: split error | {error:.2f} % of the width | 0.5 % |")
PY
