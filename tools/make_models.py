#!/usr/bin/env python3
"""Writes every mesh the XML content files name, under data/arts/models/D3D_X_files/ (text .x).

The six characters each ride a tumbo (a striped inner tube) and share one skeleton layout:
root (the tumbo) > Hips > Spine > Head, LeftArm > LeftHand, RightArm > RightHand, plus a Tail
where the character has one. Items hang from these bones ("root", "RightHand", ...). The
animation sets follow the racer's numbering:
  0 pole pull, 1 idle, 2/3 turning idle right/left, 4 paddling, 5/6 paddling turn right/left,
  7 throw, 8 pole cast, 9 slap, 10 wave, 11 cheer, 12 hurt, 13 fall end, 14 fall loop,
  15 fall start, 16 celebrate.
Each character's rig is lifted by how deep its body floats (racer_float.py), so that every tube
rides on the water whatever the character weighs.
The shark has 0 swim and 1 attack; the drill's bit and the propeller's blades spin in their one set. Items and scenery are sized to the hulls their instance files
give; colours come from art_palettes.py, the same cells make_textures.py paints. A character's
tube alone takes its 'vessel' colour.

Run from anywhere:  python3 tools/make_models.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/arts/models/D3D_X_files/).
"""
import argparse
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_palettes as pal  # noqa: E402
import racer_float  # noqa: E402
from xfile_writer import Mesh, rotation, write_x, IDENTITY3  # noqa: E402


def materials_of(palette, textured=True):
    # A unit draws its whole mesh with the mesh's first material, so a textured mesh's materials
    # are all white and its texture holds the colours; an untextured one shows its colour.
    return [('M_%s' % name, (1.0, 1.0, 1.0) if textured else tuple(c / 255.0 for c in colour), 24.0, (0.3, 0.3, 0.3))
            for name, colour in palette.items()]


class Painter:
    """A mesh whose solids are named by palette colour rather than by material number."""

    def __init__(self, palette):
        self.mesh = Mesh()
        self.index = {name: i for i, name in enumerate(palette)}

    def __getattr__(self, solid):
        method = getattr(self.mesh, solid)

        def call(*args, colour, bone='root', **kw):
            i = self.index[colour]
            return method(*args, material=i, bone=bone, cell=pal.cell(i), **kw)
        return call


SKELETON = [('root', None, (0, 0, 0)), ('Hips', 'root', (0, -0.2, 0.05)), ('Spine', 'Hips', (0, 0.2, 0)),
            ('Head', 'Spine', (0, 0.26, 0)), ('LeftArm', 'Spine', (-0.2, 0.12, 0)),
            ('LeftHand', 'LeftArm', (-0.28, 0, 0)), ('RightArm', 'Spine', (0.2, 0.12, 0)),
            ('RightHand', 'RightArm', (0.28, 0, 0))]

X, Y, Z = (1, 0, 0), (0, 1, 0), (0, 0, 1)


def key(t, axis=Y, degrees=0.0, move=None):
    return (t, (axis, degrees), move)


def arm(side, lift, swing):
    """An arm's turn: `lift` raises it (degrees above level), `swing` brings it forward."""
    sign = 1 if side == 'Right' else -1
    z, y = lift * sign, swing * sign
    size = math.hypot(z, y)
    return ((0, y, z) if size else Y), size


def arm_keys(side, poses):
    return [key(t, *arm(side, lift, swing)) for t, lift, swing in poses]


