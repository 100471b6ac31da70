#!/usr/bin/env python3
"""Walks every menu road of the game headless, with the graphics device drawing every frame (the
null device unless --device says otherwise), and checks that it ends cleanly.

One run clicks every button of the start menu but Exit, of the character selection, of the lobby
as host and as client, and of the in-game menu: Credits and Back; Multiplayer, Host Game, the
line-up turned both ways, OK, the lobby's Back, the selection's Back; the same as a client with
Join Game; Single Player, OK, Escape and Resume during the countdown, then Exit from the race;
the lobby's Start for a race of one host, and Exit; a second single-player race after the backing
out, left by Exit Game. A second run leaves from the start menu by its Exit. Each run must stop by
itself, with exit code 0, having entered exactly the expected states. A sanitized build reports
any use of freed memory on the way as a failure.

The click points are the buttons' centres worked out from the layout files at the configured
screen size, so the walk follows the layout. The walk is written in sixtieths of a second and run
at a frame step of --step of them: the same road in fewer frames. Exits 1 with the reason on a
failure.

With --damaged, the game runs instead on copies of the data tree in which the start menu's, the
cursor's or the character selection's layout file is empty, random bytes or a directory, one at
a time: laid out as shipped, each still goes from the menu into a race, back by the in-game
menu's Exit and away by the start menu's Exit, clicked where the shipped layout puts them.
"""
import concurrent.futures
import argparse
import math
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

import scale_input

# Frames at 60 a second. The menus and the selection take clicks once their 2 s camera move is
# over; a turn of the line-up lasts a second; the countdown about five and a half.
CAMERA = 135
TURN = 80
COUNTDOWN = 360
STEP = 20
# A run still going this long after its last input did not stop by itself: the frame limit ends
# it there, and the screenshot of that frame says it got that far.
GRACE = 300


def value(text, element):
    match = re.search(r'<%s>\s*([^<]*?)\s*</%s>' % (element, element), text)
    return match.group(1) if match else ''


def section(text, element):
    match = re.search(r'<%s>(.*?)</%s>' % (element, element), text, re.S)
    if not match:
        raise SystemExit('no %s element in the layout' % element)
    return match.group(1)


class Layout:
    """Button centres in pointer offsets: the pointer starts where the cursor file puts it and
    follows the mouse's relative movements, so a position is given as an offset from there."""

    def __init__(self, xml_dir):
        config = open(os.path.join(xml_dir, 'tumbo_kelvo_engine_config.xml')).read()
        self.width = int(value(config, 'ScreenWidth'))
        self.height = int(value(config, 'ScreenHeight'))
        cursor = open(os.path.join(xml_dir, 'CursorInit.xml')).read()
        self.start = (int(value(cursor, 'PosX')), int(value(cursor, 'PosY')))
        self.xml_dir = xml_dir

    def button(self, layout_file, element):
        box = section(open(os.path.join(self.xml_dir, layout_file)).read(), element)
        return (self.centre(box, 'X', self.width, 'BBWidth') - self.start[0],
                self.centre(box, 'Y', self.height, 'BBHeight') - self.start[1])

    @staticmethod
    def centre(box, axis, side, size_name):
        """The box's middle: the offset's pixel less the anchor's share of the box (rounded, half
        away from zero), then half the box."""
        size = int(value(box, size_name))
        anchor = float(value(box, 'Anchor' + axis) or 0)
        shift = math.copysign(math.floor(abs(size * anchor) + 0.5), anchor)
        return int(side * float(value(box, 'Offset' + axis))) - int(shift) + size // 2


class Walk:
    def __init__(self, layout):
        self.layout = layout
        self.frame = 0
        self.lines = []

    def wait(self, frames):
        self.frame += frames

    def click(self, layout_file, element, then=STEP):
        x, y = self.layout.button(layout_file, element)
        self.lines += ['# %s' % element, '%d mouse_move %d %d' % (self.frame - 8, x, y),
                       '%d mouse_down left %d %d' % (self.frame, x, y), '%d mouse_up left %d %d' % (self.frame + 2, x, y)]
        self.wait(then)

    def key(self, name, then=STEP):
        self.lines += ['%d key_down %s' % (self.frame, name), '%d key_up %s' % (self.frame + 1, name)]
        self.wait(then)

    def text(self):
        return '\n'.join(self.lines) + '\n'


MENU = 'StartMenu.xml'
SELECTION = 'CharacterSelection.xml'
LOBBY = 'MultiplayerMenu.xml'
IN_GAME = 'InGameMenu.xml'
CREDITS = 'CreditsMenu.xml'

