#!/usr/bin/env bash
# Peak memory and wall time of an exact-duplicate scan by twinscan-cli beside
# jdupes, on generated trees of many small files (one run each, warm cache),
# with a check that twinscan-cli's exact groups equal jdupes's once those are
# split by file category. Also prints how memory grows per file between the
# smallest and the largest tree, beside the bytes of the paths themselves.
#
#   bench/memory_bench.sh [--files "100000 1000000"] [--build DIR]
#
# The trees go to /tmp/twinscan-mem-N (about 1.7 KiB a file: 1.7 GB for a
# million files) and are kept for the next run; results go to bench/out/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SIZES="100000 1000000"
BUILD="$ROOT/build-bench"
while [ $# -gt 0 ]; do
    case "$1" in
        --files) SIZES="$2"; shift 2 ;;
        --build) BUILD="$2"; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
OUT="$ROOT/bench/out"
mkdir -p "$OUT"

source "$ROOT/bench/common.sh"
tw_install_packages jdupes time
CLI="$BUILD/app/twinscan-cli"
bench_build_cli "$BUILD"
PREFS="$OUT/preferences.cfg"
python3 "$ROOT/bench/scan/default_preferences.py" "$PREFS"

# run NAME COMMAND...: one run; its peak resident memory (KiB) and wall time (s).
run() {
    local name="$1"; shift
    /usr/bin/time -v -o "$OUT/$name.time" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err" || true
    RSS=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$OUT/$name.time")
    WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ {
               n = split($2, p, ":"); s = 0
               for (i = 1; i <= n; i++) s = s * 60 + p[i]
               print s }' "$OUT/$name.time")
}

declare -A OURS_RSS JD_RSS PATH_BYTES
report="$OUT/memory_bench.txt"
: >"$report"
for files in $SIZES; do
    tree="/tmp/twinscan-mem-$files"
    python3 "$ROOT/bench/memory/gen_tree.py" "$tree" --files "$files"
    # Warm the cache so both tools read from memory.
    find "$tree" -type f -print0 | xargs -0 cat >/dev/null
    PATH_BYTES[$files]=$(find "$tree" -type f -printf '%p\n' | awk '{ s += length($0) + 1 } END { printf "%.0f", s / NR }')
    load="$(cut -d' ' -f1-3 /proc/loadavg)"
    run "twinscan-$files" "$CLI" --no-similar --json --preferences "$PREFS" "$tree"
    ours_rss=$RSS ours_wall=$WALL
    run "jdupes-$files" jdupes -r -q "$tree"
    OURS_RSS[$files]=$ours_rss
    JD_RSS[$files]=$RSS
    {
        echo "tree: $tree ($files files, $(find "$tree" -type d | wc -l) folders, $(du -sh "$tree" | cut -f1)," \
            "${PATH_BYTES[$files]} path bytes a file), one warm run each"
        echo "machine: $(nproc) cores, load average $load before the runs"
        printf '%-26s %9s %11s\n' tool "wall (s)" "peak (MiB)"
        awk -v w="$ours_wall" -v r="$ours_rss" 'BEGIN { printf "%-26s %9.2f %11.1f\n", "twinscan-cli --no-similar", w, r / 1024 }'
        awk -v w="$WALL" -v r="$RSS" 'BEGIN { printf "%-26s %9.2f %11.1f\n", "jdupes -r", w, r / 1024 }'
        awk -v a="$ours_rss" -v b="$RSS" -v x="$ours_wall" -v y="$WALL" \
            'BEGIN { printf "twinscan / jdupes: memory %.2f, wall %.2f\n", a / b, x / y }'
        python3 "$ROOT/bench/scan/compare_groups.py" "$OUT/twinscan-$files.out" "$OUT/jdupes-$files.out" || true
        echo
    } | tee -a "$report"
done

read -r -a sizes <<<"$SIZES"
if [ ${#sizes[@]} -ge 2 ]; then
    small=${sizes[0]} large=${sizes[-1]}
    awk -v s="$small" -v l="$large" -v rs="${OURS_RSS[$small]}" -v rl="${OURS_RSS[$large]}" \
        -v js="${JD_RSS[$small]}" -v jl="${JD_RSS[$large]}" -v p="${PATH_BYTES[$large]}" 'BEGIN {
            ours = (rl - rs) * 1024 / (l - s); theirs = (jl - js) * 1024 / (l - s)
            printf "growth from %d to %d files: twinscan-cli %.0f bytes a file (%.0f beyond the %d path bytes), jdupes %.0f\n",
                   s, l, ours, ours - p, p, theirs }' | tee -a "$report"
fi