def character_animations(has_tail):
    rest = -55  # arms hanging toward the water over the tube
    sets = []

    def add(name, length, **tracks):
        if has_tail and 'Tail' not in tracks:
            tracks['Tail'] = [key(0, Y, -20), key(length / 2, Y, 20), key(length, Y, -20)]
        sets.append((name, length, {k: v for k, v in tracks.items()}))

    add('PolePull', 1.0,
        Spine=[key(0, X, 0), key(0.3, X, 25), key(1.0, X, 15)],
        RightArm=arm_keys('Right', [(0, 20, 40), (0.3, 75, -20), (1.0, 60, -10)]),
        LeftArm=arm_keys('Left', [(0, 10, 40), (0.3, 60, -20), (1.0, 50, -10)]))
    add('Idle', 2.0,
        Spine=[key(0, X, 0), key(1.0, X, 4), key(2.0, X, 0)],
        Head=[key(0, Y, -12), key(1.0, Y, 12), key(2.0, Y, -12)],
        LeftArm=arm_keys('Left', [(0, rest, 0), (1.0, rest + 6, 0), (2.0, rest, 0)]),
        RightArm=arm_keys('Right', [(0, rest, 0), (1.0, rest + 6, 0), (2.0, rest, 0)]))
    for name, sign in (('TurnRight', -1), ('TurnLeft', 1)):
        add(name, 0.8,
            root=[key(0, Y, 0), key(0.4, Y, 12 * sign), key(0.8, Y, 0)],
            Spine=[key(0, Z, 0), key(0.4, Z, 15 * sign), key(0.8, Z, 0)],
            Head=[key(0, Y, 0), key(0.4, Y, 25 * sign), key(0.8, Y, 0)],
            LeftArm=arm_keys('Left', [(0, rest, 0), (0.8, rest, 0)]),
            RightArm=arm_keys('Right', [(0, rest, 0), (0.8, rest, 0)]))
    add('Paddle', 1.0,
        Hips=[key(0, X, 0, (0, 0, 0)), key(0.5, X, 0, (0, 0.03, 0)), key(1.0, X, 0, (0, 0, 0))],
        Spine=[key(0, X, -8), key(0.5, X, 8), key(1.0, X, -8)],
        LeftArm=arm_keys('Left', [(0, -40, 45), (0.5, -50, -45), (1.0, -40, 45)]),
        RightArm=arm_keys('Right', [(0, -50, -45), (0.5, -40, 45), (1.0, -50, -45)]))
    for name, sign, stroke, still in (('PaddleRight', -1, 'Left', 'Right'), ('PaddleLeft', 1, 'Right', 'Left')):
        add(name, 0.8,
            root=[key(0, Y, 0), key(0.4, Y, 15 * sign), key(0.8, Y, 0)],
            Spine=[key(0, Z, 0), key(0.4, Z, 12 * sign), key(0.8, Z, 0)],
            **{stroke + 'Arm': arm_keys(stroke, [(0, -35, 60), (0.4, -55, -50), (0.8, -35, 60)]),
               still + 'Arm': arm_keys(still, [(0, 10, 10), (0.8, 10, 10)])})
    add('Throw', 0.8,
        Spine=[key(0, Y, 0), key(0.3, Y, -30), key(0.5, Y, 25), key(0.8, Y, 0)],
        RightArm=arm_keys('Right', [(0, 20, 0), (0.3, 60, -60), (0.5, 40, 80), (0.8, 0, 20)]))
    add('PoleCast', 1.0,
        Spine=[key(0, X, 0), key(0.4, X, 15), key(0.7, X, -15), key(1.0, X, -5)],
        RightArm=arm_keys('Right', [(0, 30, 20), (0.4, 85, -40), (0.7, 35, 70), (1.0, 30, 60)]),
        LeftArm=arm_keys('Left', [(0, 20, 40), (0.4, 60, 0), (0.7, 25, 60), (1.0, 25, 55)]))
    add('Slap', 0.6,
        Spine=[key(0, Y, 0), key(0.15, Y, 35), key(0.35, Y, -40), key(0.6, Y, 0)],
        RightArm=arm_keys('Right', [(0, 0, 0), (0.15, 20, -70), (0.35, 10, 90), (0.6, rest, 0)]),
        LeftArm=arm_keys('Left', [(0, rest, 0), (0.6, rest, 0)]))
    add('Wave', 1.5,
        RightArm=[key(0, Z, 70), key(0.375, Z, 100), key(0.75, Z, 70), key(1.125, Z, 100), key(1.5, Z, 70)],
        LeftArm=arm_keys('Left', [(0, rest, 0), (1.5, rest, 0)]))
    add('Cheer', 1.2,
        Hips=[key(0, X, 0, (0, 0, 0)), key(0.3, X, 0, (0, 0.08, 0)), key(0.6, X, 0, (0, 0, 0)),
              key(0.9, X, 0, (0, 0.08, 0)), key(1.2, X, 0, (0, 0, 0))],
        RightArm=arm_keys('Right', [(0, 80, 0), (0.3, 100, 0), (0.6, 80, 0), (0.9, 100, 0), (1.2, 80, 0)]),
        LeftArm=arm_keys('Left', [(0, 80, 0), (0.3, 100, 0), (0.6, 80, 0), (0.9, 100, 0), (1.2, 80, 0)]))
    add('Hurt', 1.2,
        root=[key(0, Y, 0), key(0.3, Y, 90), key(0.6, Y, 180), key(0.9, Y, 270), key(1.2, Y, 360)],
        Spine=[key(0, X, 0), key(0.2, X, 35), key(1.2, X, 25)],
        Head=[key(0, Z, 0), key(0.3, Z, 25), key(0.6, Z, -25), key(0.9, Z, 25), key(1.2, Z, 0)],
        LeftArm=arm_keys('Left', [(0, rest, 0), (0.3, 60, -30), (0.6, 20, 30), (1.2, 40, 0)]),
        RightArm=arm_keys('Right', [(0, rest, 0), (0.3, 20, 30), (0.6, 60, -30), (1.2, 40, 0)]))
    add('FallEnd', 0.8,
        root=[key(0, X, -20, (0, 0.3, 0)), key(0.3, X, 8, (0, -0.1, 0)), key(0.8, X, 0, (0, 0, 0))],
        Spine=[key(0, X, -35), key(0.3, X, 15), key(0.8, X, 0)],
        LeftArm=arm_keys('Left', [(0, 90, 0), (0.3, 20, 0), (0.8, rest, 0)]),
        RightArm=arm_keys('Right', [(0, 90, 0), (0.3, 20, 0), (0.8, rest, 0)]))
    add('FallLoop', 0.6,
        root=[key(0, X, -15, (0, 0.3, 0)), key(0.3, X, -30, (0, 0.3, 0)), key(0.6, X, -15, (0, 0.3, 0))],
        Spine=[key(0, X, -30), key(0.3, X, -40), key(0.6, X, -30)],
        LeftArm=arm_keys('Left', [(0, 110, 20), (0.15, 80, -20), (0.3, 110, 20), (0.45, 80, -20), (0.6, 110, 20)]),
        RightArm=arm_keys('Right', [(0, 80, -20), (0.15, 110, 20), (0.3, 80, -20), (0.45, 110, 20), (0.6, 80, -20)]),
        Head=[key(0, X, -20), key(0.6, X, -20)])
    add('FallStart', 0.6,
        root=[key(0, X, 0, (0, 0, 0)), key(0.6, X, -15, (0, 0.3, 0))],
        Spine=[key(0, X, 0), key(0.6, X, -30)],
        LeftArm=arm_keys('Left', [(0, rest, 0), (0.6, 110, 20)]),
        RightArm=arm_keys('Right', [(0, rest, 0), (0.6, 80, -20)]))
    # The character-selection line-up plays this set: the rider bounces and rocks on its tube with
    # its face kept forward, toward the selection camera.
    add('Celebrate', 1.5,
        root=[key(0, Z, -6), key(0.75, Z, 6), key(1.5, Z, -6)],
        Hips=[key(0, X, 0, (0, 0, 0)), key(0.375, X, 0, (0, 0.06, 0)), key(0.75, X, 0, (0, 0, 0)),
              key(1.125, X, 0, (0, 0.06, 0)), key(1.5, X, 0, (0, 0, 0))],
        Head=[key(0, Z, -10), key(0.75, Z, 10), key(1.5, Z, -10)],
        RightArm=arm_keys('Right', [(0, 70, 0), (0.375, 110, 0), (0.75, 70, 0), (1.125, 110, 0), (1.5, 70, 0)]),
        LeftArm=arm_keys('Left', [(0, 110, 0), (0.375, 70, 0), (0.75, 110, 0), (1.125, 70, 0), (1.5, 110, 0)]))
    return sets


