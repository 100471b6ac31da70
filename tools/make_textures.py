#!/usr/bin/env python3
"""Writes the textures the XML content files name (other than the skies and the height maps, which
make_sky_textures.py and make_level_geometry.py write) under data/arts/textures/:
  - model skins: a 4 x 4 atlas of each model's colours from art_palettes.py (the whole colour: the
    meshes' materials are white), with fur, grain or stripes;
  - normal maps of the normal-mapped scenery, the water's normal and specular maps, the cartoon
    shade ramp;
  - billboard trees with alpha (stump, fir, pine, meadow tree, snow tree, forest);
  - the terrain's three bases (grass, rock, snow), its specular map, and a blend map per patch
    (red grass, green rock, blue snow) from the height and distance to the river of river_course.py.
All noise is hashed from pixel coordinates: the bytes depend on nothing but this script.

Run from anywhere:  python3 tools/make_textures.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/arts/textures/).
"""
import argparse
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_palettes as pal  # noqa: E402
import river_course as rc  # noqa: E402
from png_image import write_png, value_noise, fractal, mix, scale, normal_map_from_heights  # noqa: E402

SKIN = 256


def noise_field(size, seed, octaves=3, base_cells=4):
    return [[fractal(x, y, size, seed, octaves, base_cells) for x in range(size)] for y in range(size)]


STRIPED = ('vessel',)
GRAINED = ('wood', 'bark', 'rod', 'plank')
ROUGH = ('stone', 'moss', 'fur', 'ice', 'deep', 'snow', 'gold', 'shine', 'beard', 'hair')


