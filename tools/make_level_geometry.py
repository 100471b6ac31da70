#!/usr/bin/env python3
"""Writes the default track's level geometry: the spline water's grid files
(data/files/grids/River20.vbib .. River27.vbib) and the terrain height maps
(data/arts/textures/terrain1_height.png .. terrain9_height.png), for the river and land of
tools/river_course.py. The water and terrain records that name them come from make_xml_data.py.

Grid file: COLUMNS x ROWS vertices of 60 bytes (position, normal, uv, tangent, binormal, colour),
row by row downstream, then the 16-bit indices of two triangles per quad, then one 60-byte cell
record per pair of rows (four corners, then the unit flow vector of river_course.flow: downstream
along the centreline, turned towards the open water above a barrier).

Height map: a 65 x 65 8-bit grey PNG, one pixel per terrain vertex (so the reader takes each pixel
as it is, without averaging), row 0 at the patch's +z edge. Written with stored deflate blocks, so
the bytes depend on nothing but this script.

Run from anywhere:  python3 tools/make_level_geometry.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/...).
"""
import math
import os
import struct
import sys

# The tests run the generators from the source tree, which must stay free of byte-code caches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import river_course as rc  # noqa: E402
from generated_files import write_outputs  # noqa: E402
from png_image import png_bytes  # noqa: E402

WHITE = 0xFFFFFFFF
TILE = 16.0


def normalised(v):
    length = math.sqrt(sum(c * c for c in v))
    return tuple(c / length for c in v)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def river_length_before(z):
    """Centreline length from the river's top down to z, for a texture that does not jump
    between segments."""
    steps = max(1, int((rc.RIVER_TOP - z) / 0.5))
    total, prev = 0.0, None
    for i in range(steps + 1):
        zi = rc.RIVER_TOP + (z - rc.RIVER_TOP) * i / steps
        p = (rc.centre_x(zi), rc.water_level(zi), zi)
        if prev is not None:
            total += math.dist(p, prev)
        prev = p
    return total


def grid_file(k):
    zs = rc.segment_rows(k)
    rows = [rc.row_points(z) for z in zs]
    # One tile of the water's maps spans TILE metres each way, whatever the water's width.
    spacing = 2 * rc.HALF_WIDTH / (rc.COLUMNS - 1)
    mid = rc.COLUMNS // 2
    v_start = river_length_before(zs[0])
    out = bytearray()
    along_so_far = v_start
    for r, row in enumerate(rows):
        if r > 0:
            along_so_far += math.dist(rows[r][mid], rows[r - 1][mid])
        prev_row = rows[max(r - 1, 0)]
        next_row = rows[min(r + 1, rc.ROWS - 1)]
        for c, p in enumerate(row):
            downstream = normalised(sub(next_row[c], prev_row[c]))
            right = normalised(sub(row[min(c + 1, rc.COLUMNS - 1)], row[max(c - 1, 0)]))
            normal = normalised(cross(downstream, right))
            if normal[1] < 0:
                normal = tuple(-n for n in normal)
            u = c * spacing / TILE
            v = along_so_far / TILE
            out += struct.pack('<3f3f2f3f3fI', *p, *normal, u, v, *right, *downstream, WHITE)
    for r in range(rc.ROWS - 1):
        for c in range(rc.COLUMNS - 1):
            a = r * rc.COLUMNS + c
            b = (r + 1) * rc.COLUMNS + c
            out += struct.pack('<6H', a, a + 1, b, b, a + 1, b + 1)
    last = rc.COLUMNS - 1
    for r in range(rc.ROWS - 1):
        up, down = rows[r], rows[r + 1]
        # Corners in the order of a planar water's cell: (-x, -z), (-x, +z), (+x, +z), (+x, -z).
        corners = (down[0], up[0], up[last], down[last])
        flow = rc.flow(zs[r], zs[r + 1])
        for p in corners:
            out += struct.pack('<3f', *p)
        out += struct.pack('<3f', *flow)
    return bytes(out)


def outputs():
    """(path under the repository root, bytes) of every generated file."""
    files = []
    for k in range(rc.SEGMENTS):
        files.append(('data/files/grids/River%d.vbib' % (20 + k), grid_file(k)))
    for k in range(len(rc.TERRAIN_Z)):
        files.append(('data/arts/textures/terrain%d_height.png' % (k + 1), png_bytes(rc.patch_heights(k)[1], stored=True)))
    return files


def main():
    write_outputs(__doc__.split('\n')[0], outputs)


if __name__ == '__main__':
    main()