# The shapes below are drawn around the tube's centre at this height; each character's rig is then
# lifted to bring the tube's centre TUBE_RIDE above the surface's height midway between the body at
# rest and racing (racer_float.riding_line): at the start most of the tube's upper half shows over
# the river's drawn waves, and racing, where the body rides higher, its underside still skims them.
TUBE_Y = -0.3
TUBE_RIDE = 0.14


# How thick each character's tube is (the radius of its cross-section): it spans the body's rise
# between rest and racing, which grows with how deep the body floats. The light alien's is a
# flatter, saucer-like ring; the heaviest rider's the fattest.
TUBE_THICKNESS = {'monkey': 0.25, 'hillbilly': 0.25, 'alien': 0.22, 'bear': 0.29, 'moviestar': 0.25, 'fish': 0.25}

# The tube's outer edge meets its hull's sides and stops this short of its ends.
TUBE_LENGTH_SHARE = 0.92


def tumbo(p, centre=(0, TUBE_Y, 0), ring=0.44, thickness=0.17, stretch=1.7):
    # The tube, striped by its texture cell, with a seat across it.
    p.torus(centre, ring, thickness, colour='vessel', stretch=stretch, slices=16, sides=8)
    p.box((centre[0], centre[1] - 0.05, centre[2] + 0.05), (0.75, 0.08, 0.7), colour='stripe')


def racer_tumbo(p, hull, thickness):
    # A racer's tube fills its hull's footprint.
    ring = hull[0] / 2 - thickness
    tumbo(p, ring=ring, thickness=thickness, stretch=(hull[2] / 2 * TUBE_LENGTH_SHARE - thickness) / ring)


def rider_arms(p, colour, hand, length=0.3, radius=0.055):
    for side, sign in (('Left', -1), ('Right', 1)):
        shoulder = (0.2 * sign, 0.12, 0.05)
        p.tube((shoulder[0] + sign * length / 2, shoulder[1], shoulder[2]), radius, radius * 0.85, length,
               colour=colour, bone=side + 'Arm', rot=rotation(Z, 90), slices=6, caps=False)
        p.ellipsoid((shoulder[0] + sign * (length + 0.05), shoulder[1], shoulder[2]), (0.07, 0.07, 0.07),
                    colour=hand, bone=side + 'Hand', slices=6, stacks=4)


def eyes(p, y, z, spread, size, bone='Head', white='white'):
    for sign in (-1, 1):
        p.ellipsoid((spread * sign, y, z), (size, size, size * 0.6), colour=white, bone=bone, slices=6, stacks=4)
        p.ellipsoid((spread * sign, y, z - size * 0.5), (size * 0.5, size * 0.5, size * 0.3), colour='eye',
                    bone=bone, slices=6, stacks=4)


