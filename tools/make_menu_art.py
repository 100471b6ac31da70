#!/usr/bin/env python3
"""Writes the start menu, the character selection and the start-race countdown: their layout files
("StartMenu.xml", "CharacterSelection.xml", "StartRaceInit.xml" under data/files/xmlfiles/) and
their pictures under data/arts/textures/gui/: the buttons (three looks one under another: normal,
cursor over, pressed), the title, the select-racer plate, the six profile cards, the countdown's
words and digits and the waving flag strip. Labels are drawn with the block font of menu_font.py;
everything is computed, so the bytes depend on nothing but these scripts.

Positions are fractions of the screen and sizes pixels, chosen so that every screen fits and reads
at 800 x 600 as well as at 1024 x 768: an item that must stay centred, or by an edge, or beside
another whatever the size gives the point of itself that stands at its offset ("AnchorX",
"AnchorY": fractions of its drawn size, 0.5 its middle, 1 its far edge). Each texture is padded
to power-of-two sides with clear pixels right of and below its frames.

Run from anywhere:  python3 tools/make_menu_art.py [--out FOLDER]
(FOLDER defaults to the repository root).
"""
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_palettes as pal  # noqa: E402
import menu_font  # noqa: E402
from generated_files import write_outputs  # noqa: E402
from png_image import png_bytes  # noqa: E402

TEXTURES = 'data/arts/textures/'
XML = 'data/files/xmlfiles/'
CLICK_SOUND = 'sfx/gui/mouse_click.wav'


# ---- drawing on RGBA canvases of floats ----

def canvas(width, height, colour=(0, 0, 0, 0)):
    return [[list(colour) for _ in range(width)] for _ in range(height)]


def blend(img, x, y, rgb, alpha):
    if alpha <= 0.0 or y < 0 or y >= len(img) or x < 0 or x >= len(img[0]):
        return
    alpha = min(1.0, alpha)
    p = img[y][x]
    out_a = alpha + p[3] * (1.0 - alpha)
    if out_a <= 0.0:
        return
    for c in range(3):
        p[c] = (rgb[c] * alpha + p[c] * p[3] * (1.0 - alpha)) / out_a
    p[3] = out_a


def round_rect(img, x0, y0, x1, y1, radius, shade, alpha=1.0):
    """Fills [x0, x1) x [y0, y1) with rounded corners; shade(t) gives the colour at height t 0..1."""
    for y in range(max(0, int(y0)), min(len(img), int(math.ceil(y1)))):
        t = (y + 0.5 - y0) / max(1.0, y1 - y0)
        rgb = shade(t)
        for x in range(max(0, int(x0)), min(len(img[0]), int(math.ceil(x1)))):
            px, py = x + 0.5, y + 0.5
            qx = max(x0 + radius - px, 0.0, px - (x1 - radius))
            qy = max(y0 + radius - py, 0.0, py - (y1 - radius))
            d = math.hypot(qx, qy) - radius
            edge = min(px - x0, x1 - px, py - y0, y1 - py)
            cover = max(0.0, min(1.0, 0.5 - d)) if qx > 0 and qy > 0 else max(0.0, min(1.0, edge + 0.5))
            blend(img, x, y, rgb, cover * alpha)


def disc(img, cx, cy, r, rgb, alpha=1.0):
    for y in range(max(0, int(cy - r - 1)), min(len(img), int(cy + r + 2))):
        for x in range(max(0, int(cx - r - 1)), min(len(img[0]), int(cx + r + 2))):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) - r
            blend(img, x, y, rgb, max(0.0, min(1.0, 0.5 - d)) * alpha)


def triangle(img, points, rgb, samples=4):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    (ax, ay), (bx, by), (cx, cy) = points

    def inside(px, py):
        d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by)
        d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy)
        d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))

    for y in range(int(min(ys)), int(math.ceil(max(ys))) + 1):
        for x in range(int(min(xs)), int(math.ceil(max(xs))) + 1):
            hits = sum(inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples)
                       for i in range(samples) for j in range(samples))
            blend(img, x, y, rgb, hits / (samples * samples))


