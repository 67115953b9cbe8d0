"""Makes a folder of photos for bench/cache_bench.sh from packaged wallpapers
and scikit-image sample photos: each photo a different part of a source at
its own size and tone, a few of them exact copies and half-size copies, as a
photo library has.

    make_cache_photos.py FOLDER COUNT
"""
import glob
import os
import random
import shutil
import sys

from PIL import Image, ImageEnhance

folder, count = sys.argv[1], int(sys.argv[2])
PATTERNS = [
    "/usr/share/wallpapers/*/contents/images/*",
    "/usr/share/backgrounds/**/*",
    "/usr/share/desktop-base/*/wallpaper/contents/images/*",
    "/usr/share/ukui-wallpapers/**/*",
    "/usr/lib/python3/dist-packages/skimage/data/*",
]


def sources():
    found = set()
    for pattern in PATTERNS:
        for path in glob.glob(pattern, recursive=True):
            if path.lower().endswith((".jpg", ".jpeg", ".png")) and os.path.isfile(path):
                found.add(os.path.realpath(path))
    usable = []
    for path in sorted(found):
        try:
            with Image.open(path) as image:
                if min(image.size) >= 300:
                    usable.append(path)
        except Exception:
            pass
    return usable


def main():
    # Named after the way the photos are made, so a change makes them anew.
    marker = os.path.join(folder, ".complete-tiles-%d" % count)
    if os.path.exists(marker):
        return
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    random.seed(14)
    pool = sources()
    if not pool:
        sys.exit("no source photos installed")
    # Tiles of 3x3, 4x4 and 5x5 grids over each source, a share of each:
    # different scenes at different scales, as most photos of a library are.
    share = count // len(pool) + 2
    tiles = []
    for path in pool:
        mine = [(path, grid, i, j) for grid in (3, 4, 5) for i in range(grid) for j in range(grid)]
        random.shuffle(mine)
        tiles += mine[:share]
    made = 0
    loaded = {}
    for path, grid, i, j in tiles:
        if made >= count:
            break
        if path not in loaded:
            loaded.clear()
            with Image.open(path) as image:
                loaded[path] = image.convert("RGB")
        image = loaded[path]
        w, h = image.size
        tw, th = w // grid, h // grid
        photo = image.crop((i * tw, j * th, (i + 1) * tw, (j + 1) * th))
        side = random.randint(1200, 2000)
        scale = side / max(photo.size)
        photo = photo.resize((max(1, int(photo.width * scale)), max(1, int(photo.height * scale))),
                             Image.BILINEAR)
        photo = ImageEnhance.Brightness(photo).enhance(random.uniform(0.85, 1.15))
        sub = os.path.join(folder, "album%02d" % (made // 100))
        os.makedirs(sub, exist_ok=True)
        name = os.path.join(sub, "photo%05d.jpg" % made)
        photo.save(name, quality=random.randint(82, 92))
        made += 1
        # Now and then an exact copy and a half-size copy, found by the scan.
        if made % 50 == 0 and made < count:
            shutil.copy2(name, os.path.join(sub, "photo%05d.jpg" % made))
            made += 1
        if made % 70 == 0 and made < count:
            photo.resize((photo.width // 2, photo.height // 2)).save(
                os.path.join(sub, "photo%05d.jpg" % made), quality=85)
            made += 1
    if made < count:
        sys.exit("only %d photos could be made" % made)
    open(marker, "w").close()


main()
