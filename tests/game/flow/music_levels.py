#!/usr/bin/env python3
"""Plays the game headless through OpenAL Soft's wave writer and checks that the music plays on
through the title menu, the credits, the race and the victory screen.

The walk: the title menu after the splash, the credits, back to the menu, a single-player race
paddled to the finish, Next Race on the results board, the victory screen, Continue, and the menu
again. The game runs on the fixed frame step and the null graphics device; the wave writer
renders the sound in real time on its own clock. So that each screen's place in the recording
does not depend on how fast the machine runs the frames, the script watches the run trace while
the game runs and notes how much sound the wave writer has written when each state begins.
Every half second of each screen, from a second after it begins to half a second before it
ends, must be louder than the floor (music plays there; digital silence is what a starved stream
leaves). Each screen must last a few seconds of sound, or the check could not tell a stream that
plays on from one that stops after its queued second. The levels per second are printed.

How many seconds of sound a screen's frames give is how fast the machine runs them: a quiet fast
machine runs the credits at four thousand frames a second, a loaded one at a tenth of that. The
holds give several seconds on a quiet machine of today; a machine fast enough to run a screen
through in too few seconds has not shown anything wrong, so the walk is played again with that
screen held as many more frames as its measured rate asks for (up to --attempts runs in all). A
silent screen fails at once, whatever the run. Exits 1 with the reasons on a failure.
"""
import argparse
import array
import math
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from menu_walk import CAMERA, CREDITS, MENU, SELECTION, Layout, Walk  # noqa: E402

END_RACE = 'EndRace.xml'
VICTORY = 'VictoryScreen.xml'

# Frames at 60 a second of each screen that must last. A quiet machine of eight processors ran
# them with the null device at some 9,000 (title menu), 4,000 (credits), 2,000 (race) and 3,000
# (victory screen) frames a second: the holds give it six to ten seconds of each.
# The paddled player is home about 17,000 frames after the selection's OK: the race is held at
# least this long, and the paddling stops there.
NEXT_RACE_AFTER_OK = 24000
HOLDS = {'title menu': 100000, 'credits': 32000, 'race': NEXT_RACE_AFTER_OK, 'victory screen': 24000}
HOLD_MENU_AGAIN = 30000
# A screen found too short is held again for this much sound at the rate it was run at, the hold
# growing at most this many times at once.
WANTED_SPAN = 6.0
MOST_GROWTH = 16

WINDOW = 0.5
FLOOR_DB = -55.0
START_MARGIN = 1.0
END_MARGIN = 0.5
SHORTEST_SPAN = 3.0


def paddle(walk, until):
    """Up held from the countdown's end, let go now and then for a sideways stroke either way, so
    that the racer slides off what it meets head on (as the season inputs do)."""
    start = walk.frame
    walk.lines += ['%d key_down Up' % (start + 250)]
    for k, at in enumerate(range(start + 250 + 900, start + until - 900, 450)):
        key = 'Left' if k % 2 == 0 else 'Right'
        walk.lines += ['%d key_up Up' % at, '%d key_down %s' % (at, key), '%d key_up %s' % (at + 60, key),
                       '%d key_down Up' % (at + 60)]
    walk.lines += ['%d key_up Up' % (start + until - 100)]
    walk.wait(until)


def music_walk(layout, holds):
    """The input, and the frame at which the victory screen shows; `holds` gives each screen's
    frames (HOLDS' keys)."""
    walk = Walk(layout)
    walk.wait(190 + CAMERA + holds['title menu'])
    walk.click(MENU, 'CreditsButton', CAMERA + holds['credits'])
    walk.click(CREDITS, 'BackButton', CAMERA)
    walk.click(MENU, 'SinglePlayerButton', CAMERA)
    walk.click(SELECTION, 'OKButton', 0)
    paddle(walk, NEXT_RACE_AFTER_OK)
    # Longer than the paddling only on the results board, the player home.
    walk.wait(max(0, holds['race'] - NEXT_RACE_AFTER_OK))
    victory = walk.frame
    walk.click(END_RACE, 'NextRaceButton', holds['victory screen'])
    walk.click(VICTORY, 'Continue', CAMERA + HOLD_MENU_AGAIN)
    return walk, victory


