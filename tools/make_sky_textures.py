#!/usr/bin/env python3
"""Writes stand-in skies for the three tracks: for each of day, dusk and night the six skybox
faces data/arts/textures/sky_<sky>_<face>.png (right, left, up, down, front, back, as the level
files name them) and the water's environment cube map sky_<sky>_cube.png, a 6:1 strip of the same
faces in cube order (+x right, -x left, +y up, -y down, +z front, -z back).

Each side face runs from the zenith colour at its top edge through the horizon colour at its middle
row to the haze colour at its bottom edge; the up face is the zenith colour, the down face the haze
colour, so the faces meet without seams. RGB PNGs with stored deflate blocks: the bytes depend on
nothing but this script. The art will replace them.

Run from anywhere:  python3 tools/make_sky_textures.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/...).
"""
import os
import sys

# The tests run the generators from the source tree, which must stay free of byte-code caches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generated_files import write_outputs  # noqa: E402
from png_image import png_bytes  # noqa: E402

EDGE = 32
FACES = ('right', 'left', 'up', 'down', 'front', 'back')
# zenith, horizon, haze
SKIES = {
    'day': ((64, 120, 210), (170, 205, 240), (200, 215, 225)),
    'dusk': ((40, 40, 110), (235, 140, 80), (120, 80, 90)),
    'night': ((5, 8, 30), (30, 40, 80), (15, 18, 35)),
}


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def face_rows(face, colours):
    zenith, horizon, haze = colours
    if face == 'up':
        return [[zenith] * EDGE for _ in range(EDGE)]
    if face == 'down':
        return [[haze] * EDGE for _ in range(EDGE)]
    half = (EDGE - 1) / 2.0
    rows = []
    for y in range(EDGE):
        colour = mix(zenith, horizon, y / half) if y <= half else mix(horizon, haze, (y - half) / half)
        rows.append([colour] * EDGE)
    return rows


def outputs():
    """(path under the repository root, bytes) of every generated file."""
    files = []
    for sky, colours in sorted(SKIES.items()):
        faces = [face_rows(face, colours) for face in FACES]
        for face, rows in zip(FACES, faces):
            files.append(('data/arts/textures/sky_%s_%s.png' % (sky, face), png_bytes(rows, stored=True)))
        strip = [sum((rows[y] for rows in faces), []) for y in range(EDGE)]
        files.append(('data/arts/textures/sky_%s_cube.png' % sky, png_bytes(strip, stored=True)))
    return files


def main():
    write_outputs(__doc__.split('\n')[0], outputs)


if __name__ == '__main__':
    main()