def monkey(p):
    p.ellipsoid((0, -0.05, 0.05), (0.22, 0.26, 0.2), colour='fur', bone='Spine')
    p.ellipsoid((0, -0.04, -0.1), (0.14, 0.17, 0.08), colour='face', bone='Spine')
    p.ellipsoid((0, 0.32, 0.05), (0.17, 0.16, 0.16), colour='fur', bone='Head')
    p.ellipsoid((0, 0.29, -0.08), (0.12, 0.09, 0.06), colour='face', bone='Head')
    for sign in (-1, 1):
        p.ellipsoid((0.19 * sign, 0.34, 0.05), (0.07, 0.08, 0.03), colour='face', bone='Head', slices=6, stacks=4)
    eyes(p, 0.36, -0.1, 0.05, 0.035)
    rider_arms(p, 'fur', 'face', length=0.36)
    p.tube((0, -0.05, 0.45), 0.035, 0.025, 0.45, colour='fur', bone='Tail', rot=rotation(X, 60), slices=5)


def hillbilly(p):
    p.ellipsoid((0, -0.04, 0.05), (0.24, 0.28, 0.21), colour='fur', bone='Spine')
    p.box((0, 0.08, -0.1), (0.3, 0.14, 0.12), colour='shirt', bone='Spine')
    p.ellipsoid((0, 0.32, 0.05), (0.15, 0.16, 0.15), colour='face', bone='Head')
    p.ellipsoid((0, 0.24, -0.06), (0.13, 0.1, 0.08), colour='beard', bone='Head')
    p.tube((0, 0.45, 0.05), 0.3, 0.3, 0.025, colour='white', bone='Head', slices=12)
    p.tube((0, 0.5, 0.05), 0.14, 0.12, 0.1, colour='white', bone='Head', slices=10)
    eyes(p, 0.36, -0.09, 0.05, 0.03)
    rider_arms(p, 'shirt', 'face')


def alien(p):
    # A big head with antennae.
    p.ellipsoid((0, -0.1, 0.05), (0.16, 0.2, 0.15), colour='fur', bone='Spine')
    p.ellipsoid((0, 0.32, 0.05), (0.23, 0.2, 0.2), colour='face', bone='Head')
    for sign in (-1, 1):
        p.ellipsoid((0.09 * sign, 0.32, -0.12), (0.07, 0.05, 0.03), colour='eye', bone='Head', slices=6, stacks=4)
        p.tube((0.1 * sign, 0.55, 0.05), 0.012, 0.012, 0.18, colour='fur', bone='Head', rot=rotation(Z, -20 * sign),
               slices=4)
        p.ellipsoid((0.13 * sign, 0.65, 0.05), (0.035, 0.035, 0.035), colour='white', bone='Head', slices=6, stacks=4)
    rider_arms(p, 'fur', 'face', length=0.38, radius=0.035)


def bear(p):
    p.ellipsoid((0, -0.02, 0.05), (0.29, 0.3, 0.26), colour='fur', bone='Spine')
    p.ellipsoid((0, -0.02, -0.15), (0.18, 0.2, 0.08), colour='face', bone='Spine')
    p.ellipsoid((0, 0.32, 0.05), (0.19, 0.17, 0.17), colour='fur', bone='Head')
    p.ellipsoid((0, 0.28, -0.12), (0.08, 0.06, 0.07), colour='face', bone='Head', slices=8, stacks=5)
    p.ellipsoid((0, 0.3, -0.19), (0.03, 0.025, 0.02), colour='eye', bone='Head', slices=6, stacks=4)
    for sign in (-1, 1):
        p.ellipsoid((0.14 * sign, 0.46, 0.05), (0.06, 0.06, 0.04), colour='fur', bone='Head', slices=6, stacks=4)
    eyes(p, 0.36, -0.11, 0.07, 0.025, white='face')
    rider_arms(p, 'fur', 'white', length=0.32, radius=0.08)


def moviestar(p):
    p.ellipsoid((0, -0.04, 0.05), (0.2, 0.28, 0.18), colour='fur', bone='Spine')
    p.box((0, 0.06, -0.12), (0.08, 0.2, 0.04), colour='white', bone='Spine')
    p.ellipsoid((0, 0.32, 0.05), (0.13, 0.16, 0.14), colour='face', bone='Head')
    p.ellipsoid((0, 0.42, 0.08), (0.15, 0.09, 0.16), colour='hair', bone='Head')
    p.box((0, 0.35, -0.09), (0.24, 0.05, 0.03), colour='eye', bone='Head')
    rider_arms(p, 'fur', 'face')
    p.ellipsoid((0.56, 0.13, 0.05), (0.04, 0.04, 0.04), colour='hair', bone='RightHand', slices=6, stacks=4)


def fish(p):
    p.ellipsoid((0, 0.1, 0.05), (0.2, 0.42, 0.22), colour='fur', bone='Spine')
    p.ellipsoid((0, 0.05, -0.12), (0.13, 0.3, 0.1), colour='face', bone='Spine')
    p.ellipsoid((0, 0.42, -0.02), (0.1, 0.04, 0.08), colour='face', bone='Head', slices=8, stacks=4)
    eyes(p, 0.4, -0.1, 0.11, 0.05)
    p.box((0, 0.48, 0.12), (0.02, 0.18, 0.22), colour='face', bone='Head')
    rider_arms(p, 'fur', 'face', length=0.22, radius=0.03)
    p.box((0, -0.05, 0.42), (0.03, 0.34, 0.2), colour='face', bone='Tail')


