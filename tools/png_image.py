"""PNG writing and small pixel helpers shared by the texture generators (standard library only).

Images are lists of rows of (r, g, b) or (r, g, b, a) tuples, 0..255. The deflate stream comes
from zlib at level 9, whose output is fixed for a given input on the zlib the tests run with.
"""
import math
import struct
import zlib


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    channels = len(rows[0][0])
    colour_type = 6 if channels == 4 else 2
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw.extend(max(0, min(255, int(c))) for c in pixel)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + \
        chunk(b'IEND', b'')
    with open(path, 'wb') as out:
        out.write(data)


def _hash(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, cell, seed, period=None):
    """Smooth noise in 0..1 on a grid of `cell` pixels; wraps every `period` cells when given."""
    fx, fy = x / cell, y / cell
    ix, iy = int(math.floor(fx)), int(math.floor(fy))
    tx, ty = fx - ix, fy - iy
    tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)

    def at(a, b):
        if period:
            a, b = a % period, b % period
        return _hash(a, b, seed)

    top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx
    bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx
    return top + (bottom - top) * ty


def fractal(x, y, size, seed, octaves=4, base_cells=4):
    """Tileable fractal noise over a `size`-pixel square, 0..1."""
    total, weight, amplitude = 0.0, 0.0, 1.0
    cells = base_cells
    for o in range(octaves):
        total += amplitude * value_noise(x, y, size / cells, seed + o, cells)
        weight += amplitude
        amplitude *= 0.5
        cells *= 2
    return total / weight


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def scale(c, k):
    return tuple(v * k for v in c)


def normal_map_from_heights(heights, strength):
    """Tangent-space normal map (x right, y up the image, z out) of a wrapping height field."""
    size = len(heights)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            dx = (heights[y][(x + 1) % size] - heights[y][(x - 1) % size]) * strength
            dy = (heights[(y - 1) % size][x] - heights[(y + 1) % size][x]) * strength
            length = math.sqrt(dx * dx + dy * dy + 1.0)
            row.append((128 + 127 * -dx / length, 128 + 127 * -dy / length, 128 + 127 / length))
        rows.append(row)
    return rows
