#!/usr/bin/env python3
"""Writes the race HUD's and the console's textures (data/arts/textures/hud/): the eight item
icons, the six place images, the level map of the default track (drawn from the river course of
tools/river_course.py, with the start, the two traps and the finish where the heads pass them),
the reflected-weapon warning, the six characters' portraits and map heads, and the console
background. Everything is computed from shapes and a small built-in pixel font, so every run
writes the same bytes. Standard library only.

Run from the repository root:  python3 tools/make_hud_art.py
"""
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_palettes as pal  # noqa: E402
import river_course as rc  # noqa: E402
from generated_files import write_outputs  # noqa: E402
from menu_font import GLYPHS  # noqa: E402
from png_image import png_bytes  # noqa: E402

FOLDER = 'data/arts/textures/hud/'
SUB = 4  # samples per pixel side for anti-aliased shapes

# The rank path the race ranking measures progress along (tools/make_ai_data.py), and where the
# HUD puts a head of progress p on the 1024-row map: row 1024 p + 22.
RANK_TOP, RANK_END = 235.0, -1235.0


class Canvas:
    """RGBA floats, painted with anti-aliased shapes given as inside-tests over a bounding box."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[list(fill) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, colour, cover):
        if cover <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b = colour[:3]
        a = (colour[3] / 255.0 if len(colour) > 3 else 1.0) * cover
        p = self.px[y][x]
        out_a = a + p[3] / 255.0 * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = (c * a + p[i] * (p[3] / 255.0) * (1 - a)) / out_a
        p[3] = out_a * 255.0

    def shape(self, inside, box, colour):
        """inside(x, y) on sample points; colour is a tuple or a function of (x, y)."""
        x0, y0, x1, y1 = (max(0, int(math.floor(box[0]))), max(0, int(math.floor(box[1]))),
                          min(self.w, int(math.ceil(box[2])) + 1), min(self.h, int(math.ceil(box[3])) + 1))
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB):
                            hits += 1
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self.blend(x, y, c, hits / (SUB * SUB))

    def circle(self, cx, cy, r, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r), colour)

    def ellipse(self, cx, cy, rx, ry, colour, angle=0.0):
        ca, sa = math.cos(angle), math.sin(angle)

        def inside(x, y):
            dx, dy = x - cx, y - cy
            u, v = dx * ca + dy * sa, -dx * sa + dy * ca
            return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
        m = max(rx, ry)
        self.shape(inside, (cx - m, cy - m, cx + m, cy + m), colour)

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        """Exact coverage along the straight edges; only the rounded corners are sampled."""
        def in_corner(x, y):
            qx = max(x0 + radius - x, 0, x - (x1 - radius))
            qy = max(y0 + radius - y, 0, y - (y1 - radius))
            return x0 <= x <= x1 and y0 <= y <= y1 and qx * qx + qy * qy <= radius * radius
        for y in range(max(0, int(math.floor(y0))), min(self.h, int(math.ceil(y1)) + 1)):
            cover_y = max(0.0, min(y + 1.0, y1) - max(float(y), y0))
            if cover_y <= 0:
                continue
            for x in range(max(0, int(math.floor(x0))), min(self.w, int(math.ceil(x1)) + 1)):
                cover_x = max(0.0, min(x + 1.0, x1) - max(float(x), x0))
                if cover_x <= 0:
                    continue
                near_x = x < x0 + radius or x + 1 > x1 - radius
                near_y = y < y0 + radius or y + 1 > y1 - radius
                if radius > 0 and near_x and near_y:
                    hits = sum(1 for sy in range(SUB) for sx in range(SUB)
                               if in_corner(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB))
                    cover = hits / (SUB * SUB)
                else:
                    cover = cover_x * cover_y
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                self.blend(x, y, c, cover)

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            ex, ey = x - (x0 + t * dx), y - (y0 + t * dy)
            return ex * ex + ey * ey <= half * half
        self.shape(inside, (min(x0, x1) - half, min(y0, y1) - half, max(x0, x1) + half, max(y0, y1) + half), colour)

    def polyline(self, points, width, colour):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)

    def rows(self):
        return [[tuple(int(round(max(0.0, min(255.0, c)))) for c in p) for p in row] for row in self.px]

    def png(self):
        return png_bytes(self.rows())


def text(canvas, string, x, y, cell_w, cell_h, colour, outline=None, outline_width=0.0):
    """Draws string with its top-left at (x, y); each font pixel is a cell_w x cell_h block, and
    the blocks of a pass are painted as one shape, so no seams show between them. An outline
    colour draws a copy grown by outline_width underneath first."""
    for pass_colour, grow in ((outline, outline_width), (colour, 0.0)):
        if pass_colour is None:
            continue
        blocks = []
        cx = x
        for ch in string:
            for gy, row in enumerate(GLYPHS[ch]):
                for gx, bit in enumerate(row):
                    if bit == '#':
                        blocks.append((cx + gx * cell_w - grow, y + gy * cell_h - grow, cx + (gx + 1) * cell_w + grow,
                                       y + (gy + 1) * cell_h + grow))
            cx += 6 * cell_w
        if not blocks:
            continue

        def inside(px, py, blocks=blocks):
            return any(b[0] <= px <= b[2] and b[1] <= py <= b[3] for b in blocks)
        canvas.shape(inside, (min(b[0] for b in blocks), min(b[1] for b in blocks), max(b[2] for b in blocks),
                              max(b[3] for b in blocks)), pass_colour)
    return x + 6 * cell_w * len(string)


def vertical(top, bottom, y0, y1):
    """A colour function fading from top to bottom between rows y0 and y1."""
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def slot_tile(c):
    """The dark rounded tile every item icon sits on."""
    c.rect(1, 1, 63, 63, (20, 28, 45, 200), radius=10)
    c.rect(3, 3, 61, 61, (255, 255, 255, 40), radius=8)
    c.rect(5, 5, 59, 59, (25, 35, 60, 210), radius=7)


def icon_drill():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['drill']
    c.rect(12, 24, 36, 42, p['body'] + (255,), radius=4)
    c.rect(14, 40, 22, 52, p['grip'] + (255,), radius=2)
    c.polygon([(36, 22), (36, 44), (56, 33)], p['bit'] + (255,))
    for k in range(3):
        x = 39 + 5 * k
        c.line(x, 24 + 2 * k, x + 3, 42 - 2 * k, 1.6, (90, 95, 110, 255))
    c.rect(15, 27, 33, 30, (255, 240, 160, 255), radius=1.5)
    return c


def icon_reflective():
    c = Canvas(64, 64)
    slot_tile(c)
    c.circle(32, 32, 22, (60, 200, 240, 235))
    c.circle(32, 32, 17, (150, 235, 255, 230))
    c.circle(32, 32, 12, (225, 250, 255, 235))
    c.ellipse(25, 22, 7, 3.5, (255, 255, 255, 240), angle=-0.6)
    c.polygon([(32, 14), (38, 24), (26, 24)], (255, 255, 255, 160))
    return c


def icon_bait():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['bait']
    pts = [(14 + 4 * k, 36 + 7 * math.sin(k * 0.9)) for k in range(9)]
    for k, (x, y) in enumerate(pts):
        c.circle(x, y, 6.5, (p['band'] if k % 3 == 0 else p['body']) + (255,))
    c.circle(pts[-1][0] + 2, pts[-1][1] - 2, 1.4, (20, 20, 20, 255))
    hook = [(46 + 8 * math.cos(a), 22 + 8 * math.sin(a)) for a in [math.pi * (0.0 + 0.1 * k) for k in range(12)]]
    c.polyline(hook, 2.5, p['hook'] + (255,))
    c.line(54, 22, 54, 8, 2.5, p['hook'] + (255,))
    return c


def icon_shark():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['shark']
    c.polygon([(16, 44), (36, 10), (48, 44)], p['back'] + (255,))
    c.polygon([(36, 10), (48, 44), (40, 44)], (70, 85, 105, 255))
    c.rect(6, 42, 58, 58, (40, 110, 190, 230), radius=4)
    waves = [(6 + 2 * k, 42 + 2.5 * math.sin(k * 0.8)) for k in range(27)]
    c.polyline(waves, 2.5, (210, 240, 255, 255))
    return c


def icon_pole():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['fishingpole']
    c.line(12, 52, 50, 10, 4.0, p['rod'] + (255,))
    c.line(12, 52, 20, 43, 5.5, p['grip'] + (255,))
    c.circle(22, 42, 5.5, p['reel'] + (255,))
    c.circle(22, 42, 2, (80, 80, 90, 255))
    c.line(50, 10, 52, 44, 1.3, p['line'] + (255,))
    c.polyline([(52, 44), (52, 49), (49, 51), (46, 48)], 1.8, (200, 200, 210, 255))
    return c


def icon_whirlpool():
    c = Canvas(64, 64)
    slot_tile(c)
    c.circle(32, 32, 24, (30, 90, 170, 230))
    for k, shade in enumerate(((110, 190, 250, 255), (200, 240, 255, 255))):
        pts = []
        for i in range(60):
            a = i * 0.2 + k * math.pi
            r = 2 + i * 0.35
            pts.append((32 + r * math.cos(a), 32 + r * math.sin(a) * 0.8))
        c.polyline(pts, 2.6, shade)
    return c


def icon_propeller():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['propeller']
    c.circle(32, 32, 24, p['cage'] + (160,))
    c.circle(32, 32, 21, (25, 35, 60, 255))
    for k in range(3):
        a = k * 2 * math.pi / 3 - math.pi / 2
        c.ellipse(32 + 11 * math.cos(a), 32 + 11 * math.sin(a), 11, 5, p['blade'] + (255,), angle=a)
    c.circle(32, 32, 5.5, p['hub'] + (255,))
    return c


def icon_mine():
    c = Canvas(64, 64)
    slot_tile(c)
    p = pal.ITEMS['mine']
    for k in range(8):
        a = k * math.pi / 4
        c.line(32 + 14 * math.cos(a), 34 + 14 * math.sin(a), 32 + 23 * math.cos(a), 34 + 23 * math.sin(a), 3.5,
               p['spike'] + (255,))
    c.circle(32, 34, 16, p['shell'] + (255,))
    c.circle(27, 29, 4, (110, 115, 125, 255))
    c.circle(32, 34, 4.5, p['light'] + (255,))
    c.circle(31, 33, 1.5, (255, 200, 200, 255))
    return c


PLACE_COLOURS = [((255, 236, 120), (220, 150, 20)), ((245, 245, 250), (150, 160, 175)),
                 ((240, 180, 120), (170, 95, 40)), ((160, 220, 255), (50, 120, 200)),
                 ((160, 220, 255), (50, 120, 200)), ((160, 220, 255), (50, 120, 200))]


def place_image(n):
    c = Canvas(64, 64)
    top, bottom = PLACE_COLOURS[n - 1]
    suffix = {1: 'st', 2: 'nd', 3: 'rd'}.get(n, 'th')
    # A big digit and a small raised suffix, dark-outlined so they read over water and sky.
    text(c, str(n), 4, 8, 6, 6.5, vertical(top + (255,), bottom + (255,), 8, 54), (10, 15, 30, 255), 2.2)
    text(c, suffix, 37, 8, 2.2, 3.0, vertical(top + (255,), bottom + (255,), 8, 30), (10, 15, 30, 255), 1.6)
    return c


def face(c, name, cx, cy, r):
    """The character's head, centred on (cx, cy) with radius r, in its model's colours."""
    p = pal.CHARACTERS[name]
    fur, skin, eye, white = p['fur'] + (255,), p['face'] + (255,), p['eye'] + (255,), p['white'] + (255,)
    s = r / 20.0
    if name == 'monkey':
        for side in (-1, 1):
            c.circle(cx + side * 19 * s, cy, 7 * s, fur)
            c.circle(cx + side * 19 * s, cy, 4 * s, skin)
    if name == 'bear':
        for side in (-1, 1):
            c.circle(cx + side * 14 * s, cy - 15 * s, 7 * s, fur)
            c.circle(cx + side * 14 * s, cy - 15 * s, 3.5 * s, skin)
    if name == 'alien':
        for side in (-1, 1):
            c.line(cx + side * 6 * s, cy - 14 * s, cx + side * 12 * s, cy - 25 * s, 2.2 * s, fur)
            c.circle(cx + side * 12 * s, cy - 25 * s, 3.2 * s, (255, 240, 90, 255))
    if name == 'fish':
        c.polygon([(cx - 6 * s, cy - 16 * s), (cx + 2 * s, cy - 27 * s), (cx + 10 * s, cy - 14 * s)], p['face'] + (255,))
    c.circle(cx, cy, 18 * s, fur)
    if name == 'moviestar':
        c.ellipse(cx, cy - 8 * s, 19 * s, 12 * s, p['hair'] + (255,))
    if name == 'fish':
        c.ellipse(cx, cy + 3 * s, 14 * s, 12 * s, (120, 180, 240, 255))
    else:
        c.ellipse(cx, cy + 4 * s, 13 * s, 12 * s, skin)
    if name == 'alien':
        for side in (-1, 1):
            c.ellipse(cx + side * 6 * s, cy, 5 * s, 7 * s, eye, angle=side * 0.5)
            c.circle(cx + side * 5 * s, cy - 3 * s, 1.5 * s, (255, 255, 255, 255))
    elif name == 'moviestar':
        c.rect(cx - 12 * s, cy - 1 * s, cx + 12 * s, cy + 5 * s, (15, 15, 20, 255), radius=2.5 * s)
        c.line(cx - 10 * s, cy + 1 * s, cx - 5 * s, cy + 1 * s, 1.2 * s, (200, 200, 220, 255))
        c.ellipse(cx, cy + 11 * s, 5 * s, 2.2 * s, (210, 40, 70, 255))
    else:
        for side in (-1, 1):
            c.circle(cx + side * 6 * s, cy + 1 * s, 4 * s, (250, 250, 250, 255))
            c.circle(cx + side * 6 * s, cy + 2 * s, 2.2 * s, eye)
        if name == 'fish':
            c.ellipse(cx, cy + 11 * s, 5 * s, 3 * s, p['face'] + (255,))
        else:
            c.ellipse(cx, cy + 9 * s, 4 * s, 2.5 * s, eye)
    if name == 'hillbilly':
        c.ellipse(cx, cy + 14 * s, 12 * s, 6 * s, p['beard'] + (255,))
        c.ellipse(cx, cy - 14 * s, 20 * s, 4 * s, white)
        c.rect(cx - 11 * s, cy - 26 * s, cx + 11 * s, cy - 13 * s, white, radius=4 * s)
        c.rect(cx - 11 * s, cy - 17 * s, cx + 11 * s, cy - 14 * s, p['shirt'] + (255,))


CHARACTER_ORDER = ['monkey', 'bear', 'alien', 'fish', 'hillbilly', 'moviestar']


def portrait(name):
    c = Canvas(64, 64)
    p = pal.CHARACTERS[name]
    c.circle(32, 32, 31, (10, 15, 30, 220))
    c.circle(32, 32, 29, p['vessel'] + (255,))
    c.circle(32, 32, 25.5, p['stripe'] + (255,))
    c.circle(32, 32, 23.5, (40, 60, 95, 255))
    face(c, name, 32, 35, 19)
    return c


def head(name):
    # Drawn at 0.4 on the map: a bold dark rim and the face filling the frame.
    c = Canvas(64, 64)
    c.circle(32, 32, 31, (10, 15, 30, 255))
    c.circle(32, 32, 27, pal.CHARACTERS[name]['vessel'] + (255,))
    face(c, name, 32, 34, 22)
    return c


def reflected_overlay():
    c = Canvas(128, 128)
    c.polygon([(64, 6), (124, 114), (4, 114)], (20, 10, 10, 230))
    c.polygon([(64, 16), (115, 108), (13, 108)], (230, 40, 30, 255))
    c.polygon([(64, 30), (102, 100), (26, 100)], (255, 210, 40, 255))
    text(c, '!', 49, 40, 6, 7.5, (30, 20, 20, 255))
    # The weapon's path bending back on itself.
    arc = [(64 + 46 * math.cos(a), 72 + 46 * math.sin(a)) for a in [math.pi * (1.05 + 0.045 * k) for k in range(21)]]
    c.polyline(arc, 5, (255, 255, 255, 240))
    end = arc[-1]
    c.polygon([(end[0] + 10, end[1] - 4), (end[0] - 6, end[1] - 10), (end[0] - 2, end[1] + 8)], (255, 255, 255, 240))
    return c


def map_row(z):
    """The texture row of a point at z down the course, where the HUD draws a head there."""
    return 22.0 + 1024.0 * (RANK_TOP - z) / (RANK_TOP - RANK_END)


def level_map():
    w, h = 256, 1024
    c = Canvas(w, h)
    rail_x = 178  # the heads' column: 35 px right of the map's middle on screen, over 0.7
    river_mid = 92
    across = 5.0  # texture pixels per metre across the stream
    # The panel, lit from the top, kept clear of the right edge that leaves the screen at 800 wide.
    c.rect(4, 2, 246, 1022, (12, 20, 34, 190), radius=14)
    c.rect(8, 6, 242, 1018, (255, 255, 255, 28), radius=11)
    c.rect(10, 8, 240, 1016, vertical((36, 78, 48, 215), (58, 96, 60, 215), 0, 1024), radius=10)
    # The river, row by row from its centreline: banks, water, a lighter current line.
    row_z = {}
    for y in range(8, 1017):
        t = (y - 22.0) / 1024.0
        z = RANK_TOP - t * (RANK_TOP - RANK_END)
        row_z[y] = z
        if z > rc.RIVER_TOP or z < rc.RIVER_END:
            continue
        cx = river_mid + rc.centre_x(z) * across
        # The map draws the middle of the stream, where the racers ride: the water's whole width
        # would fill the strip.
        half = 7.2 * across
        for x in range(10, 241):
            d = abs(x + 0.5 - cx)
            if d <= half + 4:
                bank = max(0.0, min(1.0, half + 4 - d))
                c.blend(x, y, (150, 130, 90, 255), bank)
            if d <= half:
                depth = 1.0 - d / half
                colour = (40 + 30 * depth, 110 + 60 * depth, 190 + 40 * depth, 255)
                c.blend(x, y, colour, max(0.0, min(1.0, half - d)))
        c.blend(int(cx), y, (200, 235, 255, 255), 0.6)
    # The rail the heads ride, with a tick every 100 m of course.
    c.rect(rail_x - 3, 20, rail_x + 3, 1004, (230, 235, 240, 120), radius=3)
    for z in range(200, -1201, -100):
        y = map_row(z)
        c.rect(rail_x - 9, y - 1.5, rail_x + 9, y + 1.5, (230, 235, 240, 170))

    def marker(z, colours, label=None):
        y = map_row(z)
        cx = river_mid + rc.centre_x(z) * across
        c.rect(cx - 44, y - 5, cx + 44, y + 5, (10, 10, 15, 200), radius=2)
        for k in range(11):
            c.rect(cx - 42 + 8 * k, y - 3, cx - 36 + 8 * k, y + 3, colours[k % 2])
        c.line(cx + 46, y, rail_x - 10, y, 2.5, colours[0])
        if label:
            # The map is drawn at 0.7 x 0.45: tall cells keep the letters square on screen.
            text(c, label, 16, y + 12 if z > 0 else y - 42, 3.2, 4.6, (250, 250, 250, 255), (10, 15, 30, 255), 1.2)

    marker(195.2, [(250, 250, 250, 255), (20, 20, 20, 255)], 'START')
    marker(-1158.8, [(250, 250, 250, 255), (20, 20, 20, 255)], 'FINISH')
    # The rock trap and the log trap: a pile of stones and three logs beside the stream.
    y = map_row(-615.51)
    for k, (dx, dy) in enumerate(((-30, -6), (-22, 4), (-36, 6), (28, -4), (34, 6))):
        c.circle(river_mid + rc.centre_x(-615.51) * across + dx, y + dy * 2, 6, (135 + 10 * k, 130 + 8 * k, 120, 255))
    y = map_row(-917.05)
    for k in range(3):
        x0 = river_mid + rc.centre_x(-917.05) * across - 34
        c.rect(x0, y - 14 + 10 * k, x0 + 68, y - 8 + 10 * k, (120, 80, 40, 255), radius=3)
    return c


def console_background():
    w, h = 512, 256
    c = Canvas(w, h)
    c.rect(0, 0, 511, 255, (5, 10, 20, 215), radius=8)
    c.rect(2, 2, 509, 253, vertical((30, 45, 80, 220), (15, 25, 45, 225), 0, 256), radius=7)
    # The input line's well: the typed line stands at 235 on this texture (240 on screen, drawn at 5).
    c.rect(8, 231, 503, 251, (0, 0, 0, 170), radius=3)
    c.rect(8, 229, 503, 230, (120, 170, 255, 200))
    return c


def outputs():
    icons = [('drill', icon_drill), ('reflective', icon_reflective), ('bait', icon_bait), ('shark', icon_shark),
             ('pole', icon_pole), ('whirlpool', icon_whirlpool), ('propeller', icon_propeller), ('mine', icon_mine)]
    for name, draw in icons:
        yield FOLDER + 'tex_hud_%s.png' % name, draw().png()
    for n, name in enumerate(('1st', '2nd', '3rd', '4th', '5th', '6th'), 1):
        yield FOLDER + name + '.png', place_image(n).png()
    for name in CHARACTER_ORDER:
        yield FOLDER + 'tex_hud_%s.png' % name, portrait(name).png()
        yield FOLDER + 'tex_hud_%s_head.png' % name, head(name).png()
    yield FOLDER + 'tex_item_reflected.png', reflected_overlay().png()
    yield FOLDER + 'level_map.png', level_map().png()
    yield FOLDER + 'screen_console.png', console_background().png()


if __name__ == '__main__':
    write_outputs(__doc__.split('\n')[0], outputs, 'data/arts/textures/hud/...')