def atlas(palette, seed):
    names = list(palette)
    grain = noise_field(64, seed, 3, 4)
    rows = []
    for y in range(SKIN):
        row = []
        for x in range(SKIN):
            i = (y // 64) * 4 + x // 64
            if i >= len(names):
                row.append((255, 255, 255))
                continue
            name = names[i]
            base = palette[name]
            lx, ly = x % 64, y % 64
            n = grain[ly][lx]
            if name in STRIPED and 'stripe' in palette:
                # Broad stripes around the tube (u runs around the ring).
                c = palette['stripe'] if (lx // 8) % 2 else base
                c = scale(c, 0.94 + 0.1 * n)
            elif name in GRAINED:
                c = scale(base, 0.8 + 0.35 * (0.5 + 0.5 * math.sin(ly * 0.9 + n * 6)))
            elif name in ROUGH:
                c = scale(base, 0.82 + 0.32 * n)
            else:
                c = scale(base, 0.95 + 0.08 * n)
            row.append(c)
        rows.append(row)
    return rows


def normal_map(seed, strength, cells=8):
    heights = noise_field(SKIN, seed, 4, cells)
    return normal_map_from_heights(heights, strength * SKIN / 64.0)


def water_normal():
    size = SKIN
    heights = []
    for y in range(size):
        row = []
        for x in range(size):
            a = 2 * math.pi * x / size
            b = 2 * math.pi * y / size
            h = 0.5 * math.sin(3 * a + 2 * b) + 0.35 * math.sin(5 * b - 2 * a + 1.3) + 0.2 * math.sin(7 * a + 9 * b)
            h += 0.6 * fractal(x, y, size, 77, 3, 8)
            row.append(h)
        heights.append(row)
    return normal_map_from_heights(heights, 3.0)


def flat(size, colour):
    return [[colour] * size for _ in range(size)]


def cartoon_shade():
    # Three bands from unlit to lit along u, with soft steps between them.
    rows = []
    row = []
    for x in range(64):
        u = x / 63
        v = 0.35 if u < 0.2 else 0.65 if u < 0.6 else 1.0
        row.append((255 * v, 255 * v, 255 * v))
    for _ in range(8):
        rows.append(list(row))
    return rows


def sun():
    rows = []
    for y in range(128):
        row = []
        for x in range(128):
            d = math.hypot(x - 63.5, y - 63.5) / 64
            glow = max(0.0, 1.0 - d) ** 1.5
            row.append((255, 240 * (0.7 + 0.3 * glow), 170 + 60 * glow))
        rows.append(row)
    return rows


def flag_cloth():
    cloth, mark, pole = pal.SCENERY['flag']['cloth'], pal.SCENERY['flag']['mark'], pal.SCENERY['flag']['pole']
    rows = []
    for y in range(128):
        row = []
        for x in range(128):
            if x < 3:
                row.append(pole)
                continue
            d = math.hypot(x - 64, y - 64)
            angle = math.atan2(y - 64, x - 64)
            star = 22 + 10 * math.cos(5 * angle)
            row.append(mark if d < star else cloth)
        rows.append(row)
    return rows


# Billboard trees: RGBA with the shape in alpha, standing on the bottom edge.
def tree(kind, size=256):
    rows = [[(0, 0, 0, 0)] * size for _ in range(size)]
    leaf_seed = {'fir_tree': 11, 'pine_tree': 12, 'meadow_tree': 13, 'snow_tree': 14, 'stump': 15, 'forest': 16}[kind]
    trunk = (95, 65, 40)
    for y in range(size):
        for x in range(size):
            u = (x + 0.5) / size - 0.5       # -0.5 .. 0.5 across
            h = 1.0 - (y + 0.5) / size       # 0 at the base, 1 at the top
            n = fractal(x, y, size, leaf_seed, 3, 8)
            colour = None
            if kind == 'stump':
                top = 0.45 + 0.04 * math.sin(u * 40)
                if abs(u) < 0.28 + 0.1 * max(0.0, 0.15 - h) * 6 and h < top:
                    colour = scale(trunk, 0.75 + 0.4 * n)
                    if h > top - 0.05:
                        colour = (190, 150, 100)
            elif kind in ('fir_tree', 'pine_tree', 'snow_tree'):
                tiers = 4 if kind == 'fir_tree' else 5
                if abs(u) < 0.035 and h < 0.2:
                    colour = scale(trunk, 0.8 + 0.3 * n)
                if 0.12 < h < 0.98:
                    t = (h - 0.12) / 0.86
                    tier = (t * tiers) % 1.0
                    width = (1.0 - t) * (0.45 if kind == 'fir_tree' else 0.36) * (0.55 + 0.45 * (1 - tier))
                    if abs(u) < width * (0.85 + 0.3 * n):
                        green = (40, 95, 45) if kind == 'fir_tree' else (30, 80, 55)
                        colour = scale(green, 0.7 + 0.5 * n)
                        if kind == 'snow_tree' and (tier > 0.55 or n > 0.62):
                            colour = scale((235, 242, 250), 0.9 + 0.1 * n)
            elif kind == 'meadow_tree':
                if abs(u) < 0.05 + 0.03 * (0.4 - h) and h < 0.45:
                    colour = scale(trunk, 0.8 + 0.3 * n)
                d = math.hypot(u / 0.42, (h - 0.62) / 0.34)
                if d < 0.85 + 0.3 * n:
                    colour = scale((70, 140, 50), 0.65 + 0.55 * n)
            elif kind == 'forest':
                # A row of conifers of several heights: the far wall of trees.
                for k in range(7):
                    centre = -0.43 + k * 0.143
                    top = 0.55 + 0.35 * value_noise(k, 0, 1, 5)
                    if h < top:
                        width = (top - h) / top * 0.09
                        if abs(u - centre) < width * (0.8 + 0.4 * n):
                            colour = scale((35, 85, 45), 0.6 + 0.5 * n * (1 - 0.3 * (k % 2)))
                if h < 0.12 and colour is None:
                    colour = scale((30, 60, 35), 0.7 + 0.3 * n)
            if colour is not None:
                rows[y][x] = tuple(colour) + (255,)
    return rows


def terrain_base(kind):
    size = SKIN
    field = noise_field(size, {'grass': 21, 'rock': 22, 'snow': 23}[kind], 4, 8)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            n = field[y][x]
            if kind == 'grass':
                blade = value_noise(x, y * 0.3, 2, 24, None)
                c = mix((55, 110, 40), (110, 150, 60), n)
                c = scale(c, 0.85 + 0.25 * blade)
            elif kind == 'rock':
                crack = 1.0 if abs(n - 0.5) < 0.02 else 0.0
                c = scale(mix((95, 90, 85), (150, 145, 135), n), 1.0 - 0.35 * crack)
            else:
                c = mix((215, 225, 238), (250, 252, 255), n)
            row.append(c)
        rows.append(row)
    return rows


def terrain_shine():
    field = noise_field(128, 31, 3, 4)
    return [[(40 + 50 * v,) * 3 for v in row] for row in field]


BLEND = 128


def blend_map(k):
    """Red grass, green rock, blue snow, by the ground's height over the river and the distance to
    its centreline: stony banks, grass above them, rock on steep ground, snow high up and around
    the ice cave's reach of the river."""
    offset, levels = rc.patch_heights(k)
    n = rc.TERRAIN_SIZE - 1
    rows = []
    for y in range(BLEND):
        row = []
        for x in range(BLEND):
            fr, fc = y * n / (BLEND - 1), x * n / (BLEND - 1)
            r0, c0 = min(int(fr), n - 1), min(int(fc), n - 1)
            tr, tc = fr - r0, fc - c0

            def height(r, c):
                return offset + levels[r][c] * rc.TERRAIN_STEP
            h = (height(r0, c0) * (1 - tc) * (1 - tr) + height(r0, c0 + 1) * tc * (1 - tr) +
                 height(r0 + 1, c0) * (1 - tc) * tr + height(r0 + 1, c0 + 1) * tc * tr)
            slope = math.hypot(height(r0, c0 + 1) - height(r0, c0), height(r0 + 1, c0) - height(r0, c0)) / \
                rc.TERRAIN_SPACING
            wx, wz = rc.terrain_sample(k, fr, fc)
            cx, level = rc.centre(wz)
            distance = abs(wx - cx)
            above = h - level
            bank = 1.0 - rc.smoothstep(rc.SHORE - 5.0, rc.SHORE + 2.0, distance)
            steep = rc.smoothstep(0.6, 1.2, slope)
            icy = 1.0 - rc.smoothstep(80.0, 220.0, abs(wz - (-420.0)))
            snow = max(rc.smoothstep(16.0, 26.0, above), icy * (1.0 - bank))
            rock = max(bank, steep) * (1.0 - snow * 0.7)
            grass = max(0.0, 1.0 - rock - snow)
            total = grass + rock + snow
            row.append((255 * grass / total, 255 * rock / total, 255 * snow / total))
        rows.append(row)
    return rows


def main():
    args = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    args.add_argument('--out', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
    folder = os.path.join(args.parse_args().out, 'data', 'arts', 'textures')
    os.makedirs(folder, exist_ok=True)

    def save(name, rows):
        write_png(os.path.join(folder, name), rows)

    seed = 100
    for group in (pal.CHARACTERS, pal.ITEMS, pal.SCENERY):
        for name, palette in group.items():
            seed += 1
            if name in ('flag', 'physic_box', 'sun'):
                continue
            save(name + '.png', atlas(palette, seed))
    save('flag.png', flag_cloth())
    save('sun.png', sun())
    save('cartoon_shade.png', cartoon_shade())
    for k, name in enumerate(('ice_cave', 'gold_nugget', 'rock', 'ice', 'boulder')):
        save(name + '_normal.png', normal_map(200 + k, 1.5 if name in ('rock', 'boulder') else 0.8))
    save('water_normal.png', water_normal())
    save('water_shine.png', [[(150 + 90 * v,) * 3 for v in row] for row in noise_field(128, 41, 3, 4)])
    for kind in ('stump', 'fir_tree', 'pine_tree', 'meadow_tree', 'snow_tree', 'forest'):
        save(kind + '.png', tree(kind))
    for kind in ('grass', 'rock', 'snow'):
        save('terrain_%s.png' % kind, terrain_base(kind))
    save('terrain_shine.png', terrain_shine())
    for k in range(len(rc.TERRAIN_Z)):
        save('terrain%d_blend.png' % (k + 1), blend_map(k))


if __name__ == '__main__':
    main()
