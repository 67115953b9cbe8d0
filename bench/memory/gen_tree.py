#!/usr/bin/env python3
"""Builds a deterministic tree of many small files for measuring the memory of
a duplicate scan: about half of the files in sets of 2 to 12 copies, the rest
unique but sharing their size with many others (sizes are drawn from a narrow
range), one unique file in five also sharing the first KiB of a copy. Folder
and file names are of the length found on real disks (about 80 bytes a path
below the root)."""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from treegen import finish_tree, start_tree, write_uniques  # noqa: E402

SUFFIXES = (["txt"] * 5 + ["pdf"] * 2 + ["docx"] + ["xml"] + ["csv"] + ["jpg"] * 5 +
            ["png"] * 2 + ["mp3"] * 2 + ["zip"] + ["gz"] + ["dll"] + ["c"] * 3 +
            ["h"] * 3 + ["py"] * 2 + ["json"] * 2 + ["html"] + ["bin"])
WORDS = ("Documents Photos Projects Archive Backup Music Holiday Family Invoices "
         "Reports Source include library release draft scans camera export shared "
         "notes travel school garden letters budget config assets thumbnails").split()


def small_size(rng):
    # Log-uniform between 64 bytes and 8 KiB: about 1.7 KiB on average, so a
    # million files fit in under 2 GB and nearly every size is shared.
    return int(2 ** rng.uniform(6, 13))


def folder_name(rng, index):
    return f"{rng.choice(WORDS)} {rng.choice(WORDS).lower()} {index:05d}"


def make_folders(rng, count):
    folders = [""]
    while len(folders) < count + 1:
        parent = rng.choice(folders)
        if parent.count("/") >= 4:
            continue
        name = folder_name(rng, len(folders))
        folders.append(f"{parent}/{name}" if parent else name)
    return folders[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("root")
    parser.add_argument("--files", type=int, default=100_000)
    parser.add_argument("--seed", type=int, default=20261209)
    args = parser.parse_args()

    stamp = {"files": args.files, "seed": args.seed, "version": 1}
    if not start_tree(args.root, stamp):
        return

    rng = random.Random(args.seed)
    # About 40 files a folder.
    folders = make_folders(rng, max(10, args.files // 40))
    for folder in folders:
        os.makedirs(os.path.join(args.root, folder), exist_ok=True)

    counter = [0]

    def write(content, suffix):
        counter[0] += 1
        folder = rng.choice(folders)
        stem = f"{rng.choice(WORDS).lower()}_{rng.choice(WORDS).lower()}_{counter[0]:07d}"
        with open(os.path.join(args.root, folder, f"{stem}.{suffix}"), "wb") as f:
            f.write(content)

    files = 0
    copy_sets = []
    while files < args.files // 2:
        content = rng.randbytes(small_size(rng))
        suffix = rng.choice(SUFFIXES)
        count = min(12, 2 + int(rng.expovariate(0.6)))
        for _ in range(count):
            write(content, suffix)
        copy_sets.append((content, suffix))
        files += count
    files = write_uniques(rng, files, args.files, copy_sets, 0.2, write, small_size, SUFFIXES)
    finish_tree(args.root, stamp, files, len(folders))


if __name__ == "__main__":
    main()