CHARACTER_SHAPES = {'monkey': (monkey, True), 'hillbilly': (hillbilly, False), 'alien': (alien, False),
                    'bear': (bear, False), 'moviestar': (moviestar, False), 'fish': (fish, True)}


def write_character(folder, name):
    shape, has_tail = CHARACTER_SHAPES[name]
    palette = pal.CHARACTERS[name]
    p = Painter(palette)
    racer_tumbo(p, racer_float.HULLS[name], TUBE_THICKNESS[name])
    shape(p)
    # The root stays on the body's position, where the shark swims; every solid and the rider's
    # bones (all under Hips) go up together.
    lift = racer_float.riding_line(name) + TUBE_RIDE - TUBE_Y
    p.mesh.positions = [(x, y + lift, z) for x, y, z in p.mesh.positions]
    bones = [(bone, parent, (o[0], o[1] + lift, o[2]) if bone == 'Hips' else o) for bone, parent, o in SKELETON]
    if has_tail:
        bones.append(('Tail', 'Hips', (0, 0.05, 0.25)))
    write_x(os.path.join(folder, name + '.x'), p.mesh, materials_of(palette), bones, character_animations(has_tail))


def item_models():
    # Sized to the hulls of the items' instance files (box x, y, z; cylinder height along y, radius).
    out = {}
    p = Painter(pal.ITEMS['bait'])  # box 0.4 x 0.3 x 0.6: a worm on a hook
    for i in range(5):
        p.ellipsoid((0.08 * math.sin(i * 1.3), 0, -0.24 + i * 0.12), (0.09, 0.09, 0.08),
                    colour='body' if i % 2 else 'band', slices=8, stacks=5)
    p.torus((0, 0.02, 0.22), 0.09, 0.015, colour='hook', rot=rotation(Z, 90), slices=10, sides=4)
    out['bait'] = (p, None)
    p = Painter(pal.ITEMS['fishingpole'])  # box 0.2 x 0.2 x 2.5, along z
    p.tube((0, 0, -0.2), 0.03, 0.008, 2.1, colour='rod', rot=rotation(X, 90), slices=6)
    p.tube((0, 0, 1.0), 0.05, 0.05, 0.45, colour='grip', rot=rotation(X, 90), slices=8)
    p.tube((0, -0.06, 0.7), 0.06, 0.06, 0.18, colour='reel', rot=rotation(Z, 90), slices=10)
    p.torus((0, -0.05, -1.22), 0.03, 0.006, colour='line', rot=rotation(Z, 90), slices=8, sides=3)
    out['fishingpole'] = (p, None)
    p = Painter(pal.ITEMS['drill'])  # cylinder 1.2 high, radius 0.35; the bit spins about y
    p.tube((0, -0.25, 0), 0.02, 0.3, 0.7, colour='bit', bone='Spin', slices=10)
    p.tube((0, 0.3, 0), 0.33, 0.3, 0.4, colour='body', slices=12)
    p.tube((0, 0.55, 0), 0.08, 0.08, 0.1, colour='grip', slices=8)
    for k in range(3):
        p.torus((0, -0.45 + k * 0.2, 0), 0.1 + k * 0.07, 0.03, colour='bit', bone='Spin', slices=10, sides=4)
    out['drill'] = (p, Y)
    p = Painter(pal.ITEMS['mine'])  # cylinder 0.6 high, radius 0.5
    p.ellipsoid((0, 0, 0), (0.38, 0.3, 0.38), colour='shell', slices=12, stacks=8)
    for k in range(8):
        a = 2 * math.pi * k / 8
        p.tube((0.38 * math.cos(a), 0, 0.38 * math.sin(a)), 0.04, 0.005, 0.22, colour='spike',
               rot=rotation((math.sin(a), 0, -math.cos(a)), 90), slices=5)
    p.tube((0, 0.32, 0), 0.04, 0.0, 0.1, colour='spike', slices=5)
    p.ellipsoid((0, 0.28, 0), (0.06, 0.04, 0.06), colour='light', slices=6, stacks=4)
    out['mine'] = (p, None)
    p = Painter(pal.ITEMS['propeller'])  # box 0.6 x 0.6 x 0.3: blades in the xy plane, spinning about z
    p.tube((0, 0, 0), 0.07, 0.07, 0.24, colour='hub', bone='Spin', rot=rotation(X, 90), slices=8)
    for k in range(3):
        a = 120 * k
        r = rotation(Z, a)
        c = (0.15 * math.cos(math.radians(a + 90)), 0.15 * math.sin(math.radians(a + 90)), 0)
        p.box(c, (0.12, 0.25, 0.02), colour='blade', bone='Spin', rot=r)
    p.torus((0, 0, 0), 0.28, 0.015, colour='cage', rot=rotation(X, 90), slices=16, sides=4)
    out['propeller'] = (p, Z)
    return out


