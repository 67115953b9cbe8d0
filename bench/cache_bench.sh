#!/usr/bin/env bash
# First and second scan of unchanged folders with the cache of earlier scans:
# a folder of generated photos (exact and similar images) and the generated
# 100,000-file tree of scan_bench.sh (--no-similar). Each pair starts from an
# empty cache; both scans of a pair run on the same warm page cache. A third
# run with --no-cache checks that the results agree.
#
#   bench/cache_bench.sh [--photos N] [--scale S] [--build DIR] [--skip-tree]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PHOTOS=2000
SCALE=1
TREE_TOO=1
BUILD="$ROOT/build-bench"
while [ $# -gt 0 ]; do
    case "$1" in
        --photos) PHOTOS="$2"; shift 2 ;;
        --scale) SCALE="$2"; shift 2 ;;
        --build) BUILD="$2"; shift 2 ;;
        --skip-tree) TREE_TOO=0; shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
OUT="$ROOT/bench/out"
PHOTO_DIR="/tmp/twinscan-cache-photos-$PHOTOS"
TREE="/tmp/twinscan-cache-tree-$SCALE"
mkdir -p "$OUT"

source "$ROOT/bench/common.sh"
tw_install_packages gnome-backgrounds desktop-base plasma-workspace-wallpapers ukui-wallpapers \
    python3-skimage-lib python3-pil time
CLI="$BUILD/app/twinscan-cli"
bench_build_cli "$BUILD"

# Settings and cache of their own: the user's are never touched.
export XDG_CONFIG_HOME=/tmp/twinscan-cache-bench-config
export XDG_CACHE_HOME=/tmp/twinscan-cache-bench-cache
rm -rf "$XDG_CONFIG_HOME"

wall() {
    awk -F': ' '/Elapsed \(wall clock\)/ { k = split($2, p, ":"); w = 0;
        for (i = 1; i <= k; i++) w = w * 60 + p[i]; printf "%.2f", w }' "$OUT/$1.time"
}
peak() {
    awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$OUT/$1.time"
}
run() {
    local name="$1"; shift
    /usr/bin/time -v -o "$OUT/$name.time" taskset -c 0,1 "$CLI" --json --timings "$@" \
        >"$OUT/$name.out" 2>"$OUT/$name.err" || true
}

# same_groups A B: the same groups with the same members, and the same totals.
# Groups are filed in the order the tasks finish them, and which copy of a tie
# the selection keeps follows the member order, which the parallel walk
# varies from run to run even without the cache: neither is compared.
same_groups() {
    python3 - "$1" "$2" <<'PY'
import json, sys
def groups(path):
    with open(path) as f:
        document = json.load(f)
    return document["totals"], sorted(
        (g["category"], g["similar"], sorted(m["path"] for m in g["members"]))
        for g in document["groups"])
sys.exit(0 if groups(sys.argv[1]) == groups(sys.argv[2]) else 1)
PY
}

# pair NAME FOLDER [OPTIONS...]: first scan on an empty cache, second scan,
# and one without the cache; prints the times and whether the results agree.
pair() {
    local name="$1" folder="$2"; shift 2
    rm -rf "$XDG_CACHE_HOME"
    run "$name-first" "$@" "$folder"
    run "$name-second" "$@" "$folder"
    run "$name-nocache" --no-cache "$@" "$folder"
    local first second
    first=$(wall "$name-first")
    second=$(wall "$name-second")
    local agree="results agree"
    same_groups "$OUT/$name-first.out" "$OUT/$name-second.out" \
        && same_groups "$OUT/$name-first.out" "$OUT/$name-nocache.out" || agree="RESULTS DIFFER"
    echo "$name: first $first s ($(peak "$name-first") MiB), second $second s ($(peak "$name-second") MiB)," \
        "no cache $(wall "$name-nocache") s; second is $(awk "BEGIN { printf \"%.1f\", $first / $second }")x faster; $agree"
    echo "    cache file: $(du -k "$XDG_CACHE_HOME/Orvane/Orvane Twinscan/cache.sqlite" | cut -f1) KiB;" \
        "first scan $(grep -h "^cache:" "$OUT/$name-first.err" | cut -d' ' -f2-);" \
        "second scan $(grep -h "^cache:" "$OUT/$name-second.err" | cut -d' ' -f2-)"
}

/usr/bin/python3 "$ROOT/bench/make_cache_photos.py" "$PHOTO_DIR" "$PHOTOS"
# Files written in the last two seconds are never cached.
sleep 2
find "$PHOTO_DIR" -type f -print0 | xargs -0 cat >/dev/null
{
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "photos: $(find "$PHOTO_DIR" -type f -name '*.jpg' | wc -l) JPEGs, $(du -sm "$PHOTO_DIR" | cut -f1) MB"
    pair photos "$PHOTO_DIR"
    if [ "$TREE_TOO" = 1 ]; then
        python3 "$ROOT/bench/scan/gen_tree.py" "$TREE" --scale "$SCALE"
        sleep 2
        find "$TREE" -type f -print0 | xargs -0 cat >/dev/null
        echo "tree: $(find "$TREE" -type f | wc -l) files, $(du -sm "$TREE" | cut -f1) MB"
        pair tree "$TREE" --no-similar
    fi
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$OUT/cache_bench.txt"
