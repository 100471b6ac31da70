"""PNG writing and small pixel helpers shared by the texture generators (standard library only).

Images are lists of rows of (r, g, b) or (r, g, b, a) tuples, 0..255. The deflate stream comes
from zlib at level 9, whose output is fixed for a given input on the zlib the tests run with.
"""
import math
import struct
import zlib


def _stored_deflate(raw):
    """A zlib stream of stored blocks: the bytes depend on no compressor's version."""
    blocks = bytearray(b'\x78\x01')
    for at in range(0, len(raw), 65535):
        part = raw[at:at + 65535]
        final = 1 if at + 65535 >= len(raw) else 0
        blocks += struct.pack('<BHH', final, len(part), len(part) ^ 0xFFFF) + part
    blocks += struct.pack('>I', zlib.adler32(raw) & 0xFFFFFFFF)
    return bytes(blocks)


def png_bytes(rows, stored=False):
    """PNG of `rows`: pixels are grey levels (ints) or RGB / RGBA tuples. `stored` writes the image
    data uncompressed, for files that must come out the same on any zlib."""
    height, width = len(rows), len(rows[0])
    first = rows[0][0]
    channels = 1 if isinstance(first, int) else len(first)
    colour_type = {1: 0, 3: 2, 4: 6}[channels]
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            if channels == 1:
                raw.append(max(0, min(255, int(pixel))))
            else:
                raw.extend(max(0, min(255, int(c))) for c in pixel)
    raw = bytes(raw)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    image = _stored_deflate(raw) if stored else zlib.compress(raw, 9)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', image) + chunk(b'IEND', b'')


def write_png(path, rows, stored=False):
    with open(path, 'wb') as out:
        out.write(png_bytes(rows, stored))


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