def shark():
    # Box 1.0 x 1.2 x 3.0: nose toward -z, a jaw that opens in the attack set.
    palette = pal.ITEMS['shark']
    p = Painter(palette)
    p.ellipsoid((0, 0.05, 0), (0.38, 0.42, 1.2), colour='back', bone='root', slices=12, stacks=8)
    p.ellipsoid((0, -0.12, -0.1), (0.3, 0.25, 1.0), colour='belly', bone='root', slices=10, stacks=6)
    p.ellipsoid((0, -0.2, -0.85), (0.22, 0.08, 0.4), colour='mouth', bone='Jaw', slices=8, stacks=5)
    for k in range(6):
        p.tube((-0.15 + k * 0.06, -0.12, -1.05 + abs(k - 2.5) * 0.04), 0.02, 0.0, 0.08, colour='teeth',
               bone='Jaw', rot=rotation(X, 180), slices=3)
    p.box((0, 0.6, 0.1), (0.06, 0.4, 0.35), colour='back', bone='root', rot=rotation(X, -25))
    p.box((0, 0.05, 1.35), (0.05, 0.6, 0.25), colour='back', bone='Tail', rot=rotation(X, 15))
    for sign in (-1, 1):
        p.box((0.45 * sign, -0.15, -0.2), (0.4, 0.04, 0.25), colour='back', bone='root', rot=rotation(Z, -20 * sign))
        p.ellipsoid((0.25 * sign, 0.12, -0.85), (0.04, 0.05, 0.04), colour='eye', bone='root', slices=6, stacks=4)
    bones = [('root', None, (0, 0, 0)), ('Jaw', 'root', (0, -0.1, -0.5)), ('Tail', 'root', (0, 0, 1.0))]
    animations = [
        ('Swim', 1.0, {'Tail': [key(0, Y, -20), key(0.5, Y, 20), key(1.0, Y, -20)],
                       'Jaw': [key(0, X, 0), key(0.5, X, 5), key(1.0, X, 0)]}),
        ('Attack', 1.0, {'Tail': [key(0, Y, -30), key(0.25, Y, 30), key(0.5, Y, -30), key(0.75, Y, 30), key(1.0, Y, -30)],
                         'Jaw': [key(0, X, 0), key(0.4, X, 35), key(0.8, X, 35), key(1.0, X, 0)],
                         'root': [key(0, X, 0), key(0.4, X, -15), key(1.0, X, 5)]}),
    ]
    return p, bones, animations


def lathe(p, profile, colour, slices=20):
    """A solid turned about the y axis: `profile` walks its surface as (radius, height) points, and
    the surface faces the walk's right-hand side (outward where the walk goes down the outside)."""
    grid = []
    last = len(profile) - 1
    for k, (r, y) in enumerate(profile):
        (r0, y0), (r1, y1) = profile[max(k - 1, 0)], profile[min(k + 1, last)]
        nr, ny = -(y1 - y0), r1 - r0
        row = []
        for j in range(slices + 1):
            a = 2 * math.pi * j / slices
            c, s = math.cos(a), math.sin(a)
            row.append(((r * c, y, r * s), (nr * c, ny, nr * s), (j / slices, k / last)))
        grid.append(row)
    p._add_grid(grid, colour=colour)


def trophy():
    # The gold model (its files keep the nugget's name): the winner's cup that the victory screen
    # turns over the winner, and the prizes standing along the river. A dark plinth with a plate, a
    # foot, a stem with a knop, a deep bowl (its inside turned too, so that it reads as a cup from
    # above) with a band under the lip, and two handles standing out at the sides; drawn half a
    # metre high, then brought within its box 0.6 x 0.4 x 0.6.
    p = Painter(pal.SCENERY['gold_nugget'])
    p.box((0, -0.21, 0), (0.3, 0.08, 0.3), colour='plinth')
    for z in (-0.151, 0.151):
        p.box((0, -0.21, z), (0.13, 0.035, 0.004), colour='shine')
    p.tube((0, -0.155, 0), 0.1, 0.045, 0.03, colour='gold', slices=20)
    p.tube((0, -0.09, 0), 0.024, 0.024, 0.11, colour='gold', slices=12, caps=False)
    p.ellipsoid((0, -0.085, 0), (0.045, 0.03, 0.045), colour='shine', slices=12, stacks=6)
    bowl = [(0.0, 0.03), (0.06, 0.036), (0.1, 0.07), (0.126, 0.13), (0.138, 0.2), (0.142, 0.235), (0.152, 0.247),
            (0.162, 0.235), (0.158, 0.2), (0.147, 0.13), (0.12, 0.065), (0.07, 0.005), (0.024, -0.035)]
    lathe(p, [(r * 1.25 if y > -0.03 else r, y) for r, y in bowl], 'gold')
    p.torus((0, 0.19, 0), 0.195, 0.009, colour='shine', slices=24, sides=5)
    for sign in (-1, 1):
        p.torus((0.21 * sign, 0.125, 0), 0.068, 0.018, colour='gold', rot=rotation(X, 90), slices=16, sides=6)
    p.mesh.positions = [(x * 0.8, y * 0.8, z * 0.8) for x, y, z in p.mesh.positions]
    return p


