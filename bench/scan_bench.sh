#!/usr/bin/env bash
# Times a duplicate scan by twinscan-cli against other duplicate finders on one
# generated tree (warm cache), and checks that twinscan-cli finds exactly the
# same exact groups as jdupes once those are split by file category.
#
#   bench/scan_bench.sh [--scale S] [--runs N] [--tree DIR] [--build DIR]
#
# --scale 1 (the default) builds about 100,000 files in 2,700 folders, about
# 1 GB; --scale 0.05 makes a quick run. Results go to bench/out/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SCALE=1
RUNS=3
TREE=""
BUILD="$ROOT/build-bench"
while [ $# -gt 0 ]; do
    case "$1" in
        --scale) SCALE="$2"; shift 2 ;;
        --runs) RUNS="$2"; shift 2 ;;
        --tree) TREE="$2"; shift 2 ;;
        --build) BUILD="$2"; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
TREE="${TREE:-/tmp/twinscan-bench-tree-$SCALE}"
OUT="$ROOT/bench/out"
mkdir -p "$OUT"

# The other finders, and what the build needs, only when missing.
source "$ROOT/bench/common.sh"
tw_install_packages jdupes rdfind fdupes time
CLI="$BUILD/app/twinscan-cli"
bench_build_cli "$BUILD"

python3 "$ROOT/bench/scan/gen_tree.py" "$TREE" --scale "$SCALE"
PREFS="$OUT/preferences.cfg"
python3 "$ROOT/bench/scan/default_preferences.py" "$PREFS"

# Warm the cache so every tool reads from memory.
find "$TREE" -type f -print0 | xargs -0 cat >/dev/null

# measure NAME COMMAND... : best wall time of $RUNS runs, and the peak memory
# of that run; stdout of the last run goes to $OUT/NAME.out.
declare -A WALL RSS CPU
measure() {
    local name="$1"; shift
    local best="" best_rss="" best_cpu=""
    for _ in $(seq "$RUNS"); do
        /usr/bin/time -v -o "$OUT/$name.time" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err" || true
        local wall rss
        wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
                   n = split($2, p, ":"); s = 0
                   for (i = 1; i <= n; i++) s = s * 60 + p[i]
                   print s }' "$OUT/$name.time")
        rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$OUT/$name.time")
        cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$OUT/$name.time")
        if [ -z "$best" ] || awk "BEGIN {exit !($wall < $best)}"; then
            best="$wall"; best_rss="$rss"; best_cpu="$cpu"
        fi
    done
    WALL[$name]="$best"
    RSS[$name]="$best_rss"
    CPU[$name]="$best_cpu"
}

measure twinscan "$CLI" --no-similar --json --preferences "$PREFS" "$TREE"
measure twinscan-locked "$CLI" --no-similar --json --hash-under-lock --preferences "$PREFS" "$TREE"
measure jdupes jdupes -r -q "$TREE"
measure rdfind rdfind -dryrun true -outputname "$OUT/rdfind.results" "$TREE"
measure fdupes fdupes -r -q "$TREE"

files=$(find "$TREE" -type f | wc -l)
folders=$(find "$TREE" -type d | wc -l)
size=$(du -sh "$TREE" | cut -f1)
{
    echo "tree: $TREE ($files files, $folders folders, $size), best of $RUNS warm runs"
    echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-16s %9s %9s %11s %12s %11s %11s\n' tool "wall (s)" "cpu (s)" "peak (MiB)" \
        "wall/jdupes" "cpu/jdupes" "mem/jdupes"
    for name in twinscan twinscan-locked jdupes rdfind fdupes; do
        awk -v n="$name" -v w="${WALL[$name]}" -v c="${CPU[$name]}" -v r="${RSS[$name]}" \
            -v jw="${WALL[jdupes]}" -v jc="${CPU[jdupes]}" -v jr="${RSS[jdupes]}" 'BEGIN {
                printf "%-16s %9.2f %9.2f %11.1f %12.2f %11.2f %11.2f\n",
                       n, w, c, r / 1024, w / jw, c / jc, r / jr }'
    done
    echo
    echo "twinscan-cli against jdupes:"
    python3 "$ROOT/bench/scan/compare_groups.py" "$OUT/twinscan.out" "$OUT/jdupes.out" || true
    echo "twinscan-cli (hashing under the lock) against jdupes:"
    python3 "$ROOT/bench/scan/compare_groups.py" "$OUT/twinscan-locked.out" "$OUT/jdupes.out" || true
    echo "twinscan-cli against fdupes:"
    python3 "$ROOT/bench/scan/compare_groups.py" "$OUT/twinscan.out" "$OUT/fdupes.out" || true
} | tee "$OUT/scan_bench.txt"
