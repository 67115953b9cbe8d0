#!/usr/bin/env python3
"""Builds a deterministic tree of files shaped like a real disk, for timing
duplicate scans: many small files, three quarters of them in sets of 2 to 40
copies, a few large copies, and unique files that share a size and their
first KiB with a copy (so only reading further tells them apart)."""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from treegen import finish_tree, start_tree, write_uniques  # noqa: E402

# Suffixes by rough frequency; several categories and some unknown ones.
SUFFIXES = (["txt"] * 6 + ["pdf"] * 3 + ["docx"] * 2 + ["xml"] * 2 + ["csv"] +
            ["jpg"] * 6 + ["png"] * 3 + ["gif"] + ["mp3"] * 3 + ["wav"] +
            ["mp4"] * 2 + ["mkv"] + ["zip"] * 2 + ["gz"] * 2 + ["exe"] + ["dll"] * 2 +
            ["c"] * 3 + ["h"] * 3 + ["py"] * 2 + ["json"] * 2 + ["dat"] * 2 + ["bin"])


def small_size(rng):
    # Log-uniform between 64 bytes and 64 KiB: about 9 KiB on average.
    return int(2 ** rng.uniform(6, 16))


def copy_count(rng):
    return min(40, 2 + int(rng.expovariate(0.35)))


def make_folders(rng, count):
    folders = [""]
    while len(folders) < count:
        parent = rng.choice(folders[: max(1, len(folders))])
        if parent.count("/") >= 5:
            continue
        folders.append(f"{parent}/d{len(folders):04d}" if parent else f"d{len(folders):04d}")
    return folders[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("root")
    parser.add_argument("--scale", type=float, default=1.0,
                        help="1.0 gives about 100,000 files in 2,700 folders, about 1 GB")
    parser.add_argument("--seed", type=int, default=20261208)
    args = parser.parse_args()

    stamp = {"scale": args.scale, "seed": args.seed, "version": 3}
    if not start_tree(args.root, stamp):
        return

    rng = random.Random(args.seed)
    target_files = max(200, int(100_000 * args.scale))
    folders = make_folders(rng, max(20, int(2_700 * args.scale)))
    for folder in folders:
        os.makedirs(os.path.join(args.root, folder), exist_ok=True)

    counter = [0]

    def write(content, suffix):
        counter[0] += 1
        folder = rng.choice(folders)
        path = os.path.join(args.root, folder, f"f{counter[0]:06d}.{suffix}")
        with open(path, "wb") as f:
            f.write(content)

    files = 0
    copy_sets = []
    # Large copies: a few sets of 4-16 MiB files.
    for _ in range(max(1, int(8 * args.scale))):
        size = rng.randint(4 << 20, 16 << 20)
        content = rng.randbytes(size)
        suffix = rng.choice(["mp4", "mkv", "zip", "iso", "dat"])
        for _ in range(rng.randint(2, 3)):
            write(content, suffix)
            files += 1
    # Sets of copies until three quarters of the files are copies.
    while files < target_files * 3 // 4:
        size = small_size(rng)
        content = rng.randbytes(size)
        suffix = rng.choice(SUFFIXES)
        count = copy_count(rng)
        for _ in range(count):
            write(content, suffix)
        copy_sets.append((content, suffix))
        files += count
    # Unique files; one in four shares the size and the first KiB of a copy.
    files = write_uniques(rng, files, target_files, copy_sets, 0.25, write, small_size, SUFFIXES)
    finish_tree(args.root, stamp, files, len(folders))


if __name__ == "__main__":
    main()
