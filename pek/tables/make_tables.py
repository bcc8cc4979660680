#!/usr/bin/env python3
"""Writes the colour tables tab1.pal .. tab15.pal of the type 1 PEK coder.

Each file is 256 little-endian 32-bit colour values R + 256*G + 65536*B. A
picture uses a table when every colour it has lies within +-2 per channel of
some entry, so the tables are palettes that pictures are really drawn in:

  tab1   256-level grey ramp
  tab2   the 216 web-safe colours (channels multiples of 51) and 40 greys
         evenly spread between them
  tab3   RGB 3-3-2 cube (8 red, 8 green, 4 blue levels, evenly spread)
  tab4   the 16 colours of the classic 16-colour system palette, the 216
         web-safe colours, and 24 greys
  tab5   6 x 7 x 6 cube (red, green, blue levels) and 4 greys
  tab6   RGB 2-3-3 cube (4 red, 8 green, 8 blue levels)
  tab7   RGB 3-2-3 cube (8 red, 4 green, 8 blue levels)
  tab8   the 20 static colours of the classic 256-colour system palette, the
         216 web-safe colours, and 20 greys
  tab9 .. tab15  palettes of the pictures in the image corpus: pictures of 2
         to 127 colours (more are averaged away by the converter) that no
         table above holds, smallest palette first, are packed greedily into
         tables (a colour within +-2 of one already taken is not added
         again); what stays free is filled with the grey ramp.

Usage: make_tables.py OUT_DIR [CORPUS_IMAGES_DIR]. The corpus tables need
ImageMagick's `convert`; without a corpus they are grey ramps.
"""
import os
import struct
import subprocess
import sys


def rgb(r, g, b):
    return r + 256 * g + 65536 * b


def levels(n):
    return [round(i * 255 / (n - 1)) for i in range(n)]


def cube(nr, ng, nb):
    return [rgb(r, g, b) for r in levels(nr) for g in levels(ng) for b in levels(nb)]


def greys(n):
    return [rgb(v, v, v) for v in levels(n)]


WEB = cube(6, 6, 6)
SYS16 = [rgb(*c) for c in [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255)]]
SYS20 = SYS16 + [rgb(*c) for c in [(192, 220, 192), (166, 202, 240), (255, 251, 240), (160, 160, 164)]]


def fill(table, extra):
    """The table completed to 256 entries from `extra`, skipping repeats."""
    out = list(dict.fromkeys(table))
    for c in extra:
        if len(out) >= 256:
            break
        if c not in out:
            out.append(c)
    for c in greys(256):
        if len(out) >= 256:
            break
        if c not in out:
            out.append(c)
    return out[:256]


MAX_KEPT = 127  # colours a picture keeps through the converter's light averaging


def near(c1, c2):
    return all(abs(((c1 >> s) & 255) - ((c2 >> s) & 255)) <= 2 for s in (0, 8, 16))


def picture_Colours(path):
    """Distinct opaque colours of every frame, or None when ImageMagick fails."""
    try:
        out = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"], capture_output=True,
                             text=True, timeout=60).stdout
    except (OSError, subprocess.TimeoutExpired):
        return None
    cols = set()
    for line in out.splitlines():
        try:
            inner = line.split("(", 1)[1].split(")", 1)[0]
            parts = [float(x) for x in inner.split(",")]
        except (IndexError, ValueError):
            continue
        if len(parts) >= 4 and parts[3] < 128:
            continue  # transparent: not a palette colour
        cols.add(rgb(*(int(round(v)) for v in parts[:3])))
    return cols


def fits(pal, table):
    return all(any(near(c, e) for e in table) for c in pal)


def corpus_Tables(images, count, fixed):
    pals = []
    for root, _, files in sorted(os.walk(images)):
        if "malformed" in root:
            continue
        for name in sorted(files):
            cols = picture_Colours(os.path.join(root, name))
            # Pictures of more colours lose theirs in the converter's deep
            # averaging; those the fixed tables hold need no room here.
            if cols and 1 < len(cols) <= MAX_KEPT and not any(fits(cols, t) for t in fixed):
                pals.append(cols)
    # Smallest palettes first: the most pictures in the room there is.
    pals.sort(key=lambda p: (len(p), sorted(p)))
    tables = [[] for _ in range(count)]
    for pal in pals:
        for t in tables:
            new = [c for c in sorted(pal) if not any(near(c, e) for e in t)]
            if len(t) + len(new) <= 256:
                t.extend(new)
                break
    return [fill(t, []) for t in tables]


def main():
    out_dir = sys.argv[1]
    images = sys.argv[2] if len(sys.argv) > 2 else ""
    tables = [
        greys(256),
        fill(WEB, greys(42)),
        cube(8, 8, 4),
        fill(SYS16 + WEB, greys(26)),
        fill(cube(6, 7, 6), greys(6)),
        cube(4, 8, 8),
        cube(8, 4, 8),
        fill(SYS20 + WEB, greys(22)),
    ]
    tables += corpus_Tables(images, 7, tables) if images else [greys(256)] * 7
    os.makedirs(out_dir, exist_ok=True)
    for t, table in enumerate(tables, start=1):
        assert len(table) == 256, (t, len(table))
        with open(os.path.join(out_dir, "tab%d.pal" % t), "wb") as fh:
            fh.write(struct.pack("<256I", *table))


if __name__ == "__main__":
    main()