def text(img, label, cx, cy, cell, fill, outline=(20, 20, 30), width=2, shadow=2):
    """Draws `label` centred on (cx, cy): a soft shadow, an outline `width` pixels wide, the fill."""
    cover = menu_font.coverage(label, cell)
    h = len(cover)
    w = len(cover[0])
    left = int(round(cx - w / 2.0))
    top = int(round(cy - h / 2.0))
    grown = [[0.0] * (w + 2 * width) for _ in range(h + 2 * width)]
    offsets = [(dx, dy) for dx in range(-width, width + 1) for dy in range(-width, width + 1)
               if dx * dx + dy * dy <= width * width + 1]
    for y in range(h):
        row = cover[y]
        for x in range(w):
            c = row[x]
            if c <= 0.0:
                continue
            for dx, dy in offsets:
                g = grown[y + width + dy]
                if g[x + width + dx] < c:
                    g[x + width + dx] = c
    for y, row in enumerate(grown):
        for x, c in enumerate(row):
            if c > 0.0:
                blend(img, left - width + x + shadow, top - width + y + shadow, (0, 0, 0), c * 0.45)
    for y, row in enumerate(grown):
        for x, c in enumerate(row):
            if c > 0.0:
                blend(img, left - width + x, top - width + y, outline, c)
    for y in range(h):
        for x in range(w):
            c = cover[y][x]
            if c > 0.0:
                t = y / max(1, h - 1)
                rgb = tuple(fill[k] * (1.0 - 0.25 * t) for k in range(3))
                blend(img, left + x, top + y, rgb, c)


def gradient(top, bottom):
    return lambda t: tuple(top[k] + (bottom[k] - top[k]) * t for k in range(3))


def stack(rows):
    out = []
    for img in rows:
        out.extend(img)
    return out


def pow2(n):
    size = 1
    while size < n:
        size *= 2
    return size


def png(img):
    # Textures are power-of-two sized: the frames stand at the top left, the rest is clear.
    width, height = pow2(len(img[0])), pow2(len(img))
    img = [row + [[0, 0, 0, 0] for _ in range(width - len(row))] for row in img]
    img += [[[0, 0, 0, 0] for _ in range(width)] for _ in range(height - len(img))]
    return png_bytes([[tuple(int(round(c)) if i < 3 else int(round(c * 255)) for i, c in enumerate(p))
                       for p in row] for row in img])


# ---- the pictures ----

LOOKS = {
    # body top, body bottom, rim, label colour, label drop in pixels
    'normal': ((52, 132, 186), (18, 66, 118), (225, 240, 250), (255, 255, 255), 0),
    'over': ((86, 180, 232), (30, 104, 170), (255, 212, 60), (255, 236, 130), 0),
    'pressed': ((16, 58, 100), (40, 104, 156), (255, 212, 60), (235, 235, 235), 2),
}


def button_look(width, height, label, look, cell):
    top, bottom, rim, ink, drop = LOOKS[look]
    img = canvas(width, height)
    round_rect(img, 1, 2, width - 1, height, 12, lambda t: (0, 0, 0), 0.35)
    round_rect(img, 0, 0, width - 2, height - 2, 12, lambda t: rim)
    round_rect(img, 3, 3, width - 5, height - 5, 9, gradient(top, bottom))
    round_rect(img, 6, 5, width - 8, height / 2.0 - 2, 7, lambda t: (255, 255, 255), 0.12)
    text(img, label, (width - 2) / 2.0, (height - 2) / 2.0 + drop, cell, ink)
    return img


def button(width, height, label, cell=3):
    return stack([button_look(width, height, label, look, cell) for look in ('normal', 'over', 'pressed')])


def arrow_look(side, pointing_left, look):
    top, bottom, rim, ink, drop = LOOKS[look]
    img = canvas(side, side)
    c = side / 2.0
    disc(img, c + 1, c + 2, c - 2, (0, 0, 0), 0.35)
    disc(img, c, c, c - 2, rim)
    r = c - 5
    for y in range(side):
        t = y / (side - 1.0)
        col = gradient(top, bottom)(t)
        for x in range(side):
            d = math.hypot(x + 0.5 - c, y + 0.5 - c) - r
            blend(img, x, y, col, max(0.0, min(1.0, 0.5 - d)))
    k = side * 0.22
    if pointing_left:
        pts = [(c - k * 1.1, c + drop), (c + k * 0.8, c - k * 1.2 + drop), (c + k * 0.8, c + k * 1.2 + drop)]
    else:
        pts = [(c + k * 1.1, c + drop), (c - k * 0.8, c - k * 1.2 + drop), (c - k * 0.8, c + k * 1.2 + drop)]
    triangle(img, [(x + 2, y + 2) for x, y in pts], (0, 0, 0))
    triangle(img, pts, ink)
    return img


def arrow(side, pointing_left):
    return stack([arrow_look(side, pointing_left, look) for look in ('normal', 'over', 'pressed')])


