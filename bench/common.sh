# Shared by the benchmark scripts (sourced, not run): the folders, the benchmark build and the
# measuring of one command.

# Sets root, build (argument 1, default build-bench) and work (argument 2, default a temporary
# folder removed at the end).
bench_folders() {
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    build=${1:-$root/build-bench}
    work=${2:-$(mktemp -d)}
    [ -n "${2:-}" ] || trap 'rm -rf "$work"' EXIT
}

# Builds the named benchmark programs in $build (Release, configured here when missing); a
# no-op when they are up to date.
bench_build() {
    [ -f "$build/build.ninja" ] ||
        cmake -S "$root" -B "$build" -G Ninja -DQUILLARY_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -j2 -C "$build" "$@" >/dev/null
}

# Runs a command under /usr/bin/time -v; prints "seconds kilobytes" (wall time, peak memory).
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" >/dev/null 2>"$log"
    local wall rss
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
    rm -f "$log"
    # m:ss.ss or h:mm:ss
    awk -v t="$wall" -v r="$rss" 'BEGIN { n = split(t, p, ":"); s = 0;
        for (i = 1; i <= n; ++i) s = s * 60 + p[i]; printf "%.2f %d\n", s, r }'
}

# The plain DjVuLibre loop a user would write: c44 (JPEG pages) or cjb2 (1-bit TIFF pages) one
# page after the other in PARTS (emptied first), then djvm bundles them into OUTPUT.
# usage: djvu_loop PARTS OUTPUT PAGE...
djvu_loop() {
    local parts=$1 out=$2 n=0 list=() part
    shift 2
    rm -rf "$parts"
    mkdir -p "$parts"
    for page in "$@"; do
        n=$((n + 1))
        part=$(printf '%s/%05d.djvu' "$parts" "$n")
        case "$page" in
        *.jpg) c44 -dpi 300 -percent 50 "$page" "$part" >/dev/null ;;
        *) cjb2 -dpi 300 "$page" "$part" >/dev/null ;;
        esac
        list+=("$part")
    done
    djvm -c "$out" "${list[@]}"
}
