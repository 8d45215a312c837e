#!/usr/bin/env bash
# Benchmark of quillary-pageproc: deskew accuracy, gutter split error and seconds per page,
# the last side by side with Debian's unpaper (deskew, mask and border removal) on the same
# pages. Prints a Markdown table; never fails on a number, it only reports.
#
#   bench/pageproc/run.sh [path/to/quillary-pageproc]
#
# Needs: a built quillary-pageproc (scripts/build.sh), cmake, ninja, Qt 6 development files,
# python3, ImageMagick (convert) and unpaper.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
processor=${1:-${QUILLARY_PAGEPROC:-${QUILLARY_BUILD_DIR:-$root/build}/app/quillary-pageproc}}
runs=${QUILLARY_BENCH_RUNS:-5}
[ -x "$processor" ] || { echo "no page processor at $processor; build first" >&2; exit 1; }
command -v unpaper >/dev/null || { echo "unpaper is missing (apt-get install unpaper)" >&2; exit 1; }

tool_build=${QUILLARY_BENCH_BUILD:-$root/build-bench-pageproc}
cmake -S "$here" -B "$tool_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tool_build" >/dev/null
tool=$tool_build/pageproc-bench-tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app_options=(-l=1 --white-margins --margins=1 --dpi=300 --output-dpi=300)

# Deskew: pages turned by known angles; the rule on top of the text must come out level.
angles="-4.9 -4.1 -3.3 -2.6 -1.75 -0.9 -0.35 0.2 0.85 1.6 2.45 3.1 3.8 4.6"
for kind in grey colour; do
    seed=1
    for angle in $angles; do
        seed=$((seed + 1))
        "$tool" page "$work/page.tif" 300 "$kind" "$angle" "$seed"
        rm -rf "$work/out" && mkdir "$work/out"
        "$processor" "${app_options[@]}" --color-mode=color_grayscale --normalize-illumination \
            "$work/page.tif" "$work/out"
        echo "$kind $angle $("$tool" skew "$work/out/proc.tif")" >>"$work/skew.txt"
    done
done

# Gutter: spreads whose binding lies between 44% and 56% of the width, split without margins
# so the left page's width is the split column.
for fraction in 0.44 0.47 0.49 0.5 0.515 0.53 0.56; do
    read -r gutter width < <("$tool" spread "$work/spread.tif" 300 "$fraction" 7)
    rm -rf "$work/out" && mkdir "$work/out"
    "$processor" -l=2 --orientation=left --color-mode=color_grayscale --dpi=300 \
        "$work/spread.tif" "$work/out"
    echo "$fraction $gutter $width $("$tool" width "$work/out/proc_1L.tif")" >>"$work/gutter.txt"
done

# Speed: one A4 page at 300 dpi, grey and colour, every option on; unpaper gets the same
# page as PNM. Runs alternate so both see the same machine load.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    echo "$start $EPOCHREALTIME"
}
for kind in grey colour; do
    "$tool" page "$work/$kind.tif" 300 "$kind" 2.3 11
    if [ "$kind" = grey ]; then pnm=$work/$kind.pgm; else pnm=$work/$kind.ppm; fi
    convert "$work/$kind.tif" "$pnm"
    for _ in $(seq "$runs"); do
        rm -rf "$work/out" && mkdir "$work/out"
        echo "$kind ours $(seconds "$processor" "${app_options[@]}" --color-mode=color_grayscale \
            --normalize-illumination "$work/$kind.tif" "$work/out")" >>"$work/speed.txt"
        rm -rf "$work/out" && mkdir "$work/out"
        echo "$kind ours-bw $(seconds "$processor" "${app_options[@]}" \
            --color-mode=black_and_white "$work/$kind.tif" "$work/out")" >>"$work/speed.txt"
        echo "$kind unpaper $(seconds unpaper --overwrite --no-noisefilter --no-blurfilter \
            --no-grayfilter "$pnm" "$work/unpaper-out.pnm")" >>"$work/speed.txt"
    done
done

python3 - "$work" <<'PY'
import statistics, sys
work = sys.argv[1]
print("| Measure | Result | Target |")
print("|---|---|---|")
rows = [line.split() for line in open(f"{work}/skew.txt")]
for kind in ("grey", "colour"):
    errors = [abs(float(r[2])) if r[2] != "nan" else 99.0 for r in rows if r[0] == kind]
    print(f"| deskew error, {kind}, {len(errors)} pages, -4.9..+4.6 deg | median "
          f"{statistics.median(errors):.3f} deg, worst {max(errors):.3f} deg | 0.05 / 0.15 deg |")
splits = [line.split() for line in open(f"{work}/gutter.txt")]
errors = [abs(int(r[3]) - int(r[1])) / int(r[2]) * 100 for r in splits]
print(f"| gutter split error, {len(errors)} spreads, gutter at 44..56% | worst "
      f"{max(errors):.2f}% of width (mean {statistics.mean(errors):.2f}%) | 1% |")
speed = [line.split() for line in open(f"{work}/speed.txt")]
for kind in ("grey", "colour"):
    for who, label in (("ours", "quillary-pageproc, every option"),
                       ("ours-bw", "quillary-pageproc, black and white"),
                       ("unpaper", "unpaper, deskew + border")):
        times = [float(r[3]) - float(r[2]) for r in speed if r[0] == kind and r[1] == who]
        print(f"| s/page, A4 300 dpi {kind}, {label} | median {statistics.median(times):.2f} s "
              f"(min {min(times):.2f}) | {'< 1 s, ' if kind == 'grey' and who == 'ours' else ''}"
              f"{'not slower than unpaper' if who != 'unpaper' else 'peer'} |")
PY
