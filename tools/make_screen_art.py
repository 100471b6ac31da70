#!/usr/bin/env python3
"""Writes the layout files and textures of the lobby, results, victory, in-game menu, splash,
credits and loading screens (standard library only, same bytes on every run).

Layout files go to data/files/xmlfiles/, textures to data/arts/textures/ under gui/ and hud/.
Buttons are columns of three looks (normal, cursor over, pressed); text is drawn with a small
built-in pixel font, scaled up, with a dark outline so that it reads on any backdrop.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generated_files import write_outputs  # noqa: E402
from menu_font import GLYPHS  # noqa: E402
from png_image import png_bytes  # noqa: E402


SCREEN_W, SCREEN_H = 800, 600


def pot(side):
    """The power of two a texture side is padded to; the frames stand at its top left."""
    size = 1
    while size < side:
        size *= 2
    return size


def canvas(width, height, colour):
    return [[tuple(colour) for _ in range(width)] for _ in range(height)]


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def fill_rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(img), y1)):
        row = img[y]
        for x in range(max(0, x0), min(len(row), x1)):
            row[x] = tuple(colour)


def rounded_panel(img, x0, y0, x1, y1, radius, fill, border, border_width=3, top=None):
    """A rounded box with a border; `top` given, the fill runs from `top` down to `fill`."""
    for y in range(y0, y1):
        for x in range(x0, x1):
            dx = max(x0 + radius - x, 0, x - (x1 - 1 - radius))
            dy = max(y0 + radius - y, 0, y - (y1 - 1 - radius))
            d = math.hypot(dx, dy)
            if d > radius:
                continue
            if radius - d < border_width:
                img[y][x] = tuple(border)
            else:
                img[y][x] = fill if top is None else lerp(top, fill, (y - y0) / max(1, y1 - y0 - 1))


def text_size(text, scale):
    return (len(text) * 6 - 1) * scale, 7 * scale


def draw_text(img, text, x, y, scale, colour, outline=(20, 20, 30, 255)):
    """The text with its top-left corner at (x, y), outlined one scaled cell wide."""
    cells = set()
    for i, ch in enumerate(text.upper()):
        for gy, line in enumerate(GLYPHS[ch]):
            for gx, c in enumerate(line):
                if c == '#':
                    cells.add((i * 6 + gx, gy))
    if outline is not None:
        ring = max(1, scale // 3)
        for (cx, cy) in cells:
            fill_rect(img, x + cx * scale - ring, y + cy * scale - ring, x + (cx + 1) * scale + ring,
                      y + (cy + 1) * scale + ring, outline[:len(img[0][0])])
    for (cx, cy) in cells:
        fill_rect(img, x + cx * scale, y + cy * scale, x + (cx + 1) * scale, y + (cy + 1) * scale,
                  colour[:len(img[0][0])])


def centred_text(img, text, cx, cy, scale, colour, outline=(20, 20, 30, 255)):
    w, h = text_size(text, scale)
    draw_text(img, text, cx - w // 2, cy - h // 2, scale, colour, outline)


def button(label, width=192, height=48):
    """Three looks one under another: normal, cursor over, pressed."""
    looks = [((70, 120, 200, 255), (40, 80, 150, 255)), ((110, 170, 240, 255), (60, 110, 190, 255)),
             ((40, 70, 130, 255), (30, 55, 110, 255))]
    img = canvas(pot(width), pot(height * 3), (0, 0, 0, 0))
    for row, (top, bottom) in enumerate(looks):
        y0 = row * height
        rounded_panel(img, 0, y0, width, y0 + height, 12, bottom, (245, 235, 200, 255), 3, top=top)
        scale = min(3, (width - 24) // max(1, len(label) * 6 - 1))
        centred_text(img, label, width // 2, y0 + height // 2 + (1 if row == 2 else 0), scale,
                     (255, 255, 255, 255))
    return img


def heading(label, width=200, height=32):
    img = canvas(pot(width), pot(height), (0, 0, 0, 0))
    centred_text(img, label, width // 2, height // 2, 3, (120, 40, 20, 255), outline=None)
    return img


def banner(label, fill, width=512, height=128):
    img = canvas(width, height, (0, 0, 0, 0))
    rounded_panel(img, 4, 4, width - 4, height - 4, 30, fill[1], (255, 250, 225, 255), 5, top=fill[0])
    centred_text(img, label, width // 2, height // 2, 8, (255, 255, 255, 255))
    return img


def searching_strip(label, frame_w=256, frame_h=32, frames=4):
    """Frames left to right: the label with one to four dots."""
    img = canvas(frame_w * frames, frame_h, (0, 0, 0, 0))
    for f in range(frames):
        draw_text(img, label + '.' * (f + 1), f * frame_w + 4, 8, 2, (255, 230, 120, 255))
    return img


def chat_box(width=512, height=256):
    img = canvas(width, height, (0, 0, 0, 0))
    rounded_panel(img, 0, 0, width, height, 14, (20, 40, 70, 200), (230, 220, 180, 255), 3, top=(40, 70, 110, 200))
    # The typed line's field at the foot of the box.
    fill_rect(img, 8, 234, width - 8, 236, (230, 220, 180, 255))
    return img


def square_border(side=64):
    img = canvas(side, side, (0, 0, 0, 0))
    for y in range(side):
        for x in range(side):
            if min(x, y, side - 1 - x, side - 1 - y) < 4:
                img[y][x] = (240, 230, 200, 255)
            elif min(x, y, side - 1 - x, side - 1 - y) < 6:
                img[y][x] = (40, 40, 50, 255)
    return img


def river_backdrop(width, height, sky_top, sky_bottom, water_top, water_bottom, horizon=0.55):
    """Sky over rolling banks over water: the backdrop of the splash and the loading picture."""
    img = canvas(width, height, (0, 0, 0))
    hy = int(height * horizon)
    for y in range(height):
        for x in range(width):
            bank = hy - 40 + 18 * math.sin(x * 0.021) + 9 * math.sin(x * 0.057 + 1.3)
            if y < bank:
                img[y][x] = lerp(sky_top, sky_bottom, y / max(1, bank))
            elif y < hy:
                img[y][x] = lerp((60, 130, 60), (40, 95, 45), (y - bank) / max(1, hy - bank))
            else:
                t = (y - hy) / max(1, height - hy)
                wave = 0.5 + 0.5 * math.sin(x * 0.08 + y * 0.35)
                img[y][x] = lerp(lerp(water_top, water_bottom, t), (235, 245, 255), 0.12 * wave * (1 - t))
    return img


def splash_logo(width=512, height=256):
    img = canvas(width, height, (0, 0, 0, 0))
    rounded_panel(img, 8, 8, width - 8, height - 8, 40, (20, 80, 150, 230), (255, 245, 210, 255), 6,
                  top=(60, 150, 220, 230))
    centred_text(img, 'TUMBO', width // 2, 78, 9, (255, 220, 90, 255))
    centred_text(img, 'KELVO', width // 2, 158, 9, (255, 220, 90, 255))
    # A wave under the name.
    for x in range(40, width - 40):
        y = int(212 + 8 * math.sin((x - 40) * 0.06))
        fill_rect(img, x, y, x + 1, y + 6, (240, 250, 255, 255))
    return img


def results_background(width=512, height=512):
    """Stretched over the whole back buffer; the board's rows stand at the same fractions of it
    as on an 800 x 600 screen, so the six row stripes are drawn at those fractions."""
    img = canvas(width, height, (0, 0, 0))
    for y in range(height):
        for x in range(width):
            t = y / (height - 1)
            img[y][x] = lerp((250, 238, 205), (225, 200, 160), t)
    for k in range(6):
        y0 = round((80 + 80 * k) * height / SCREEN_H)
        y1 = round((80 + 80 * k + 64) * height / SCREEN_H)
        fill_rect(img, round(40 * width / SCREEN_W), y0, round(760 * width / SCREEN_W), y1,
                  (255, 248, 228) if k % 2 == 0 else (240, 225, 190))
    return img


def in_game_panel(side=320):
    """The menu opens over a race that goes on: the panel says so, and promises no pause."""
    img = canvas(pot(side), pot(side), (0, 0, 0, 0))
    rounded_panel(img, 0, 0, side, side, 26, (25, 45, 80, 235), (245, 235, 200, 255), 5, top=(55, 90, 140, 235))
    centred_text(img, 'MENU', side // 2, 32, 5, (255, 230, 120, 255))
    centred_text(img, 'THE RACE GOES ON', side // 2, 284, 2, (235, 240, 255, 255))
    return img


def loading_picture(side=512):
    img = river_backdrop(side, side, (95, 150, 220), (200, 225, 245), (40, 110, 170), (20, 60, 110))
    centred_text(img, 'LOADING', side // 2, int(side * 0.8), 8, (255, 255, 255))
    return img


def xml(lines):
    return ('\n'.join(lines) + '\n').encode('utf-8')


def element(name, values):
    out = ['<%s>' % name]
    out += ['\t<%s>%s</%s>' % (key, value, key) for key, value in values]
    out.append('</%s>' % name)
    return out


def button_element(name, file, x, y, w=192, h=48, at=(None, None)):
    """The button element with its place given in pixels of an 800 x 600 screen (see place)."""
    return element(name, [('FileName', file)] + place(x, y, w, h, at) + [('BBWidth', w), ('BBHeight', h)])


def fraction(pixels, side):
    return ('%.4f' % (pixels / side)).rstrip('0').rstrip('.')


def place(x, y, w, h, at=(None, None)):
    """Offset and anchor values of an item of w x h whose corner stands at (x, y) on the 800 x 600
    screen the layouts are drawn for. On an axis whose point of `at` is None the corner is a
    fraction of the screen. Otherwise that point of the 800 x 600 screen stands at the same
    fraction of any back buffer and the item keeps its distance to it in pixels: (400, None)
    centres a 400 - w / 2 item, and the items of a group given one point keep their places to
    each other."""
    values = []
    for axis, corner, size, side, point in (('X', x, w, SCREEN_W, at[0]), ('Y', y, h, SCREEN_H, at[1])):
        values.append(('Offset' + axis, fraction(corner if point is None else point, side)))
        if point is not None and point != corner:
            values.append(('Anchor' + axis, ('%.6f' % ((point - corner) / size)).rstrip('0').rstrip('.')))
    return values


CLICK = 'sfx/gui/mouse_click.wav'
# The tag reader drops plain spaces from every line, so a text value spaces its words with this.
NBSP = '\u00a0'


def layouts():
    yield 'MultiplayerMenu.xml', xml(
        ['<MultiplayerMenu>', '<MouseClickSound>%s</MouseClickSound>' % CLICK] +
        element('SearchingClient', [('FileName', 'gui/searching_client.png'), ('OffsetX', '0.4'), ('OffsetY', '0.05'),
                                    ('BBWidth', 256), ('BBHeight', 32)]) +
        element('SearchingServer', [('FileName', 'gui/searching_server.png'), ('OffsetX', '0.4'), ('OffsetY', '0.05'),
                                    ('BBWidth', 256), ('BBHeight', 32)]) +
        element('RacerImageData', [('BBWidth', 64), ('BBHeight', 64), ('Scale', '0.75'), ('YOffset', 50)]) +
        # Start and Back keep to the right edge.
        button_element('StartButton', 'gui/lobby_start.png', 580, 380, at=(772, None)) +
        button_element('BackButton', 'gui/lobby_back.png', 580, 450, at=(772, None)) + ['</MultiplayerMenu>'])
    # The board: its background, given no scale, is stretched over the back buffer and its rows
    # and headings stand at fractions of it; Next Race keeps the rows' right edge.
    yield 'EndRace.xml', xml(
        ['<EndRace>', '<MouseClickSound>%s</MouseClickSound>' % CLICK] +
        element('Background', [('FileName', 'gui/end_race_background.png'), ('BBWidth', 512), ('BBHeight', 512)]) +
        button_element('NextRaceButton', 'gui/next_race.png', 576, 549, at=(768, None)) +
        button_element('TrackTime', 'gui/heading_track_time.png', 220, 40, 200, 32) +
        button_element('TotalTime', 'gui/heading_total_time.png', 520, 40, 200, 32) + ['</EndRace>'])
    # Banners and buttons centred across the screen.
    yield 'VictoryScreen.xml', xml(
        ['<VictoryScreen>'] +
        element('WinText', [('FileName', 'gui/win_text.png')] + place(144, 48, 512, 128, (400, None)) +
                [('BBWidth', 512), ('BBHeight', 128), ('ScalarX', '1'), ('ScalarY', '1')]) +
        element('LoseText', [('FileName', 'gui/lose_text.png')] + place(144, 48, 512, 128, (400, None)) +
                [('BBWidth', 512), ('BBHeight', 128), ('ScalarX', '1'), ('ScalarY', '1')]) +
        button_element('Continue', 'gui/continue.png', 304, 480, at=(400, None)) + ['</VictoryScreen>'])
    # The panel and its buttons, one group about the panel's middle.
    menu_middle = (400, 280)
    yield 'InGameMenu.xml', xml(
        ['<InGameMenu>', '<MouseClickSound>%s</MouseClickSound>' % CLICK] +
        button_element('ResumeButton', 'gui/resume.png', 304, 198, at=menu_middle) +
        button_element('ExitButton', 'gui/exit_to_menu.png', 304, 258, at=menu_middle) +
        button_element('ExitGameButton', 'gui/exit_game.png', 304, 318, at=menu_middle) +
        element('InGameMenuBackground', [('FileName', 'gui/in_game_menu.png')] + place(240, 120, 320, 320, menu_middle) +
                [('ScaleX', '1'), ('ScaleY', '1'), ('Width', 320), ('Height', 320)]) +
        ['</InGameMenu>'])
    # The logo centred across the screen over a backdrop stretched over the back buffer.
    yield 'NorvaleSplash.xml', xml(
        ['<NorvaleSplash>'] +
        element('NVLogo', [('FileName', 'gui/splash_logo.png')] + place(144, 120, 512, 256, (400, None)) +
                [('BBWidth', 512), ('BBHeight', 256), ('ScalarX', '1'), ('ScalarY', '1')]) +
        element('Background', [('FileName', 'gui/splash_background.png'), ('OffsetX', '0'), ('OffsetY', '0'),
                               ('BBWidth', 512), ('BBHeight', 512)]) +
        element('NorvaleCopyRight', [('Text', NBSP.join('Copyright the Tumbo Kelvo team. All rights reserved.'.split())),
                                     ('OffsetX', '0.05'), ('OffsetY', '0.92')]) + ['</NorvaleSplash>'])
    yield 'CreditsMenu.xml', xml(['<CreditsMenu>', '<MouseClickSound>%s</MouseClickSound>' % CLICK] +
                                 button_element('BackButton', 'gui/credits_back.png', 40, 528) + ['</CreditsMenu>'])


def textures():
    yield 'gui/searching_client.png', searching_strip('FINDING PLAYERS')
    yield 'gui/searching_server.png', searching_strip('FINDING A HOST')
    yield 'gui/lobby_start.png', button('START')
    yield 'gui/lobby_back.png', button('BACK')
    yield 'gui/credits_back.png', button('BACK')
    yield 'gui/next_race.png', button('NEXT RACE')
    yield 'gui/continue.png', button('CONTINUE')
    yield 'gui/resume.png', button('BACK TO RACE')
    yield 'gui/exit_to_menu.png', button('EXIT')
    yield 'gui/exit_game.png', button('EXIT GAME')
    yield 'gui/heading_track_time.png', heading('TRACK TIME')
    yield 'gui/heading_total_time.png', heading('TOTAL TIME')
    yield 'gui/end_race_background.png', results_background()
    yield 'gui/win_text.png', banner('YOU WIN!', ((250, 190, 40, 255), (200, 120, 20, 255)))
    yield 'gui/lose_text.png', banner('YOU LOSE', ((120, 130, 160, 255), (60, 65, 95, 255)))
    yield 'gui/in_game_menu.png', in_game_panel()
    yield 'gui/splash_logo.png', splash_logo()
    yield 'gui/splash_background.png', river_backdrop(512, 512, (30, 60, 130), (150, 190, 235), (40, 110, 170),
                                                      (15, 45, 90))
    yield 'hud/MultiPlayerChatBox.png', chat_box()
    yield 'hud/tex_squareborder.png', square_border()
    yield 'hud/loading_screen.png', loading_picture()


def outputs():
    for name, data in layouts():
        yield os.path.join('data', 'files', 'xmlfiles', name), data
    for name, rows in textures():
        yield os.path.join('data', 'arts', 'textures', name), png_bytes(rows)


if __name__ == '__main__':
    write_outputs(__doc__.split('\n')[0], outputs)
