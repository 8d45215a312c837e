#!/usr/bin/env bash
# Searchable-PDF benchmark: our export with text recognition against the usual open-source
# pipeline (img2pdf, then ocrmypdf, both from Debian) on the same grey A4 300-dpi JPEG pages
# of known text drawn by quillary-ocrbench. Prints a Markdown table: wall seconds, peak memory
# (maximum resident set size), output size against the sum of the JPEG bytes, and the share of
# the drawn English and Russian words that pdftotext gets back. Never passes or fails.
#
# usage: bench/ocr/run.sh [BUILD_DIR] [WORK_DIR]
#   PAGES="20 200"  page counts (default "20")
#   LANGS=eng+rus   recognition languages for both (English first: the first one leads)
#   BUILD_DIR  a build configured with -DQUILLARY_BENCH=ON (default: build-bench)
#   WORK_DIR   where pages and PDFs go (default: a temporary folder, removed at the end)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common.sh"
bench_folders "$@"
pages=${PAGES:-20}
langs=${LANGS:-eng+rus}

bench_build quillary-ocrbench
bench="$build/bench/ocr/quillary-ocrbench"
for tool in img2pdf ocrmypdf pdftotext; do
    command -v $tool >/dev/null || { echo "$tool is not installed"; exit 1; }
done

# Runs a command under /usr/bin/time -v; prints "seconds cpu-seconds kilobytes" (CPU time
# counts the command's waited-for children too: on a shared machine it says more than the
# wall time).
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; rm -f "$log"; return 1; }
    local wall cpu rss
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
    cpu=$(sed -n 's/.*\(User\|System\) time (seconds): //p' "$log" | paste -sd+ | bc)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
    rm -f "$log"
    awk -v t="$wall" -v c="$cpu" -v r="$rss" 'BEGIN { n = split(t, p, ":"); s = 0;
        for (i = 1; i <= n; ++i) s = s * 60 + p[i]; printf "%.1f %.1f %d\n", s, c, r }'
}

# Share of the drawn words found on the same page of the PDF, English and Russian apart.
accuracy() {
    python3 - "$1" "$2" <<'PY'
import collections, glob, os, re, subprocess, sys
pdf, folder = sys.argv[1], sys.argv[2]
found = {"eng": [0, 0], "rus": [0, 0]}
for number, truth in enumerate(sorted(glob.glob(os.path.join(folder, "*_o.txt"))), 1):
    want = collections.Counter(open(truth, encoding="utf-8").read().split())
    text = subprocess.run(["pdftotext", "-f", str(number), "-l", str(number), pdf, "-"],
                          capture_output=True, text=True).stdout
    got = collections.Counter(re.findall(r"\w+", text))
    kind = "rus" if re.search("[а-я]", " ".join(want)) else "eng"
    found[kind][0] += sum(min(n, got[w]) for w, n in want.items())
    found[kind][1] += sum(want.values())
print(" | ".join("%.2f %%" % (100.0 * a / b) if b else "-" for a, b in found.values()))
PY
}

echo "| pages | exporter | seconds | CPU seconds | peak memory (MB) | output vs JPEG sum | English words | Russian words |"
echo "|---|---|---|---|---|---|---|---|"
for count in $pages; do
    folder="$work/pages-$count"
    rm -rf "$folder"
    "$bench" pages "$folder" "$count"
    jpegs=$(cat "$folder"/*_o.jpg | wc -c)
    # Ours: one engine per core, each on one thread (the engine's own threading is off inside).
    read -r s cpu kb < <(measure "$bench" export "$langs" "$work/ours.pdf" "$folder"/*_o.jpg)
    size=$(stat -c %s "$work/ours.pdf")
    printf "| %d | Quillary | %s | %s | %.1f | %+.2f %% | %s |\n" "$count" "$s" "$cpu" "$(echo "$kb/1024" | bc -l)" \
        "$(echo "($size-$jpegs)*100/$jpegs" | bc -l)" "$(accuracy "$work/ours.pdf" "$folder")"
    # The pipeline: the images into a PDF, then its text recognition, as a user would run them.
    read -r s1 cpu1 kb1 < <(measure img2pdf -o "$work/images.pdf" "$folder"/*_o.jpg)
    read -r s2 cpu2 kb2 < <(measure env PYTHONHASHSEED=0 ocrmypdf -q -l "$langs" --jobs "$(nproc)" \
        --optimize 0 --output-type pdf "$work/images.pdf" "$work/pipeline.pdf")
    size=$(stat -c %s "$work/pipeline.pdf")
    kb=$(( kb1 > kb2 ? kb1 : kb2 ))
    printf "| %d | img2pdf + ocrmypdf | %s | %s | %.1f | %+.2f %% | %s |\n" "$count" \
        "$(echo "$s1+$s2" | bc -l)" "$(echo "$cpu1+$cpu2" | bc -l)" "$(echo "$kb/1024" | bc -l)" \
        "$(echo "($size-$jpegs)*100/$jpegs" | bc -l)" "$(accuracy "$work/pipeline.pdf" "$folder")"
done