def title(width, height):
    img = canvas(width, height)
    round_rect(img, 4, 6, width, height, 18, lambda t: (0, 0, 0), 0.4)
    round_rect(img, 0, 0, width - 4, height - 6, 18, lambda t: (70, 40, 18))
    wood = gradient((176, 112, 56), (122, 72, 34))
    round_rect(img, 6, 6, width - 10, height - 12, 13, wood)
    # Planks, and a river running under the name.
    for plank in range(1, 3):
        y = 6 + plank * (height - 18) // 3
        for x in range(10, width - 14):
            blend(img, x, y, (90, 52, 24), 0.6)
    for x in range(18, width - 22):
        wave = height - 30 + 5.0 * math.sin(x / 14.0)
        for y in range(int(wave) - 3, int(wave) + 4):
            d = abs(y + 0.5 - wave)
            blend(img, x, y, (120, 200, 240), max(0.0, min(1.0, 3.5 - d)))
    text(img, 'TUMBO KELVO', (width - 4) / 2.0, (height - 6) / 2.0 - 10, 7, (255, 214, 64), (60, 28, 8), 3, 3)
    return img


def plate(width, height, label, cell):
    img = canvas(width, height)
    round_rect(img, 0, 0, width, height, 14, lambda t: (255, 212, 60), 0.95)
    round_rect(img, 3, 3, width - 3, height - 3, 11, gradient((28, 40, 70), (12, 18, 36)), 0.92)
    text(img, label, width / 2.0, height / 2.0, cell, (255, 236, 130))
    return img


NAMES = [('monkey', 'MONKEY'), ('bear', 'BEAR'), ('alien', 'ALIEN'), ('fish', 'FISH'),
         ('hillbilly', 'HILLBILLY'), ('moviestar', 'MOVIE STAR')]


def face(img, cx, cy, r, key):
    colours = pal.CHARACTERS[key]
    disc(img, cx + 3, cy + 4, r + 4, (0, 0, 0), 0.35)
    disc(img, cx, cy, r + 4, colours['fur'])
    if key in ('monkey', 'bear'):
        disc(img, cx - r * 0.85, cy - r * 0.75, r * 0.32, colours['fur'])
        disc(img, cx + r * 0.85, cy - r * 0.75, r * 0.32, colours['fur'])
    if key == 'alien':
        for side in (-1, 1):
            for k in range(12):
                blend(img, int(cx + side * (r * 0.4 + k)), int(cy - r - k * 1.4), colours['fur'], 1.0)
            disc(img, cx + side * (r * 0.4 + 12), cy - r - 17, 4, colours['face'])
    disc(img, cx, cy + r * 0.12, r * 0.82, colours['face'])
    if key == 'moviestar':
        round_rect(img, cx - r, cy - r - 4, cx + r, cy - r * 0.35, 10, lambda t: colours['hair'])
    if key == 'hillbilly':
        round_rect(img, cx - r * 0.7, cy + r * 0.35, cx + r * 0.7, cy + r * 0.95, 10, lambda t: colours['beard'])
    if key == 'bear':
        disc(img, cx, cy + r * 0.32, r * 0.36, (205, 165, 120))
        disc(img, cx, cy + r * 0.2, r * 0.12, (30, 20, 15))
    for side in (-1, 1):
        disc(img, cx + side * r * 0.33, cy - r * 0.05, r * 0.17, colours['white'] if key != 'bear' else (240, 240, 235))
        disc(img, cx + side * r * 0.33, cy - r * 0.02, r * 0.09, colours['eye'])
    for k in range(-8, 9):
        x = cx + k * r * 0.04
        y = cy + r * 0.42 + (1.0 - (k / 8.0) ** 2) * r * 0.1
        disc(img, x, y, 1.6, (70, 30, 30))


