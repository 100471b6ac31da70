#!/usr/bin/env python3
"""Writes the particle textures (data/arts/textures/particles/) and the mouse cursor texture
(data/arts/textures/gui/cursor.png) as 64 x 64 RGBA PNG files. Everything is computed, with a
fixed-seed generator for the noise, so every run writes the same bytes. Standard library only.

Run from the repository root:  python3 tools/make_particle_textures.py
"""
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generated_files import output_root  # noqa: E402
from png_image import write_png  # noqa: E402

ROOT = os.path.join(output_root(__doc__), 'data', 'arts', 'textures')
SIZE = 64


def png(path, pixels):
    """pixels: SIZE rows of SIZE (r, g, b, a) tuples, top row first."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    write_png(path, pixels)


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF


def value_noise(seed, cells):
    """Smooth noise in 0..1 on a cells x cells lattice that wraps."""
    rng = Lcg(seed)
    lattice = [[rng.next() for _ in range(cells)] for _ in range(cells)]

    def at(x, y):
        fx, fy = x * cells / SIZE, y * cells / SIZE
        ix, iy = int(fx), int(fy)
        tx, ty = fx - ix, fy - iy
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        a = lattice[iy % cells][ix % cells]
        b = lattice[iy % cells][(ix + 1) % cells]
        c = lattice[(iy + 1) % cells][ix % cells]
        d = lattice[(iy + 1) % cells][(ix + 1) % cells]
        return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty
    return at


def clamp8(v):
    return max(0, min(255, int(round(v))))


def radial(x, y):
    dx = (x + 0.5 - SIZE / 2) / (SIZE / 2)
    dy = (y + 0.5 - SIZE / 2) / (SIZE / 2)
    return math.sqrt(dx * dx + dy * dy)


def blob(colour, softness, noise=None, grain=0.0):
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = radial(x, y)
            a = max(0.0, 1.0 - d) ** softness
            if noise is not None:
                a *= (1.0 - grain) + grain * noise(x, y)
            row.append((colour[0], colour[1], colour[2], clamp8(255 * a)))
        rows.append(row)
    return rows


def spark():
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = radial(x, y)
            core = max(0.0, 1.0 - d * 1.6)
            glow = max(0.0, 1.0 - d) ** 2
            r = 255
            g = clamp8(140 + 115 * core)
            b = clamp8(40 + 200 * core ** 2)
            row.append((r, g, b, clamp8(255 * min(1.0, glow + core))))
        rows.append(row)
    return rows


def sparkle():
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            dx = abs(x + 0.5 - SIZE / 2) / (SIZE / 2)
            dy = abs(y + 0.5 - SIZE / 2) / (SIZE / 2)
            star = max(0.0, 1.0 - dx * 8) * max(0.0, 1.0 - dy) + max(0.0, 1.0 - dy * 8) * max(0.0, 1.0 - dx)
            centre = max(0.0, 1.0 - radial(x, y) * 2.5)
            row.append((255, 255, 255, clamp8(255 * min(1.0, star + centre))))
        rows.append(row)
    return rows


def cursor():
    """An arrow whose tip is at pixel (2, 2): white with a black rim, transparent elsewhere."""
    def inside(px, py, grow):
        # The arrow: a triangle from the tip down and to the right, with a short tail.
        x, y = px - 2.0, py - 2.0
        head = y >= -grow and x >= -grow and x <= y * 0.62 + grow and y <= 34 + grow
        tail = 0.0 <= x - y * 0.42 + 6.0 + grow and x - y * 0.42 <= 4.0 + grow and 22 - grow <= y <= 44 + grow
        return head or tail
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if inside(x, y, 0.0):
                row.append((250, 250, 250, 255))
            elif inside(x, y, 1.5):
                row.append((10, 10, 10, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


png(os.path.join(ROOT, 'particles', 'puff.png'), blob((235, 235, 235), 1.5, value_noise(11, 8), 0.35))
png(os.path.join(ROOT, 'particles', 'spark.png'), spark())
png(os.path.join(ROOT, 'particles', 'spray.png'), blob((240, 248, 255), 2.2, value_noise(23, 16), 0.5))
png(os.path.join(ROOT, 'particles', 'steam.png'), blob((230, 232, 236), 1.2, value_noise(37, 6), 0.45))
png(os.path.join(ROOT, 'particles', 'foam.png'), blob((255, 255, 255), 0.9, value_noise(41, 12), 0.7))
png(os.path.join(ROOT, 'particles', 'sparkle.png'), sparkle())
png(os.path.join(ROOT, 'gui', 'cursor.png'), cursor())
