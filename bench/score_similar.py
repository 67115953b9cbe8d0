"""Scores the groups reported by twinscan-cli (--json) or findimagedupes
against the families of a photo tree.

    score_similar.py [--pairs-only] TRUTH NAME=OUTPUT:WALL:PEAK...

A reported pair is two files in one reported group; it is true when both
come from one family. Recall per kind: the share of copies of that kind
found together with their original. A cluster is complete when one group
holds the whole family and nothing else.
"""
import itertools
import json
import os
import sys

args = sys.argv[1:]
pairs_only = False
if args and args[0] == "--pairs-only":
    pairs_only = True
    args = args[1:]
truth = json.load(open(args[0]))
family = truth["files"]
kinds = truth["kinds"]


def groups_of(output):
    text = open(output, errors="replace").read()
    try:
        report = json.loads(text)
        return [[os.path.basename(m["path"]) for m in g["members"]] for g in report["groups"]]
    except ValueError:
        return [[os.path.basename(p) for p in line.split()] for line in text.splitlines() if line.strip()]


members = {}
for name, fam in family.items():
    members.setdefault(fam, []).append(name)
true_pairs = set()
for names in members.values():
    for a, b in itertools.combinations(sorted(names), 2):
        true_pairs.add((a, b))
copy_kinds = sorted({k for k in kinds.values() if k not in ("original", "unrelated")})
families = [f for f, names in members.items() if len(names) > 1]

header = f"{'tool':<15} {'wall s':>7} {'MiB':>5} {'pairs':>6} {'precision':>9} {'recall':>6}"
if not pairs_only:
    header += " " + " ".join(f"{k[:7]:>7}" for k in copy_kinds) + f" {'complete':>9}"
print(header)
for entry in args[1:]:
    name, rest = entry.split("=", 1)
    output, wall, peak = rest.rsplit(":", 2)
    groups = [[m for m in g if m in family] for g in groups_of(output)]
    reported = set()
    group_of = {}
    for index, group in enumerate(groups):
        for m in group:
            group_of[m] = index
        for a, b in itertools.combinations(sorted(set(group)), 2):
            reported.add((a, b))
    right = len(reported & true_pairs)
    precision = right / len(reported) if reported else 1.0
    recall = right / len(true_pairs) if true_pairs else 1.0
    line = f"{name:<15} {float(wall or 0):>7.2f} {peak or '-':>5} {len(reported):>6} {precision:>9.4f} {recall:>6.3f}"
    if not pairs_only:
        for kind in copy_kinds:
            copies = [n for n, k in kinds.items() if k == kind]
            found = 0
            for copy in copies:
                original = next(n for n in members[family[copy]] if kinds[n] == "original")
                if copy in group_of and group_of.get(original) == group_of[copy]:
                    found += 1
            line += f" {found / len(copies):>7.3f}"
        complete = 0
        for fam in families:
            names = members[fam]
            index = group_of.get(names[0])
            if index is not None and all(group_of.get(n) == index for n in names) \
                    and len(set(groups[index])) == len(names):
                complete += 1
        line += f" {complete:>4}/{len(families):<4}"
    print(line)