def profile_card(width, height, key, name, number):
    colours = pal.CHARACTERS[key]
    img = canvas(width, height)
    round_rect(img, 4, 5, width, height, 16, lambda t: (0, 0, 0), 0.4)
    round_rect(img, 0, 0, width - 4, height - 5, 16, lambda t: (255, 226, 120))
    round_rect(img, 4, 4, width - 8, height - 9, 13, gradient((250, 246, 232), (214, 204, 180)))
    header = colours['vessel']
    round_rect(img, 4, 4, width - 8, 52, 13, gradient(header, tuple(c * 0.7 for c in header)))
    label = 'RACER %d' % number
    text(img, label, (width - 4) / 2.0, 28, 3, (255, 255, 255))
    face(img, (width - 4) / 2.0, 132, 54, key)
    cell = 4 if menu_font.text_size(name, 4)[0] <= width - 36 else 3
    text(img, name, (width - 4) / 2.0, 228, cell, colours['stripe'] if key != 'hillbilly' else colours['vessel'],
         (30, 24, 20), 2, 2)
    stripe = colours['stripe']
    for y in range(258, 270):
        for x in range(16, width - 20):
            band = ((x + y) // 10) % 2
            blend(img, x, y, stripe if band else header, 0.95)
    return img


def word(width, height, label, cell, fill):
    img = canvas(width, height)
    text(img, label, width / 2.0, height / 2.0, cell, fill, (40, 16, 8), 4, 4)
    return img


def digit(side, label, fill):
    img = canvas(side, side)
    c = side / 2.0
    disc(img, c + 3, c + 4, c - 5, (0, 0, 0), 0.35)
    disc(img, c, c, c - 5, (255, 255, 255))
    disc(img, c, c, c - 11, (30, 44, 90))
    text(img, label, c, c, 12, fill, (10, 10, 20), 3, 3)
    return img


def flag_strip(frame_w, frame_h, frames):
    img = canvas(frame_w * frames, frame_h)
    squares = 6
    for f in range(frames):
        phase = 2.0 * math.pi * f / frames
        left = f * frame_w
        for x in range(6, 10):
            for y in range(4, frame_h):
                blend(img, left + x, y, (90, 60, 30), 1.0)
        disc(img, left + 8, 5, 4, (250, 210, 60))
        cloth_w = frame_w - 18
        cloth_h = frame_h * 0.58
        for x in range(cloth_w):
            u = x / float(cloth_w)
            lift = 6.0 * u * math.sin(phase - 5.0 * u)
            shade = 0.82 + 0.18 * math.cos(phase - 5.0 * u)
            for y in range(frame_h):
                v = (y - 8 - lift) / cloth_h
                if v < 0 or v >= 1:
                    continue
                check = (int(u * squares * 1.5) + int(v * squares)) % 2
                rgb = (250 * shade, 250 * shade, 250 * shade) if check == 0 else (20, 20, 24)
                blend(img, left + 10 + x, y, rgb, 1.0)
    return img


# ---- the layout files ----

def anchor_lines(anchor):
    return ['\t\t<Anchor%s>%s</Anchor%s>' % (axis, value, axis) for axis, value in zip('XY', anchor) if value]


def button_element(name, file_name, x, y, width, height, anchor=(None, None)):
    return (['\t<%s>' % name, '\t\t<FileName>%s</FileName>' % file_name, '\t\t<OffsetX>%s</OffsetX>' % x,
             '\t\t<OffsetY>%s</OffsetY>' % y] + anchor_lines(anchor) +
            ['\t\t<BBWidth>%d</BBWidth>' % width, '\t\t<BBHeight>%d</BBHeight>' % height, '\t</%s>' % name])


def picture_element(name, file_name, x, y, width, height, extra=(), anchor=(None, None)):
    return (['\t<%s>' % name, '\t\t<FileName>%s</FileName>' % file_name, '\t\t<OffsetX>%s</OffsetX>' % x,
             '\t\t<OffsetY>%s</OffsetY>' % y] + anchor_lines(anchor) +
            ['\t\t<Width>%d</Width>' % width, '\t\t<Height>%d</Height>' % height]
            + ['\t\t<%s>%s</%s>' % (k, v, k) for k, v in extra] + ['\t</%s>' % name])


def xml(root, lines):
    return ('\n'.join(['<%s>' % root] + lines + ['</%s>' % root]) + '\n').encode('ascii')


MAIN_W, MAIN_H = 260, 52

CENTRED = ('0.5', None)
# Join and Host stand 28 pixels right of the main buttons' column, whose left edge is at 0.06.
BESIDE_MAIN = ('-1.107692', None)
BY_RIGHT_EDGE = ('1', None)

START_MENU = [
    # element, texture, label, x, y, anchor
    ('SinglePlayerButton', 'gui/menu_single_player.png', 'SINGLE PLAYER', '0.06', '0.38', (None, None)),
    ('MultiPlayerButton', 'gui/menu_multiplayer.png', 'MULTIPLAYER', '0.06', '0.49', (None, None)),
    ('CreditsButton', 'gui/menu_credits.png', 'CREDITS', '0.06', '0.60', (None, None)),
    ('ExitButton', 'gui/menu_exit.png', 'EXIT', '0.06', '0.71', (None, None)),
    ('JoinGameButton', 'gui/menu_join_game.png', 'JOIN GAME', '0.06', '0.44', BESIDE_MAIN),
    ('HostGameButton', 'gui/menu_host_game.png', 'HOST GAME', '0.06', '0.54', BESIDE_MAIN),
]
TITLE = ('GameName', 'gui/menu_title.png', '0.5', '0.05', 500, 140)

SMALL_W, SMALL_H = 160, 52
ARROW = 72
SELECT = ('SelectPlayerButton', 'gui/charsel_title.png', '0.5', '0.03', 400, 60)
CARD_W, CARD_H = 224, 290


def outputs():
    menu = ['\t<MouseClickSound>%s</MouseClickSound>' % CLICK_SOUND]
    for element, texture, label, x, y, anchor in START_MENU:
        yield TEXTURES + texture, png(button(MAIN_W, MAIN_H, label))
        menu += button_element(element, texture, x, y, MAIN_W, MAIN_H, anchor)
    element, texture, x, y, w, h = TITLE
    yield TEXTURES + texture, png(title(w, h))
    menu += button_element(element, texture, x, y, w, h, CENTRED)
    yield XML + 'StartMenu.xml', xml('StartMenu', menu)

    sel = ['\t<MouseClickSound>%s</MouseClickSound>' % CLICK_SOUND]
    yield TEXTURES + 'gui/charsel_back.png', png(button(SMALL_W, SMALL_H, 'BACK'))
    sel += button_element('BackButton', 'gui/charsel_back.png', '0.04', '0.86', SMALL_W, SMALL_H)
    yield TEXTURES + 'gui/charsel_ok.png', png(button(SMALL_W, SMALL_H, 'OK', 4))
    sel += button_element('OKButton', 'gui/charsel_ok.png', '0.94', '0.86', SMALL_W, SMALL_H, BY_RIGHT_EDGE)
    # The arrows stand either side of the racer in front, whose place in the picture is the same
    # fraction of it at any size: their middles are fractions of the screen.
    yield TEXTURES + 'gui/charsel_left.png', png(arrow(ARROW, True))
    sel += button_element('LeftButton', 'gui/charsel_left.png', '0.33', '0.78', ARROW, ARROW, CENTRED)
    yield TEXTURES + 'gui/charsel_right.png', png(arrow(ARROW, False))
    sel += button_element('RightButton', 'gui/charsel_right.png', '0.67', '0.78', ARROW, ARROW, CENTRED)
    element, texture, x, y, w, h = SELECT
    yield TEXTURES + texture, png(plate(w, h, 'CHOOSE YOUR RACER', 3))
    sel += button_element(element, texture, x, y, w, h, CENTRED)
    for number, (key, name) in enumerate(NAMES, start=1):
        texture = 'gui/profile_%s.png' % key
        yield TEXTURES + texture, png(profile_card(CARD_W, CARD_H, key, name, number))
        # The card stands in the top left corner, clear of the line-up, and is drawn for the
        # shipped screen's height: on another screen it takes the same share of the picture.
        sel += picture_element('CharProfile', texture, '0.015', '0.13', CARD_W, CARD_H,
                               [('ScaleX', '0.85'), ('ScaleY', '0.85'), ('ForScreenHeight', '768')])
    yield XML + 'CharacterSelection.xml', xml('CharacterSelection', sel)

    race = ['\t<TimeDelay>1.0</TimeDelay>', '\t<InitScale>1.0</InitScale>', '\t<EndScale>0.5</EndScale>',
            '\t<FlagScale>1.0</FlagScale>']
    yield TEXTURES + 'gui/countdown_flag.png', png(flag_strip(128, 96, 4))
    # Every stage centred across the screen ("Go" as it is drawn, half as large again).
    race += picture_element('flag', 'gui/countdown_flag.png', '0.5', '0.08', 128, 96,
                            [('Frames', '4'), ('FrameRate', '120')], CENTRED)
    yield TEXTURES + 'gui/countdown_ready.png', png(word(340, 120, 'READY', 10, (255, 214, 64)))
    race += picture_element('Ready', 'gui/countdown_ready.png', '0.5', '0.30', 340, 120, anchor=CENTRED)
    yield TEXTURES + 'gui/countdown_go.png', png(word(220, 110, 'GO!', 10, (120, 240, 90)))
    race += picture_element('Go', 'gui/countdown_go.png', '0.5', '0.26', 220, 110, anchor=CENTRED)
    for element, label, fill in (('Three', '3', (255, 120, 80)), ('Two', '2', (255, 200, 70)),
                                 ('One', '1', (160, 240, 110))):
        texture = 'gui/countdown_%s.png' % element.lower()
        yield TEXTURES + texture, png(digit(140, label, fill))
        race += picture_element(element, texture, '0.5', '0.30', 140, 140, anchor=CENTRED)
    yield XML + 'StartRaceInit.xml', xml('StartRaceInit', race)


if __name__ == '__main__':
    write_outputs(__doc__.splitlines()[0], outputs)
