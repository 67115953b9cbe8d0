#!/usr/bin/env bash
# Times a full scan (exact copies and similar images) of about 500 photos by
# twinscan-cli against findimagedupes. The photos are parts cut from the
# wallpapers of Debian packages; the script adds resized, recompressed and
# cropped variants and plain copies of some. Nothing of this is committed.
#
#   bench/photo_bench.sh [--count N] [--build DIR]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
COUNT=500
BUILD="$ROOT/build-bench"
while [ $# -gt 0 ]; do
    case "$1" in
        --count) COUNT="$2"; shift 2 ;;
        --build) BUILD="$2"; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
OUT="$ROOT/bench/out"
TREE=/tmp/twinscan-photo-tree
mkdir -p "$OUT"

source "$ROOT/bench/common.sh"
tw_install_packages findimagedupes gnome-backgrounds ukui-wallpapers python3-pil time
CLI="$BUILD/app/twinscan-cli"
bench_build_cli "$BUILD"

# Debian's Pillow belongs to the system interpreter.
/usr/bin/python3 - "$TREE" "$COUNT" <<'PY'
import os, random, shutil, sys
from PIL import Image
tree, count = sys.argv[1], int(sys.argv[2])
sources = []
for base in ("/usr/share/backgrounds", "/usr/share/wallpapers", "/usr/share/ukui-wallpapers"):
    for folder, _, files in os.walk(base):
        for name in sorted(files):
            if name.lower().endswith((".jpg", ".jpeg", ".png", ".webp")):
                path = os.path.join(folder, name)
                if os.path.getsize(path) > 50_000 and os.path.realpath(path) not in sources:
                    sources.append(os.path.realpath(path))
if os.path.exists(tree):
    shutil.rmtree(tree)
os.makedirs(tree)
rng = random.Random(7)
made = 0
index = 0
while made < count and sources:
    source = sources[index % len(sources)]
    index += 1
    stem = f"p{index:04d}"
    # A different part of a wallpaper for every photo, so the pictures differ.
    image = Image.open(source).convert("RGB")
    w, h = image.size
    cw, ch = int(w * rng.uniform(0.3, 0.7)), int(h * rng.uniform(0.3, 0.7))
    x, y = rng.randrange(0, w - cw + 1), rng.randrange(0, h - ch + 1)
    image = image.crop((x, y, x + cw, y + ch))
    image.thumbnail((1600, 1600))
    image.save(os.path.join(tree, f"{stem}.jpg"), quality=90)
    made += 1
    kind = rng.choice(["copy", "resized", "quality", "crop", "none", "none"])
    if kind == "copy":
        shutil.copy(os.path.join(tree, f"{stem}.jpg"), os.path.join(tree, f"{stem}_copy.jpg"))
    elif kind == "resized":
        w, h = image.size
        image.resize((w * 3 // 4, h * 3 // 4)).save(os.path.join(tree, f"{stem}_small.jpg"), quality=85)
    elif kind == "quality":
        image.save(os.path.join(tree, f"{stem}_q60.jpg"), quality=60)
    elif kind == "crop":
        w, h = image.size
        image.crop((w // 20, h // 20, w - w // 20, h - h // 20)).save(
            os.path.join(tree, f"{stem}_crop.jpg"), quality=90)
    if kind != "none":
        made += 1
print(f"{tree}: {made} photos cut from {len(sources)} wallpapers", file=sys.stderr)
PY
find "$TREE" -type f -print0 | xargs -0 cat >/dev/null

run() {
    local name="$1"; shift
    /usr/bin/time -v -o "$OUT/$name.time" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err" || true
    awk -F': ' -v n="$name" '
        /Elapsed \(wall clock\)/ { k = split($2, p, ":"); w = 0; for (i = 1; i <= k; i++) w = w * 60 + p[i] }
        /User time|System time/ { c += $2 }
        /Maximum resident set size/ { r = $2 }
        END { printf "%-16s %9.2f %9.2f %11.1f\n", n, w, c, r / 1024 }' "$OUT/$name.time"
}
{
    echo "photos: $(find "$TREE" -type f | wc -l) files in $TREE"
    printf '%-16s %9s %9s %11s\n' tool "wall (s)" "cpu (s)" "peak (MiB)"
    run twinscan-photos "$CLI" --json "$TREE"
    run findimagedupes findimagedupes -R "$TREE"
    python3 - "$OUT/twinscan-photos.out" "$OUT/findimagedupes.out" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
exact = sum(1 for g in report["groups"] if not g["similar"])
similar = sum(1 for g in report["groups"] if g["similar"])
theirs = [line.split() for line in open(sys.argv[2]) if line.strip()]
print(f"twinscan: {exact} exact groups, {similar} similar groups; "
      f"findimagedupes: {len(theirs)} groups")
PY
} | tee "$OUT/photo_bench.txt"