class Recording:
    """The wave writer's file: where its samples begin, and their levels."""

    def __init__(self, path):
        data = open(path, 'rb').read()
        if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
            raise SystemExit('%s is not a wave file' % path)
        pos = 12
        self.channels = self.rate = self.bits = 0
        self.samples = None
        while pos + 8 <= len(data):
            chunk, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
            if chunk == b'fmt ':
                _, self.channels, self.rate, _, _, self.bits = struct.unpack('<HHIIHH', data[pos + 8:pos + 24])
            elif chunk == b'data':
                self.offset = pos + 8
                body = data[self.offset:]
                self.samples = array.array('h' if self.bits == 16 else 'f')
                self.samples.frombytes(body[:len(body) // self.samples.itemsize * self.samples.itemsize])
                break
            pos += 8 + size
        if self.samples is None or self.channels == 0:
            raise SystemExit('%s holds no samples' % path)
        self.scale = 32768.0 if self.bits == 16 else 1.0

    def seconds_at(self, size):
        """The sound written when the file had `size` bytes."""
        frame_bytes = self.channels * self.bits // 8
        return max(0, size - self.offset) / float(frame_bytes * self.rate)

    def length(self):
        return len(self.samples) / float(self.channels * self.rate)

    def level(self, start, seconds):
        """RMS in dBFS of `seconds` of sound from `start`, all channels together."""
        first = int(start * self.rate) * self.channels
        last = min(len(self.samples), first + int(seconds * self.rate) * self.channels)
        if last <= first:
            return None
        total = sum(float(x) * x for x in self.samples[first:last])
        rms = math.sqrt(total / (last - first)) / self.scale
        return 20.0 * math.log10(rms) if rms > 0 else -200.0


def run_game(args, walk, frames):
    """Runs the game to its frame limit, noting the wave file's size as each trace line appears.
    Returns the trace lines with those sizes, or raises SystemExit with the reason."""
    input_path = os.path.join(args.work, 'music_levels_input.txt')
    trace_path = os.path.join(args.work, 'music_levels_trace.txt')
    wave_path = os.path.join(args.work, 'music_levels.wav')
    config_path = os.path.join(args.work, 'music_levels_alsoft.conf')
    with open(input_path, 'w') as out:
        out.write(walk.text())
    with open(config_path, 'w') as out:
        out.write('[general]\ndrivers = wave\nchannels = stereo\nfrequency = 44100\nsample-type = int16\n'
                  '[wave]\nfile = %s\n' % wave_path)
    for stale in (trace_path, wave_path):
        if os.path.exists(stale):
            os.remove(stale)
    env = dict(os.environ, SDL_VIDEODRIVER='offscreen', ALSOFT_DRIVERS='wave', ALSOFT_CONF=config_path,
               TK_D3D9_DEVICE='null', TK_FIXED_DT='0.016666', TK_FRAME_LIMIT=str(frames),
               TK_INPUT_FILE=input_path, TK_TRACE=trace_path)
    env.setdefault('ASAN_OPTIONS', 'detect_leaks=0')
    errors_path = os.path.join(args.work, 'music_levels_errors.txt')
    with open(errors_path, 'w') as errors:
        game = subprocess.Popen([args.game], cwd=args.run_dir, env=env, stdout=subprocess.DEVNULL, stderr=errors)
        seen = []
        ended = time.time() + args.timeout
        while True:
            finished = game.poll() is not None
            size = os.path.getsize(wave_path) if os.path.exists(wave_path) else 0
            if os.path.exists(trace_path):
                with open(trace_path) as trace:
                    lines = [line.strip() for line in trace if line.endswith('\n')]
                seen += [(line, size) for line in lines[len(seen):]]
            if finished:
                break
            if time.time() > ended:
                game.kill()
                game.wait()
                raise SystemExit('the game did not stop within %d s' % args.timeout)
            time.sleep(0.01)
    if game.returncode != 0:
        tail = open(errors_path).read()[-3000:]
        raise SystemExit('the game exited with %d; the end of its standard error:\n%s' % (game.returncode, tail))
    return seen, wave_path


def check_run(args, holds):
    """Plays the walk once. Returns the failures, and the named screens too short to tell with
    their seconds of sound."""
    walk, victory_frame = music_walk(Layout(os.path.join(args.source, 'data', 'files', 'xmlfiles')), holds)
    started = time.time()
    seen, wave_path = run_game(args, walk, walk.frame)
    recording = Recording(wave_path)

    # (frame, sound seconds) of each trace line; the states with the second each began.
    points = []
    states = []
    for line, size in seen:
        fields = line.split()
        points.append((int(fields[0]), recording.seconds_at(size)))
        if len(fields) == 3 and fields[1] == 'state':
            states.append((fields[2], recording.seconds_at(size)))
    names = [name for name, _ in states]
    expected = ['InitState', 'LoadingScreenState', 'Loading1State', 'NorvaleSplashState', 'MenuState',
                'CreditsState', 'MenuState', 'CharSelState', 'StartTrack1State', 'RacingState',
                'LoadingScreenState', 'Loading1State', 'MenuState']
    if names != expected:
        return ['states entered:\n  %s\nexpected:\n  %s' % (' '.join(names), ' '.join(expected))], {}
    if not any(line.split()[1] == 'finish' for line, _ in seen):
        return ['no racer finished before Next Race was clicked:\n  ' + '\n  '.join(line for line, _ in seen)], {}

    def span(index):
        end = states[index + 1][1] if index + 1 < len(states) else recording.length()
        return states[index][1], end

    def at_frame(frame):
        """Where in the sound a frame fell, between the trace lines around it (the victory screen
        is no state of its own: its frames are placed by the lines before and after it)."""
        before = max((p for p in points if p[0] <= frame), key=lambda p: p[0])
        after = min((p for p in points if p[0] >= frame), key=lambda p: p[0])
        if after[0] == before[0]:
            return before[1]
        return before[1] + (after[1] - before[1]) * (frame - before[0]) / float(after[0] - before[0])

    race_start, race_end = span(names.index('RacingState'))
    screens = [
        ('title menu', span(4), True),
        ('credits', span(5), True),
        ('menu after the credits', span(6), False),
        ('character selection', span(7), False),
        ('countdown', span(8), False),
        ('race', (race_start, at_frame(victory_frame)), True),
        ('victory screen', (at_frame(victory_frame), race_end), True),
        ('menu after the race', span(12), False),
    ]
    failures = []
    short = {}
    for name, (start, end), named in screens:
        first, last = start + START_MARGIN, end - END_MARGIN
        levels = []
        at = first
        while at + WINDOW <= last:
            levels.append((at, recording.level(at, WINDOW)))
            at += WINDOW
        per_second = []
        at = start
        while at + 1.0 <= end:
            per_second.append('%.0f' % recording.level(at, 1.0))
            at += 1.0
        quiet = [at for at, db in levels if db is None or db <= FLOOR_DB]
        print('%s: %.1f s to %.1f s of sound; dBFS per second: %s' % (name, start, end, ' '.join(per_second)))
        if quiet:
            failures.append('%s: silent (below %.0f dBFS) at %s s' % (name, FLOOR_DB,
                                                                      ', '.join('%.1f' % q for q in quiet)))
        if named and end - start < SHORTEST_SPAN:
            short[name] = end - start
    print('%d frames, %.1f s of sound, %.1f s' % (walk.frame, recording.length(), time.time() - started))
    return failures, short


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--game', required=True)
    parser.add_argument('--source', required=True, help='the repository root')
    parser.add_argument('--work', required=True, help='where the input, trace and recording are written')
    parser.add_argument('--timeout', type=int, default=3600,
                        help='wall seconds after which a run counts as hung (a bound, not a measure)')
    parser.add_argument('--attempts', type=int, default=3,
                        help='runs at most, each holding longer the screens the one before ran through too fast')
    args = parser.parse_args()
    args.run_dir = os.path.join(args.source, 'run', 'tumbo', 'kelvo', 'game')
    holds = dict(HOLDS)
    for attempt in range(1, args.attempts + 1):
        failures, short = check_run(args, holds)
        if failures or not short:
            break
        if attempt == args.attempts:
            failures = ['%s: only %.1f s of sound in %d frames after %d runs, too short to tell a stream that '
                        'plays on from one that stops; hold it longer' % (name, seconds, holds[name], attempt)
                        for name, seconds in sorted(short.items())]
            break
        for name, seconds in sorted(short.items()):
            grown = int(holds[name] * min(MOST_GROWTH, WANTED_SPAN / max(seconds, 0.1)))
            print('%s: only %.1f s of sound in %d frames on this machine: played again, held %d frames' %
                  (name, seconds, holds[name], grown))
            holds[name] = grown
    for reason in failures:
        print(reason)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
