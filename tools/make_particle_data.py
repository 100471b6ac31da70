#!/usr/bin/env python3
"""Writes the particle-system table (data/files/xmlfiles/particle_sys_table.xml), one template
file per particle system the game names (data/files/xmlfiles/particle_sys/) and the cursor file
(data/files/xmlfiles/CursorInit.xml).

Rates are per drawn update (about sixty a second): a life of 1.0 with a death rate of 0.02 lasts
fifty updates. Colours are ARGB words written as signed 32-bit integers, as the reader takes them.

Run from the repository root:  python3 tools/make_particle_data.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generated_files import output_root  # noqa: E402

ROOT = os.path.join(output_root(__doc__), 'data', 'files', 'xmlfiles')
SYS_DIR = os.path.join(ROOT, 'particle_sys')
os.makedirs(SYS_DIR, exist_ok=True)


def fmt(v):
    if isinstance(v, str):
        return v
    if isinstance(v, int):
        return str(v)
    s = ('%.4f' % v).rstrip('0').rstrip('.')
    return '0' if s in ('-0', '') else s


def argb(a, r, g, b):
    word = (a << 24) | (r << 16) | (g << 8) | b
    return word - (1 << 32) if word >= 1 << 31 else word


def write(path, lines):
    with open(path, 'w', newline='\n') as out:
        out.write('\n'.join(lines) + '\n')


ROLES = ['ColorInit', 'LifeInit', 'SizeInit', 'PosInit', 'VelInit',
         'ColorUpdate', 'LifeUpdate', 'SizeUpdate', 'PosUpdate', 'VelUpdate']
# The element each functor reads its parameters from.
ELEMENT = {'circle_position_init': 'circle_pos_init'}


# The parameters that are lengths (or lengths per update), by functor: a system the game makes at
# a unit scale of its own has them divided by that scale, so that its sizes, speeds and culling
# radius are the metres written here once the scale applies. A quad's z size stays: it only
# offsets the quad along its own facing.
LENGTHS = {
    'random_size_init': ('xMin', 'yMin', 'xMax', 'yMax'),
    'normal_size_init': ('x', 'y'),
    'normal_size_update': ('xRate', 'yRate', 'xLimit', 'yLimit'),
    'normal_position_init': ('xPos', 'yPos', 'zPos'),
    'circle_position_init': ('radius',),
    'normal_velocity_init': ('x', 'y', 'z'),
    'random_velocity_init': ('xMin', 'yMin', 'zMin', 'xMax', 'yMax', 'zMax'),
    'gravity_velocity_update': ('x', 'y', 'z'),
    'cosine_velocity_update': ('amplitude',),
}


def in_units(functors, unit):
    """The functors with their lengths in units of `unit` metres."""
    scaled = []
    for functor, params in functors:
        lengths = LENGTHS.get(functor, ())
        scaled.append((functor, [(key, value / unit if key in lengths else value) for key, value in params]))
    return scaled


def system(file_name, name, texture, limit, rate, radius, life, functors, dead_all_at_once=0, infinite=0, unit=1.0):
    """functors: ten (functor name, [(parameter, value), ...]) in role order; lengths in metres.
    `unit` is the scale the game makes the system at (1: placed by a level at its own size)."""
    assert len(functors) == 10
    functors = in_units(functors, unit)
    radius /= unit
    lines = ['<particle_system>', '\t<particle_sys_data>']
    data = [('sys_name', name), ('sys_texture', texture), ('sys_limit', limit), ('sys_emit_rate', rate),
            ('sys_radius', radius), ('sys_is_dead_all_at_once', dead_all_at_once), ('sys_is_infinite', infinite),
            ('sys_life', life)]
    data += [('sys_' + role, f[0]) for role, f in zip(ROLES, functors)]
    for key, value in data:
        lines.append('\t\t<%s>%s</%s>' % (key, fmt(value), key))
    lines += ['\t</particle_sys_data>', '\t<functor_data>']
    for functor, params in functors:
        if functor == 'null':
            continue
        element = ELEMENT.get(functor, functor)
        lines.append('\t\t<%s>' % element)
        for key, value in params:
            lines.append('\t\t\t<%s>%s</%s>' % (key, fmt(value), key))
        lines.append('\t\t</%s>' % element)
    lines += ['\t</functor_data>', '</particle_system>']
    write(os.path.join(SYS_DIR, file_name), lines)
    return file_name


def colour(a, r, g, b):
    return ('normal_color_init', [('color_norm_init', argb(a, r, g, b))])


def rand_colour(low, high):
    names = ['red', 'green', 'blue', 'alpha']
    params = []
    for i, n in enumerate(names):
        params += [(n + '_low_range', low[i]), (n + '_high_range', high[i])]
    return ('random_color_init', params)


def life(v):
    return ('normal_life_init', [('life', v)])


def rand_life(lo, hi):
    return ('random_life_init', [('min_life', lo), ('max_life', hi)])


def size(x, y, z=1.0):
    return ('normal_size_init', [('x', x), ('y', y), ('z', z)])


def rand_size(lo, hi):
    return ('random_size_init', [('xMin', lo), ('yMin', lo), ('zMin', 1.0), ('xMax', hi), ('yMax', hi), ('zMax', 1.0)])


def at(x=0.0, y=0.0, z=0.0):
    return ('normal_position_init', [('xPos', x), ('yPos', y), ('zPos', z), ('radius', 0.0), ('angle', 0.0),
                                     ('xAxis', 0.0), ('yAxis', 1.0), ('zAxis', 0.0)])


def circle(radius, yaw=0.0, pitch=0.0, roll=0.0):
    return ('circle_position_init', [('xOrigin', 0.0), ('yOrigin', 0.0), ('zOrigin', 0.0), ('radius', radius),
                                     ('yaw', yaw), ('pitch', pitch), ('roll', roll)])


def velocity(x, y, z):
    return ('normal_velocity_init', [('x', x), ('y', y), ('z', z)])


def rand_velocity(lo, hi):
    return ('random_velocity_init', [('xMin', lo[0]), ('yMin', lo[1]), ('zMin', lo[2]),
                                     ('xMax', hi[0]), ('yMax', hi[1]), ('zMax', hi[2])])


def fade(rate):
    return ('fade_color_update', [('fade_rate', rate)])


def exp_fade(rate, exponent, time_rate):
    return ('exponential_color_update', [('fade_rate', rate), ('exponent', exponent), ('time_rate', time_rate)])


def dying(rate):
    return ('normal_life_update', [('death_rate', rate)])


def growing(rate, limit):
    return ('normal_size_update', [('xRate', rate), ('yRate', rate), ('zRate', 0.0),
                                   ('xLimit', limit), ('yLimit', limit), ('zLimit', 0.0)])


MOVE = ('normal_position_update', [])


def gravity(y, x=0.0, z=0.0):
    return ('gravity_velocity_update', [('x', x), ('y', y), ('z', z)])


def spiral(yaw, pitch, roll):
    return ('spiral_velocity_update', [('yaw', yaw), ('pitch', pitch), ('roll', roll)])


def sway(angle, amplitude, on_x):
    return ('cosine_velocity_update', [('interp_angle', angle), ('amplitude', amplitude),
                                       ('move_on_X', 1 if on_x else 0), ('move_on_Y', 0 if on_x else 1),
                                       ('move_on_Z', 0)])


NULL = ('null', [])
# The unit scales the game makes its own systems at: the racers' wakes, and the geysers' steam and
# the mines' splashes.
WAKE_UNIT = 0.011
GEYSER_UNIT = 0.03125
WHITE = (235, 245, 255, 150)
FOAM = (255, 255, 255, 230)

files = [
    # A soft grey puff for whatever names no system of its own.
    system('default_system.xml', 'default_system', 'particles/puff.png', 240, 1.0, 4.0, 0.0,
           [colour(200, 230, 230, 230), rand_life(0.8, 1.0), rand_size(0.6, 1.0), at(), rand_velocity(
               (-0.01, 0.02, -0.01), (0.01, 0.05, 0.01)),
            fade(3.0), dying(0.016), growing(0.01, 2.5), MOVE, NULL], infinite=1),
    # Fire bursts of the mine and the drill: fast, short, all gone together.
    system('explode3_system.xml', 'explode3_system', 'particles/spark.png', 360, 90.0, 6.0, 0.6,
           [rand_colour((255, 140, 20, 230), (255, 220, 90, 255)), rand_life(0.5, 0.9), rand_size(0.5, 1.2), at(),
            rand_velocity((-0.25, 0.05, -0.25), (0.25, 0.45, 0.25)),
            fade(8.0), dying(0.03), growing(0.03, 2.0), MOVE, gravity(-0.012)], dead_all_at_once=1),
    system('explode4_system.xml', 'explode4_system', 'particles/spark.png', 720, 120.0, 10.0, 0.9,
           [rand_colour((255, 90, 10, 230), (255, 200, 60, 255)), rand_life(0.6, 1.0), rand_size(0.8, 1.8), at(),
            rand_velocity((-0.4, 0.1, -0.4), (0.4, 0.6, 0.4)),
            fade(6.0), dying(0.025), growing(0.04, 3.0), MOVE, gravity(-0.015)], dead_all_at_once=1),
    # Spray where a racer lands or slaps the water: a burst thrown up that falls back.
    system('splash1_system.xml', 'splash1_system', 'particles/spray.png', 400, 40.0, 4.0, 0.25,
           [rand_colour(WHITE, FOAM), rand_life(0.7, 1.0), rand_size(0.3, 0.6), at(),
            rand_velocity((-0.12, 0.15, -0.12), (0.12, 0.35, 0.12)),
            fade(5.0), dying(0.02), growing(0.005, 0.9), MOVE, gravity(-0.015)]),
    system('splash_system2.xml', 'splash_system2', 'particles/spray.png', 240, 24.0, 3.0, 0.25,
           [rand_colour(WHITE, FOAM), rand_life(0.6, 0.9), rand_size(0.2, 0.45), at(),
            rand_velocity((-0.08, 0.1, -0.08), (0.08, 0.25, 0.08)),
            fade(6.0), dying(0.025), NULL, MOVE, gravity(-0.012)]),
    # A mine going off on the water: a column of spray some two metres high, and a wider ring of
    # it falling back around, both gone within a second and a half.
    system('water_explosion.xml', 'water_explosion', 'particles/spray.png', 600, 120.0, 5.0, 0.25,
           [rand_colour(WHITE, FOAM), rand_life(0.8, 1.0), rand_size(0.4, 0.9), circle(0.5),
            rand_velocity((-0.04, 0.18, -0.04), (0.04, 0.3, 0.04)),
            exp_fade(3.0, 1.5, 0.4), dying(0.015), growing(0.01, 1.4), MOVE, gravity(-0.012)], unit=GEYSER_UNIT),
    system('water_explosion2.xml', 'water_explosion2', 'particles/spray.png', 600, 120.0, 6.0, 0.25,
           [rand_colour(WHITE, FOAM), rand_life(0.8, 1.0), rand_size(0.5, 1.0), circle(0.6),
            rand_velocity((-0.045, 0.1, -0.045), (0.045, 0.2, 0.045)),
            exp_fade(3.0, 1.5, 0.4), dying(0.015), growing(0.012, 1.6), MOVE, gravity(-0.01)], unit=GEYSER_UNIT),
    # A steam column that rises, sways, widens and thins out.
    system('steam_system_02.xml', 'steam_system_02', 'particles/steam.png', 400, 0.5, 12.0, 0.0,
           [rand_colour((200, 200, 210, 110), (235, 235, 240, 160)), rand_life(0.9, 1.0), rand_size(0.8, 1.2),
            circle(0.3), rand_velocity((-0.005, 0.03, -0.005), (0.005, 0.06, 0.005)),
            fade(1.0), dying(0.006), growing(0.012, 4.0), MOVE, sway(0.05, 0.01, True)], infinite=1),
    # Foam on the rapids, drifting downstream.
    system('white_water.xml', 'white_water', 'particles/foam.png', 360, 1.5, 8.0, 0.0,
           [rand_colour((230, 240, 250, 140), FOAM), rand_life(0.8, 1.0), rand_size(0.5, 1.2), circle(2.0),
            rand_velocity((-0.01, 0.0, -0.06), (0.01, 0.004, -0.02)),
            fade(2.0), dying(0.008), growing(0.004, 1.6), MOVE, NULL], infinite=1),
    # Sparkles circling the racer that wears the reflective coat, one ring per axis.
    system('orbit_x.xml', 'orbit_x', 'particles/sparkle.png', 120, 1.0, 3.0, 0.0,
           [colour(255, 200, 230, 255), life(1.0), size(0.3, 0.3), at(0.0, 0.0, -1.2), velocity(0.0, 0.12, 0.0),
            fade(4.0), dying(0.016), NULL, MOVE, spiral(6.0, 0.0, 0.0)], infinite=1),
    system('orbit_y.xml', 'orbit_y', 'particles/sparkle.png', 120, 1.0, 3.0, 0.0,
           [colour(255, 255, 240, 180), life(1.0), size(0.3, 0.3), at(1.2, 0.0, 0.0), velocity(0.0, 0.0, 0.12),
            fade(4.0), dying(0.016), NULL, MOVE, spiral(0.0, 6.0, 0.0)], infinite=1),
    system('orbit_z.xml', 'orbit_z', 'particles/sparkle.png', 120, 1.0, 3.0, 0.0,
           [colour(255, 180, 255, 200), life(1.0), size(0.3, 0.3), at(0.0, -1.2, 0.0), velocity(0.12, 0.0, 0.0),
            fade(4.0), dying(0.016), NULL, MOVE, spiral(0.0, 0.0, 6.0)], infinite=1),
    # The wake behind a racer: the system rides under the racer, so its foam, born at the stern,
    # drifts back upstream (+z: the racers head down the river) and spreads, widening as it fades,
    # two or three metres long. The quads stand half under the water.
    system('trail.xml', 'trail', 'particles/foam.png', 150, 1.0, 4.0, 0.0,
           [rand_colour((230, 240, 250, 120), (255, 255, 255, 170)), life(1.0), rand_size(0.4, 0.6), at(z=0.6),
            rand_velocity((-0.015, 0.0, 0.05), (0.015, 0.002, 0.09)),
            fade(4.0), dying(0.025), growing(0.012, 1.1), MOVE, NULL], infinite=1, unit=WAKE_UNIT),
    # Falling water across the fall's lip.
    system('waterfall1.xml', 'waterfall1', 'particles/spray.png', 2000, 8.0, 20.0, 0.0,
           [rand_colour(WHITE, FOAM), rand_life(0.8, 1.0), rand_size(0.6, 1.2), circle(3.0),
            rand_velocity((-0.01, -0.05, 0.05), (0.01, -0.02, 0.1)),
            fade(1.0), dying(0.005), growing(0.006, 2.2), MOVE, gravity(-0.006)], infinite=1),
    # A resting geyser breathes a little vapour; an erupting one throws a tall jet.
    system('geyser_normal.xml', 'geyser_normal', 'particles/steam.png', 300, 1.0, 6.0, 0.0,
           [rand_colour((210, 220, 230, 90), (240, 245, 250, 140)), rand_life(0.8, 1.0), rand_size(0.4, 0.7),
            circle(0.2), rand_velocity((-0.01, 0.08, -0.01), (0.01, 0.14, 0.01)),
            fade(2.0), dying(0.012), growing(0.01, 2.0), MOVE, gravity(-0.003)], infinite=1, unit=GEYSER_UNIT),
    # The jet stands about eight metres and falls back into the river.
    system('geyser_erupt.xml', 'geyser_erupt', 'particles/spray.png', 1800, 10.0, 12.0, 3.0,
           [rand_colour(WHITE, FOAM), rand_life(0.9, 1.0), rand_size(0.5, 1.0), circle(0.4),
            rand_velocity((-0.03, 0.3, -0.03), (0.03, 0.42, 0.03)),
            exp_fade(2.0, 2.0, 0.3), dying(0.01), growing(0.01, 1.8), MOVE, gravity(-0.008)], unit=GEYSER_UNIT),
]

table = ['<particle_system_table>']
for name in files:
    table += ['\t<entry>', '\t\t<name>%s</name>' % name, '\t</entry>']
table.append('</particle_system_table>')
write(os.path.join(ROOT, 'particle_sys_table.xml'), table)

# The pointer's tip is two pixels in from the texture's top-left corner.
write(os.path.join(ROOT, 'CursorInit.xml'),
      ['<Cursor>', '\t<FileName>gui/cursor.png</FileName>', '\t<PosX>400</PosX>', '\t<PosY>300</PosY>',
       '\t<HotspotX>2</HotspotX>', '\t<HotspotY>2</HotspotY>', '</Cursor>'])
