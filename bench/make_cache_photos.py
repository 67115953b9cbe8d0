"""Makes a folder of distinct photos for bench/cache_bench.sh from packaged
wallpapers and scikit-image sample photos: each photo a different crop,
size and tone of a source, a few of them exact copies and half-size copies,
as a photo library has.

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
    marker = os.path.join(folder, ".complete-%d" % count)
    if os.path.exists(marker):
        return
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    random.seed(14)
    pool = sources()
    if not pool:
        sys.exit("no source photos installed")
    made = 0
    loaded = {}
    while made < count:
        path = pool[made % len(pool)]
        if path not in loaded:
            with Image.open(path) as image:
                loaded[path] = image.convert("RGB")
        image = loaded[path]
        w, h = image.size
        # A crop of 40..90 % of each side: every photo differs from the others.
        cw, ch = int(w * random.uniform(0.4, 0.9)), int(h * random.uniform(0.4, 0.9))
        x, y = random.randint(0, w - cw), random.randint(0, h - ch)
        photo = image.crop((x, y, x + cw, y + ch))
        side = random.randint(1200, 2000)
        scale = side / max(photo.size)
        photo = photo.resize((max(1, int(photo.width * scale)), max(1, int(photo.height * scale))))
        photo = ImageEnhance.Brightness(photo).enhance(random.uniform(0.8, 1.2))
        sub = os.path.join(folder, "album%02d" % (made // 100))
        os.makedirs(sub, exist_ok=True)
        name = os.path.join(sub, "photo%05d.jpg" % made)
        photo.save(name, quality=random.randint(82, 92))
        made += 1
        if made % 50 == 0 and made < count:
            shutil.copy2(name, os.path.join(sub, "photo%05d.jpg" % made))
            made += 1
        if made % 70 == 0 and made < count:
            photo.resize((photo.width // 2, photo.height // 2)).save(
                os.path.join(sub, "photo%05d.jpg" % made), quality=85)
            made += 1
        if len(loaded) > 8:
            loaded.pop(next(iter(loaded)))
    open(marker, "w").close()


main()
