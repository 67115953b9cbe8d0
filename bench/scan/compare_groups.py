#!/usr/bin/env python3
"""Checks that the exact groups of a twinscan-cli JSON report are exactly the
groups of a reference listing (blank-line separated paths, as printed by
common duplicate finders) once those are split by file category: twinscan
only ever groups files of one category."""

import json
import os
import sys

# The category table, in lookup order; the first list holding the lower-cased
# suffix wins, none means "Others". Entries with blanks never match.
CATEGORIES = [
    ("Archives", "dmg,pkg,zip,rar,iso,cab,7z,gz,tar,wim,xz,jar,deb,arj,bz2,stufflt,lzma,bzip2,gzip"),
    ("Documents", "pdf,docx,txt,doc,potx,xls,chm,htm,html,rtf,xlsx,pptx,xml,rtf,jar,key,djvu,dwg,"
                  "epub,wps,odt,xps,oxps,rtf,rtfd,vsd,vdx,vsdx,wpd,dotx,dot,docm,dotm,mht,xltx,"
                  "xlt,csv,xlsb,xlsm,xltm,xlam,xla,mht,prn,dif,slk,pot,ppsx,pptm,potm,ppsm,thmx,"
                  "ppam,ppa,dat,ppt"),
    ("Images", "png,jpg,dng,mrw,orf,cr2,sr2,cr2,nef,gif,tiff,jpeg,icns,bmp,ico,jpeg,pcx,pic,png,"
               "psd,raw,tga,wmf,iff,jpg2000,svg,jp2,lic,eps,tga,sai,exr,tif,sgi,heic"),
    ("Musics", "amr,au,aac,ac3,aiff,ape,caf,flac,m4a,mka,mp2,mp3,ra,ogg,wav,mid,wma,midi,cda,aif"),
    ("Packages", "exe,dll"),
    ("Videos", "webm,mxf,mp4,flv,mov,wmv,vob,ts,swf,tp,rmvb,rm,mts,mpg,mpeg,mod,mkv,m4v,m2ts,divx,"
               "avi,asf,amv,3gp,rmx,flash,swf"),
]
LOOKUP = [(name, set(extensions.split(","))) for name, extensions in CATEGORIES]


def category(path):
    name = os.path.basename(path)
    suffix = name.rsplit(".", 1)[1].lower() if "." in name else ""
    for key, extensions in LOOKUP:
        if suffix in extensions:
            return key
    return "Others"


def reference_groups(listing):
    groups, current = [], []
    for line in listing.splitlines():
        line = line.strip()
        if not line:
            if current:
                groups.append(current)
            current = []
        else:
            current.append(line)
    if current:
        groups.append(current)
    split = set()
    for group in groups:
        by_category = {}
        for path in group:
            by_category.setdefault(category(path), []).append(os.path.realpath(path))
        for key, paths in by_category.items():
            if len(paths) >= 2:
                split.add((key, frozenset(paths)))
    return split


def twinscan_groups(report):
    groups = set()
    for group in report["groups"]:
        if group["similar"]:
            continue
        paths = frozenset(os.path.realpath(m["path"]) for m in group["members"])
        groups.add((group["category"], paths))
    return groups


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: compare_groups.py TWINSCAN.json REFERENCE.txt")
    with open(sys.argv[1]) as f:
        ours = twinscan_groups(json.load(f))
    with open(sys.argv[2]) as f:
        theirs = reference_groups(f.read())
    only_ours, only_theirs = ours - theirs, theirs - ours
    print(f"groups: twinscan {len(ours)}, reference {len(theirs)}, "
          f"only twinscan {len(only_ours)}, only reference {len(only_theirs)}")
    for key, paths in list(only_ours)[:5]:
        print("  only twinscan:", key, sorted(paths)[:4])
    for key, paths in list(only_theirs)[:5]:
        print("  only reference:", key, sorted(paths)[:4])
    sys.exit(0 if not only_ours and not only_theirs else 1)


if __name__ == "__main__":
    main()