def scenery_models():
    out = {}
    p = Painter(pal.SCENERY['item_jug'])  # box 1.0 x 1.4 x 1.0
    p.ellipsoid((0, -0.15, 0), (0.48, 0.52, 0.48), colour='body', slices=14, stacks=9)
    p.torus((0, -0.1, 0), 0.47, 0.04, colour='band', slices=16, sides=4)
    p.tube((0, 0.45, 0), 0.17, 0.12, 0.3, colour='body', slices=10)
    p.tube((0, 0.65, 0), 0.1, 0.09, 0.1, colour='cork', slices=8)
    p.torus((0.35, 0.2, 0), 0.17, 0.04, colour='body', rot=rotation(X, 90), slices=10, sides=4)
    p.box((0, -0.1, -0.47), (0.08, 0.3, 0.04), colour='mark')
    p.box((0, -0.35, -0.47), (0.08, 0.08, 0.04), colour='mark')
    out['item_jug'] = p
    p = Painter(pal.SCENERY['box'])  # box 2 x 2 x 2: a crate
    p.box((0, 0, 0), (1.9, 1.9, 1.9), colour='wood')
    for y in (-0.9, 0.9):
        p.box((0, y, 0), (2.0, 0.2, 2.0), colour='plank')
    for x in (-0.9, 0.9):
        for z in (-0.9, 0.9):
            p.box((x, 0, z), (0.2, 2.0, 0.2), colour='metal')
    out['box'] = p
    p = Painter(pal.SCENERY['ice_cave'])  # box 24 x 14 x 30: an arch over the river along z
    steps = 9
    for k in range(steps):
        a = math.pi * (k + 0.5) / steps
        x, y = 10.5 * math.cos(a), 12.0 * math.sin(a) - 7.0
        p.box((x, y, 0), (3.2, 4.2, 30.0), colour='ice' if k % 2 else 'deep', rot=rotation(Z, math.degrees(a) - 90))
    for k in range(12):
        p.tube((-8 + k * 1.5, 2.5 - (k % 3) * 0.5, -14.5 + (k % 4) * 0.6), 0.35, 0.0, 2.0, colour='snow',
               rot=rotation(X, 180), slices=5)
    p.box((0, 6.3, 0), (10, 1.2, 30.0), colour='snow')
    out['ice_cave'] = p
    out['gold_nugget'] = trophy()
    p = Painter(pal.SCENERY['rock'])  # within its hull: a cylinder 1.8 high, radius 1.1
    p.ellipsoid((0, -0.05, 0), (1.05, 0.85, 1.0), colour='stone', slices=8, stacks=6)
    p.ellipsoid((0.3, 0.4, 0.2), (0.6, 0.45, 0.55), colour='moss', slices=6, stacks=4)
    out['rock'] = p
    p = Painter(pal.SCENERY['ice'])  # a floe within its hull: a cylinder 1 high, radius 1.45
    p.tube((0, -0.1, 0), 1.45, 1.35, 0.8, colour='ice', slices=7)
    p.tube((0, 0.35, 0), 1.2, 1.0, 0.1, colour='snow', slices=7)
    out['ice'] = p
    for name, height, radius in (('log1', 6.0, 0.5), ('log2', 7.0, 0.55), ('log3', 5.0, 0.45)):
        p = Painter(pal.SCENERY[name])  # cylinder along y, as its hull
        p.tube((0, 0, 0), radius, radius * 0.95, height, colour='bark', slices=10, caps=False)
        for y in (-height / 2, height / 2):
            p.tube((0, y, 0), radius * 0.97, radius * 0.97, 0.02, colour='wood', slices=10)
        p.tube((radius * 0.8, height * 0.15, 0), 0.08, 0.04, 0.7, colour='bark', rot=rotation(Z, -50), slices=5)
        out[name] = p
    p = Painter(pal.SCENERY['boulder'])  # cylinder 3 high, radius 1.6
    p.ellipsoid((0, 0, 0), (1.55, 1.45, 1.5), colour='stone', slices=10, stacks=7)
    p.ellipsoid((-0.4, 0.9, 0.3), (0.8, 0.45, 0.7), colour='moss', slices=7, stacks=4)
    out['boulder'] = p
    p = Painter(pal.SCENERY['ramp'])  # the hull's wedge: x +-1.5, y 0..0.6 rising toward -z, z +-2
    mesh, i = p.mesh, p.index
    top = [(-1.5, 0, 2), (1.5, 0, 2), (-1.5, 0.6, -2), (1.5, 0.6, -2)]
    slope = (0, 4.0, 0.6)
    mesh.quad((top[2], top[3], top[0], top[1]), slope, i['wood'], 'root', pal.cell(i['wood']))
    mesh.quad(((1.5, 0.6, -2), (-1.5, 0.6, -2), (1.5, 0, -2), (-1.5, 0, -2)), (0, 0, -1), i['side'], 'root',
              pal.cell(i['side']))
    mesh.quad(((-1.5, 0, -2), (1.5, 0, -2), (-1.5, 0, 2), (1.5, 0, 2)), (0, -1, 0), i['side'], 'root',
              pal.cell(i['side']))
    for x, n in ((-1.5, (-1, 0, 0)), (1.5, (1, 0, 0))):
        mesh.triangle(((x, 0.6, -2), (x, 0, -2), (x, 0, 2)), n, i['side'], 'root', pal.cell(i['side']))
    for k in range(3):
        z = 1.2 - k * 1.2
        y = 0.6 * (2 - z) / 4 + 0.01
        mesh.quad(((-1.4, y + 0.045, z - 0.3), (1.4, y + 0.045, z - 0.3), (-1.4, y, z), (1.4, y, z)), slope,
                  i['stripe'], 'root', pal.cell(i['stripe']))
    out['ramp'] = p
    p = Painter(pal.SCENERY['finish_line'])  # across the stream from bank to bank: two poles and a banner
    for x in (-17.0, 17.0):
        p.tube((x, 2.5, 0), 0.2, 0.15, 6.0, colour='pole', slices=8)
        p.ellipsoid((x, 5.6, 0), (0.3, 0.3, 0.3), colour='red', slices=8, stacks=5)
    p.box((0, 4.6, 0), (34.0, 1.6, 0.15), colour='banner')
    for k in range(34):
        for row in range(2):
            if (k + row) % 2 == 0:
                p.box((-16.5 + k, 4.2 + row * 0.8, 0), (1.0, 0.8, 0.2), colour='check')
    out['finish_line'] = p
    return out


