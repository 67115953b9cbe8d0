#!/usr/bin/env python3
"""Writes a preferences.cfg holding the default settings, so a benchmark never
depends on the settings of whoever runs it."""

import struct
import sys


def qstring(text):
    if text is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def main():
    general = (struct.pack(">Iiid", 0x00FF00FF, 0, 0, 0.75) + struct.pack(">qq", 0, 100000)
               + qstring(None) + qstring(None) + qstring("")
               + struct.pack(">d", struct.unpack("<f", struct.pack("<f", 0.45))[0]))
    ignore = struct.pack(">I??II", 0x00FFFF00, False, True, 0, 0)
    selection = struct.pack(">IiiI", 0xFF00FF00, 2, 2, 0)
    with open(sys.argv[1], "wb") as f:
        f.write(general + ignore + selection)


if __name__ == "__main__":
    main()
