"""Builds the photo trees of bench/photo_bench.sh from packaged wallpapers
and scikit-image sample photos, with a truth.json naming each file's family.

    make_photo_tree.py TREE LARGE_TREE SOURCES UNRELATED MAKE_LARGE
"""
import glob
import json
import os
import random
import re
import shutil
import sys

from PIL import Image, ImageEnhance

tree, big, wanted, unrelated, make_large = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == "1"
LONG_SIDE = 1600


def candidates():
    """One file per picture: packages ship several sizes and light/dark
    variants of one wallpaper, which would be copies of each other."""
    groups = {}
    patterns = [
        "/usr/share/wallpapers/*/contents/images/*",
        "/usr/share/wallpapers/*/contents/images_dark/*",
        "/usr/share/backgrounds/**/*",
        "/usr/share/desktop-base/*/wallpaper/contents/images/*",
        "/usr/share/ukui-wallpapers/**/*",
        "/usr/share/wallpapers/*.jpg",
        "/usr/share/wallpapers/*.png",
        "/usr/lib/python3/dist-packages/skimage/data/*",
    ]
    for pattern in patterns:
        for path in glob.glob(pattern, recursive=True):
            if not path.lower().endswith((".jpg", ".jpeg", ".png", ".webp")) or not os.path.isfile(path):
                continue
            real = os.path.realpath(path)
            if "/wallpapers/" in real and "/contents/" in real:
                key = real.split("/contents/")[0]
            elif "/desktop-base/" in real:
                key = real.split("/wallpaper/")[0]
            else:
                stem = os.path.splitext(os.path.basename(real))[0].lower()
                # Light/dark and time-of-day variants of one design, and the
                # two halves of a stereo pair, are one picture.
                key = os.path.dirname(real) + "/" + re.sub(
                    r"([-_](l|d|day|night|light|dark|morning|evening|left|right))+$", "", stem)
            groups.setdefault(key, []).append(real)
    chosen = []
    for key in sorted(groups):
        best, best_area = None, 0
        for path in sorted(set(groups[key])):
            try:
                with Image.open(path) as image:
                    area = image.size[0] * image.size[1]
                    if min(image.size) >= 300 and area > best_area:
                        best, best_area = path, area
            except Exception:
                pass
        if best:
            chosen.append(best)
    return chosen


def average_hash(image):
    small = image.convert("L").resize((16, 16), Image.BILINEAR)
    pixels = list(small.getdata())
    mean = sum(pixels) / len(pixels)
    return [p > mean for p in pixels]


def normalised(path):
    image = Image.open(path)
    # JPEG decoding at a reduced scale: the sources are up to 5K wide.
    image.draft("RGB", (LONG_SIDE, LONG_SIDE))
    image = image.convert("RGB")
    image.thumbnail((LONG_SIDE, LONG_SIDE), Image.LANCZOS)
    return image


def distinct_sources():
    kept, hashes = [], []
    for path in candidates():
        try:
            image = normalised(path)
        except Exception:
            continue
        h = average_hash(image)
        # Two packages may ship the same picture, or one picture twice.
        same = [k for k, other in enumerate(hashes) if sum(a != b for a, b in zip(h, other)) <= 24]
        if same:
            print(f"skipped {path}: the same picture as {kept[same[0]][0]}", file=sys.stderr)
            continue
        kept.append((path, image))
        hashes.append(h)
    return kept


def scaled(image, factor):
    w, h = image.size
    return image.resize((max(1, round(w * factor)), max(1, round(h * factor))), Image.LANCZOS)


COPIES = {
    "half": lambda im: (scaled(im, 0.5), "jpg", 90),
    "quarter": lambda im: (scaled(im, 0.25), "jpg", 90),
    "q60": lambda im: (im, "jpg", 60),
    "crop": lambda im: (im.crop((im.size[0] // 20, im.size[1] // 20,
                                 im.size[0] - im.size[0] // 20, im.size[1] - im.size[1] // 20)), "jpg", 90),
    "bright": lambda im: (ImageEnhance.Brightness(im).enhance(1.1), "jpg", 90),
    "png": lambda im: (im, "png", None),
    "turned": lambda im: (im.transpose(Image.ROTATE_270), "jpg", 90),
    "grey": lambda im: (im.convert("L"), "jpg", 90),
}


def save(image, path, quality):
    if quality is None:
        image.save(path)
    else:
        image.save(path, quality=quality)


def main():
    sources = distinct_sources()
    rng = random.Random(11)
    rng.shuffle(sources)
    if len(sources) < wanted + unrelated:
        print(f"only {len(sources)} distinct photos for {wanted} + {unrelated}", file=sys.stderr)
    families = sources[:wanted]
    loners = sources[wanted:wanted + unrelated]

    for folder in (tree, big):
        if os.path.exists(folder):
            shutil.rmtree(folder)
    os.makedirs(tree)
    truth = {"files": {}, "kinds": {}, "sources": {}}
    for n, (source, image) in enumerate(families):
        stem = f"s{n:03d}"
        name = f"{stem}.jpg"
        save(image, os.path.join(tree, name), 92)
        truth["files"][name] = stem
        truth["kinds"][name] = "original"
        truth["sources"][stem] = source
        for kind, make in COPIES.items():
            copy, extension, quality = make(image)
            name = f"{stem}_{kind}.{extension}"
            save(copy, os.path.join(tree, name), quality)
            truth["files"][name] = stem
            truth["kinds"][name] = kind
    for n, (source, image) in enumerate(loners):
        name = f"u{n:03d}.jpg"
        save(image, os.path.join(tree, name), 92)
        truth["files"][name] = name
        truth["kinds"][name] = "unrelated"
        truth["sources"][name] = source
    with open(tree + ".truth.json", "w") as out:
        json.dump(truth, out, indent=1)
    print(f"{tree}: {len(families)} photos with {len(COPIES)} copies each, {len(loners)} unrelated",
          file=sys.stderr)

    if not make_large:
        return
    os.makedirs(big)
    truth = {"files": {}, "kinds": {}}
    for n, (source, image) in enumerate(sources[:60]):
        # 4:3 like a camera photo, scaled up to 12 megapixels.
        w, h = image.size
        if w * 3 > h * 4:
            cw, ch = h * 4 // 3, h
        else:
            cw, ch = w, w * 3 // 4
        photo = image.crop(((w - cw) // 2, (h - ch) // 2, (w - cw) // 2 + cw, (h - ch) // 2 + ch))
        photo = photo.resize((4000, 3000), Image.BICUBIC)
        name = f"camera{n:03d}.jpg"
        photo.save(os.path.join(big, name), quality=90)
        truth["files"][name] = name
        truth["kinds"][name] = "original"
        if n < 20:
            copy = f"camera{n:03d}_half.jpg"
            photo.resize((2000, 1500), Image.LANCZOS).save(os.path.join(big, copy), quality=90)
            truth["files"][copy] = name
            truth["kinds"][copy] = "half"
    with open(big + ".truth.json", "w") as out:
        json.dump(truth, out, indent=1)
    print(f"{big}: 60 photos of 4000x3000, 20 with a half-size copy", file=sys.stderr)


main()