def flag():
    # The pole at u = 0 of the texture, the cloth from u = 0 outward: the flag effect ripples it by u.
    palette = pal.SCENERY['flag']
    p = Painter(palette)
    mesh = p.mesh
    pole = p.index['pole']
    mesh.tube((0, 2.0, 0), 0.06, 0.05, 4.0, material=pole, bone='root', cell=(0, 0, 0.001, 1), slices=6)
    cloth = p.index['cloth']
    grid = []
    for r in range(5):
        row = []
        for c in range(11):
            u, v = c / 10, r / 4
            row.append(((0.05 + 1.6 * u, 3.9 - v * 1.0, 0.0), (0, 0, -1), (u, v)))
        grid.append(row)
    # One-sided: the flag effect draws without culling.
    mesh._add_grid(grid, cloth, 'root', (0, 0, 1, 1))
    return p


def simple(palette, build):
    p = Painter(palette)
    build(p)
    return p


def main():
    args = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    args.add_argument('--out', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
    folder = os.path.join(args.parse_args().out, 'data', 'arts', 'models', 'D3D_X_files')
    os.makedirs(folder, exist_ok=True)
    for name in pal.CHARACTERS:
        write_character(folder, name)
    for name, (p, spin) in item_models().items():
        bones, animations = [('root', None, (0, 0, 0))], []
        if spin:
            # The one set plays from loading on; the item's builder sets its speed.
            bones.append(('Spin', 'root', (0, 0, 0)))
            animations = [('Spin', 0.5, {'Spin': [key(t * 0.125, spin, 90 * t) for t in range(5)]})]
        write_x(os.path.join(folder, name + '.x'), p.mesh, materials_of(pal.ITEMS[name]), bones, animations)
    p, bones, animations = shark()
    write_x(os.path.join(folder, 'shark.x'), p.mesh, materials_of(pal.ITEMS['shark']), bones, animations)
    for name, p in scenery_models().items():
        write_x(os.path.join(folder, name + '.x'), p.mesh, materials_of(pal.SCENERY[name]))
    write_x(os.path.join(folder, 'flag.x'), flag().mesh, materials_of(pal.SCENERY['flag']))
    # The credits' tumbos: the tube alone (box 1.2 x 0.6 x 2.0), one mesh for both colourings.
    p = simple(pal.SCENERY['tumbo01'], lambda p: tumbo(p, centre=(0, 0, 0), ring=0.42, thickness=0.18))
    write_x(os.path.join(folder, 'tumbo.x'), p.mesh, materials_of({'vessel': (255, 255, 255), 'stripe': (230, 230, 230)}))
    # Unit volumes: the physics box and cylinder and the end-of-level box are scaled by placement.
    volume = {'wire': (255, 0, 255)}
    write_x(os.path.join(folder, 'physic_box.x'), simple(volume, lambda p: p.box((0, 0, 0), (1, 1, 1), colour='wire')).mesh,
            materials_of(volume, textured=False))
    write_x(os.path.join(folder, 'physic_cylinder.x'),
            simple(volume, lambda p: p.tube((0, 0, 0), 1.0, 1.0, 1.0, colour='wire', slices=12)).mesh,
            materials_of(volume, textured=False))
    write_x(os.path.join(folder, 'end_level.x'), simple(volume, lambda p: p.box((0, 0, 0), (1, 1, 1), colour='wire')).mesh,
            materials_of(volume, textured=False))
    write_x(os.path.join(folder, 'sun.x'),
            simple(pal.SCENERY['sun'], lambda p: p.ellipsoid((0, 0, 0), (20, 20, 20), colour='sun', slices=12, stacks=8)).mesh,
            materials_of(pal.SCENERY['sun']))
    # The billboard quad: 1 m wide, standing on its base, facing -z; the units scale it per tree.
    quad = Mesh()
    quad.quad(((-0.5, 1, 0), (0.5, 1, 0), (-0.5, 0, 0), (0.5, 0, 0)), (0, 0, -1), 0, 'root', (0, 0, 1, 1))
    write_x(os.path.join(folder, 'billboard_quad.x'), quad, [('M_tree', (1, 1, 1), 1.0, (0, 0, 0))])


if __name__ == '__main__':
    main()
