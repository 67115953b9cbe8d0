"""What the generated benchmark trees share: a stamp beside the tree that
tells whether it is already built, and unique files among the copies, some
of which share a copy's size and first KiB (only reading further tells them
apart)."""

import json
import os
import shutil
import sys


def stamp_path(root):
    # Kept beside the tree, not in it, so no scanner sees it.
    return root.rstrip("/") + ".stamp.json"


def start_tree(root, stamp):
    """False when the tree of `stamp` is already there; otherwise an empty
    root for building it."""
    path = stamp_path(root)
    if os.path.exists(path):
        with open(path) as f:
            if json.load(f) == stamp:
                print(f"{root}: tree already built", file=sys.stderr)
                return False
        os.remove(path)
    if os.path.exists(root):
        shutil.rmtree(root)
    os.makedirs(root)
    return True


def write_uniques(rng, files, target, copy_sets, trap_share, write, small_size, suffixes):
    """Writes unique files until there are `target`; a share `trap_share` of
    them are copies of a set in `copy_sets` with one byte changed past the
    first KiB. Returns the new file count."""
    while files < target:
        if copy_sets and rng.random() < trap_share:
            content, suffix = rng.choice(copy_sets)
            trap = bytearray(content)
            position = rng.randrange(min(1024, len(trap) - 1), len(trap))
            trap[position] ^= 0x5A
            write(bytes(trap), suffix)
        else:
            write(rng.randbytes(small_size(rng)), rng.choice(suffixes))
        files += 1
    return files


def finish_tree(root, stamp, files, folders):
    with open(stamp_path(root), "w") as f:
        json.dump(stamp, f)
    print(f"{root}: {files} files in {folders} folders", file=sys.stderr)