START_UP = ['InitState', 'LoadingScreenState', 'Loading1State', 'NorvaleSplashState', 'MenuState']
BACK_TO_MENU = ['LoadingScreenState', 'Loading1State', 'MenuState']


def every_road(layout):
    walk = Walk(layout)
    # The splash lasts 3 s, then the menu's camera moves.
    walk.wait(190 + CAMERA)
    states = list(START_UP)

    walk.click(MENU, 'CreditsButton', CAMERA)
    walk.click(CREDITS, 'BackButton', CAMERA)
    states += ['CreditsState', 'MenuState']

    for role in ('HostGameButton', 'JoinGameButton'):
        walk.click(MENU, 'MultiPlayerButton')
        walk.click(MENU, role, CAMERA)
        if role == 'HostGameButton':
            walk.click(SELECTION, 'LeftButton', TURN)
            walk.click(SELECTION, 'RightButton', TURN)
        walk.click(SELECTION, 'OKButton', CAMERA)
        walk.click(LOBBY, 'BackButton', CAMERA)
        walk.click(SELECTION, 'BackButton', CAMERA)
        states += ['CharSelState', 'MultiState', 'CharSelState', 'MenuState']

    walk.click(MENU, 'SinglePlayerButton', CAMERA)
    walk.click(SELECTION, 'LeftButton', TURN)
    walk.click(SELECTION, 'OKButton', COUNTDOWN // 3)
    # The in-game menu opens during the countdown too.
    walk.key('Escape')
    walk.click(IN_GAME, 'ResumeButton', COUNTDOWN)
    walk.key('Escape')
    walk.click(IN_GAME, 'ExitButton', CAMERA)
    states += ['CharSelState', 'StartTrack1State', 'RacingState'] + BACK_TO_MENU

    # A host alone starts a race from the lobby.
    walk.click(MENU, 'MultiPlayerButton')
    walk.click(MENU, 'HostGameButton', CAMERA)
    walk.click(SELECTION, 'OKButton', CAMERA)
    walk.click(LOBBY, 'StartButton', COUNTDOWN + 60)
    walk.key('Escape')
    walk.click(IN_GAME, 'ExitButton', CAMERA)
    states += ['CharSelState', 'MultiState', 'StartTrack1State', 'RacingState'] + BACK_TO_MENU

    # A race after backing out of the network roads, left for good.
    walk.click(MENU, 'SinglePlayerButton', CAMERA)
    walk.click(SELECTION, 'OKButton', COUNTDOWN + 60)
    walk.key('Escape')
    walk.click(IN_GAME, 'ExitGameButton')
    states += ['CharSelState', 'StartTrack1State', 'RacingState']
    return walk, states


def menu_exit(layout):
    walk = Walk(layout)
    walk.wait(190 + CAMERA)
    walk.click(MENU, 'ExitButton')
    return walk, list(START_UP)


def race_and_exit(layout):
    walk = Walk(layout)
    walk.wait(190 + CAMERA)
    walk.click(MENU, 'SinglePlayerButton', CAMERA)
    walk.click(SELECTION, 'OKButton', COUNTDOWN + 60)
    walk.key('Escape')
    walk.click(IN_GAME, 'ExitButton', CAMERA)
    walk.click(MENU, 'ExitButton')
    return walk, START_UP + ['CharSelState', 'StartTrack1State', 'RacingState'] + BACK_TO_MENU


DAMAGED_LAYOUTS = ['StartMenu.xml', 'CursorInit.xml', 'CharacterSelection.xml']
DAMAGES = ['empty', 'random', 'directory']


def damaged_tree(args, root, layout_file, damage):
    """A copy of the data tree and scripts of hard links with one layout file damaged; its run folder."""
    run_dir = os.path.join('run', 'tumbo', 'kelvo', 'game')
    for top in ('data', os.path.join(run_dir, 'Scripts')):
        shutil.copytree(os.path.join(args.source, top), os.path.join(root, top), copy_function=os.link)
    target = os.path.join(root, 'data', 'files', 'xmlfiles', layout_file)
    os.remove(target)
    if damage == 'empty':
        open(target, 'w').close()
    elif damage == 'random':
        shutil.copyfile(os.path.join(args.source, 'tests', 'support', 'data', 'random_bytes.bin'), target)
    else:
        os.mkdir(target)
    return os.path.join(root, run_dir)


def run_damaged(args, layout, layout_file, damage):
    with tempfile.TemporaryDirectory(prefix='tk_walk_') as root:
        run_dir = damaged_tree(args, root, layout_file, damage)
        name = '%s_%s' % (os.path.splitext(layout_file)[0], damage)
        return run(args, name, *race_and_exit(layout), run_dir=run_dir, said=layout_file)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def run(args, name, walk, expected, run_dir=None, said=None):
    """Runs the game on the walk's input until it stops by itself; the reason of a failure or None.
    `said`, when given, must be named on the game's standard error."""
    input_path = os.path.join(args.work, 'menu_walk_%s_input.txt' % name)
    trace_path = os.path.join(args.work, 'menu_walk_%s_trace.txt' % name)
    with open(input_path, 'w') as out:
        out.write('\n'.join(scale_input.scale(walk.text().splitlines(), args.step)) + '\n')
    if os.path.exists(trace_path):
        os.remove(trace_path)
    run_dir = run_dir or args.run_dir
    limit = (walk.frame + GRACE) // args.step
    sentinel = os.path.join(run_dir, 'tk_frame_%d.png' % limit)
    if os.path.exists(sentinel):
        os.remove(sentinel)
    env = dict(os.environ, SDL_VIDEODRIVER='offscreen', ALSOFT_DRIVERS='null',
               TK_FIXED_DT='%.6f' % (args.step / 60.0 - 1e-6),
               TK_INPUT_FILE=input_path, TK_TRACE=trace_path, TK_NET_ADDRESS='127.0.0.1',
               TK_NET_PORT=str(free_port()), TK_NET_BROADCAST='127.255.255.255', TK_FRAME_LIMIT=str(limit),
               TK_SCREENSHOT_FRAMES=str(limit))
    if args.device:
        env['TK_D3D9_DEVICE'] = args.device
    started = time.time()
    try:
        done = subprocess.run([args.game], cwd=run_dir, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        return '%s: the game hung: no exit within %d s, frame limit or not' % (name, args.timeout)
    errors = done.stderr.decode('utf-8', 'replace')
    # The frame limit's frame was saved, or said to be skipped, only by a run that reached it.
    reached = os.path.exists(sentinel) or os.path.basename(sentinel) in errors
    if os.path.exists(sentinel):
        os.remove(sentinel)
    if reached:
        return '%s: the game did not stop by itself within %d frames of its last input (the last click missed?)' % (
            name, GRACE // args.step)
    if done.returncode != 0:
        return '%s: the game exited with %d; the end of its standard error:\n%s' % (name, done.returncode,
                                                                                   errors[-4000:])
    if said and said not in errors:
        return '%s: the game did not name %s on its standard error' % (name, said)
    states = []
    if os.path.exists(trace_path):
        for line in open(trace_path):
            fields = line.split()
            if len(fields) == 3 and fields[1] == 'state':
                states.append(fields[2])
    if states != expected:
        return '%s: states entered:\n  %s\nexpected:\n  %s' % (name, ' '.join(states), ' '.join(expected))
    print('%s: %d frames of input at a step of %d, %d states, %.1f s' % (name, walk.frame // args.step, args.step,
                                                                      len(states), time.time() - started))
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--game', required=True)
    parser.add_argument('--source', required=True, help='the repository root')
    parser.add_argument('--work', required=True, help='where the inputs and traces are written')
    parser.add_argument('--device', default='null', help='TK_D3D9_DEVICE for the runs (empty: the default)')
    parser.add_argument('--step', type=int, default=3, help='sixtieths of a second in each frame (1 to 6)')
    parser.add_argument('--timeout', type=int, default=3600,
                        help='wall seconds after which a run counts as hung (a bound, not a measure)')
    parser.add_argument('--damaged', action='store_true', help='the walks on damaged layout files')
    parser.add_argument('--jobs', type=int, default=3)
    args = parser.parse_args()
    if not 1 <= args.step <= 6:
        parser.error('--step must be from 1 to 6')
    args.game = os.path.abspath(args.game)
    args.work = os.path.abspath(args.work)
    args.source = os.path.abspath(args.source)
    args.run_dir = os.path.join(args.source, 'run', 'tumbo', 'kelvo', 'game')
    layout = Layout(os.path.join(args.source, 'data', 'files', 'xmlfiles'))
    if args.damaged:
        cases = [(f, d) for f in DAMAGED_LAYOUTS for d in DAMAGES]
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            failures = [reason for reason in pool.map(lambda case: run_damaged(args, layout, *case), cases) if reason]
    else:
        failures = [reason for reason in (run(args, 'roads', *every_road(layout)), run(args, 'exit', *menu_exit(layout)))
                    if reason]
    for reason in failures:
        print(reason)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
