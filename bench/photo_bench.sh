#!/usr/bin/env bash
# Similar-image benchmarks on real photos. Nothing of this is committed: the
# photos come from Debian packages the script installs, and every copy is
# made here in /tmp.
#
# 1. Accuracy: at least 50 source photos, each with eight kinds of copy
#    (50 %, 25 %, JPEG quality 60, 5 % crop on each side, brightness +10 %,
#    PNG/JPEG conversion, 90 degree turn, greyscale), and at least 25
#    unrelated photos. twinscan-cli (accurate and classic methods) and
#    findimagedupes are scored by pair precision, recall per kind of copy and
#    complete clusters, and timed.
# 2. Large photos: 60 JPEGs of 4000x3000 (sources scaled up), 20 of them with
#    a half-size copy; every pair must be found; images per second on 2 cores.
#
#   bench/photo_bench.sh [--build DIR] [--sources N] [--unrelated N] [--skip-large]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-bench"
SOURCES=56
UNRELATED=30
LARGE=1
while [ $# -gt 0 ]; do
    case "$1" in
        --build) BUILD="$2"; shift 2 ;;
        --sources) SOURCES="$2"; shift 2 ;;
        --unrelated) UNRELATED="$2"; shift 2 ;;
        --skip-large) LARGE=0; shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
OUT="$ROOT/bench/out"
TREE=/tmp/twinscan-similar-tree
BIG=/tmp/twinscan-large-tree
mkdir -p "$OUT"

source "$ROOT/bench/common.sh"
tw_install_packages findimagedupes gnome-backgrounds desktop-base plasma-workspace-wallpapers \
    ukui-wallpapers lomiri-wallpapers python3-skimage-lib python3-pil time
CLI="$BUILD/app/twinscan-cli"
[ -x "$CLI" ] || bench_build_cli "$BUILD"
# Two cores for every tool, so the timings compare.
PIN="taskset -c 0,1"

# Debian's Pillow belongs to the system interpreter.
/usr/bin/python3 "$ROOT/bench/make_photo_tree.py" "$TREE" "$BIG" "$SOURCES" "$UNRELATED" "$LARGE"
find "$TREE" "$BIG" -type f -print0 2>/dev/null | xargs -0 cat >/dev/null

# Settings of their own, so a saved method or threshold never skews a run.
export XDG_CONFIG_HOME=/tmp/twinscan-bench-config
rm -rf "$XDG_CONFIG_HOME"

run() {
    local name="$1"; shift
    /usr/bin/time -v -o "$OUT/$name.time" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err" || true
}
wall() {
    awk -F': ' '/Elapsed \(wall clock\)/ { k = split($2, p, ":"); w = 0;
        for (i = 1; i <= k; i++) w = w * 60 + p[i]; printf "%.2f", w }' "$OUT/$1.time"
}
peak() {
    awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$OUT/$1.time"
}

run accurate $PIN "$CLI" --json --similar-method accurate "$TREE"
run classic $PIN "$CLI" --json --similar-method classic "$TREE"
run findimagedupes $PIN findimagedupes -R "$TREE"
{
    echo "photos: $(find "$TREE" -type f | wc -l) files in $TREE"
    /usr/bin/python3 "$ROOT/bench/score_similar.py" "$TREE.truth.json" \
        "accurate=$OUT/accurate.out:$(wall accurate):$(peak accurate)" \
        "classic=$OUT/classic.out:$(wall classic):$(peak classic)" \
        "findimagedupes=$OUT/findimagedupes.out:$(wall findimagedupes):$(peak findimagedupes)"
} | tee "$OUT/photo_bench.txt"

if [ "$LARGE" = 1 ]; then
    run large-accurate $PIN "$CLI" --json --similar-method accurate "$BIG"
    run large-classic $PIN "$CLI" --json --similar-method classic "$BIG"
    {
        echo "large photos: $(find "$BIG" -type f | wc -l) files in $BIG"
        /usr/bin/python3 "$ROOT/bench/score_similar.py" --pairs-only "$BIG.truth.json" \
            "accurate=$OUT/large-accurate.out:$(wall large-accurate):$(peak large-accurate)" \
            "classic=$OUT/large-classic.out:$(wall large-classic):$(peak large-classic)"
    } | tee -a "$OUT/photo_bench.txt"
fi
