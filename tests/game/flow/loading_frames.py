#!/usr/bin/env python3
"""Checks the drawn frames around each loading of a headless run against its run trace.

Every state entered that builds a level or shows the loading picture (LoadingScreenState,
Loading1State) must be the current state of at least one drawn frame, and each of those frames
must show the loading picture; the frame that follows a loading must be neither black nor the
scene half put together: it matches the same state's frame a few frames later.

The start grid (StartTrack1State) is made behind the same picture: the frame that enters it (the
one after OK, or after the lobby's Start) shows the loading picture, never the race HUD over the
line-up the camera still looks at; the first saved frame after it that no longer shows the picture
is the grid whole, as a few frames later.

The frames are the PNG screenshots tk_frame_<N>.png the game saved (TK_SCREENSHOT_FRAMES); a
frame is drawn after the frame step of the same number, so its state is the last one the trace
entered at that number or before. Without any screenshot (no OpenGL device: the null device
saves none) the check says so and passes. Exits 1 with the reasons on a failure.
"""
import argparse
import os
import struct
import sys
import zlib

LOADING = ('LoadingScreenState', 'Loading1State')
BEHIND_PICTURE = ('StartTrack1State',)
# Sample points per side, and how far a frame may stray from what it should show (mean absolute
# difference of the channels, 0-255): the picture is scaled by the sprite's filter, and the water
# moves between two frames of one view.
GRID = (16, 12)
PICTURE_TOLERANCE = 12
STEADY_TOLERANCE = 12
BLACK = 24
LATER = 10


def read_png(path):
    """(width, height, channels, rows of bytes) of an 8-bit, non-interlaced PNG."""
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('%s is not a PNG' % path)
    at, chunks, header = 8, [], None
    while at + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or interlace != 0 or colour not in (0, 2, 4, 6):
        raise ValueError('%s: only 8-bit non-interlaced PNGs are read' % path)
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour]
    raw = zlib.decompress(b''.join(chunks))
    stride = width * channels
    rows, prior, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        if kind == 1:
            for i in range(channels, stride):
                line[i] = (line[i] + line[i - channels]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, prior))
        elif kind == 3:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                line[i] = (line[i] + ((left + prior[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b, c = prior[i], prior[i - channels] if i >= channels else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prior = line
    return width, height, channels, rows


def samples(image, width=None, height=None):
    """RGB at the centres of the grid's cells, the grid laid over width x height (the image's own
    size by default) and read from the image scaled to that size."""
    w, h, channels, rows = image
    width, height = width or w, height or h
    points = []
    for gy in range(GRID[1]):
        for gx in range(GRID[0]):
            x = int((gx + 0.5) * width / GRID[0]) * w // width
            y = int((gy + 0.5) * height / GRID[1]) * h // height
            pixel = rows[y][x * channels:x * channels + channels]
            points.append(tuple(pixel[:3]) if channels >= 3 else (pixel[0],) * 3)
    return points


def difference(a, b):
    return sum(abs(p - q) for pa, pb in zip(a, b) for p, q in zip(pa, pb)) / (3.0 * len(a))


def brightness(points):
    return sum(sum(p) for p in points) / (3.0 * len(points))


def states_by_frame(trace):
    entered = []
    for line in open(trace):
        fields = line.split()
        if len(fields) == 3 and fields[1] == 'state':
            entered.append((int(fields[0]), fields[2]))
    return entered


def current(entered, frame):
    state = None
    for at, name in entered:
        if at <= frame:
            state = name
    return state


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--trace', required=True)
    parser.add_argument('--shots', required=True, help='the folder of the tk_frame_<N>.png files')
    parser.add_argument('--picture', required=True, help='the loading picture the frames must show')
    parser.add_argument('--later', type=int, default=LATER,
                        help='how many frames on the frame after a loading is compared with (default %(default)s)')
    args = parser.parse_args()

    shots = {}
    for name in os.listdir(args.shots):
        if name.startswith('tk_frame_') and name.endswith('.png'):
            shots[int(name[len('tk_frame_'):-len('.png')])] = os.path.join(args.shots, name)
    if args.later < 1:
        parser.error('--later must be at least one frame')
    if not shots:
        print('no frames were saved (no OpenGL device?): the loading frames are not checked')
        return 0
    entered = states_by_frame(args.trace)
    picture = read_png(args.picture)
    failures = []
    cache = {}

    def frame(number):
        if number not in cache:
            cache[number] = read_png(shots[number])
        return cache[number]

    def shows_picture(number):
        image = frame(number)
        return difference(samples(image), samples(picture, image[0], image[1]))

    def check_whole(following):
        """The first frame after the picture: not black, and the view of a few frames later."""
        if following not in shots or following + args.later not in shots:
            failures.append('frames %d and %d after the loading have no screenshots to check' %
                            (following, following + args.later))
            return
        first, later = samples(frame(following)), samples(frame(following + args.later))
        if brightness(first) < BLACK:
            failures.append('frame %d (%s), after the loading, is black' % (following, current(entered, following)))
        elif difference(first, later) > STEADY_TOLERANCE:
            failures.append('frame %d (%s), after the loading, is not the view of frame %d (off by %.1f)' %
                            (following, current(entered, following), following + args.later,
                             difference(first, later)))

    for index, (at, name) in enumerate(entered):
        if name in BEHIND_PICTURE:
            if at not in shots:
                failures.append('frame %d, entering %s, has no screenshot to check' % (at, name))
                continue
            off = shows_picture(at)
            if off > PICTURE_TOLERANCE:
                failures.append('frame %d, entering %s, does not show the loading picture (off by %.1f)' %
                                (at, name, off))
                continue
            later = sorted(number for number in shots if number > at)
            following = next((number for number in later if shows_picture(number) > PICTURE_TOLERANCE), None)
            if following is None:
                failures.append('no saved frame after %d (%s) shows the grid' % (at, name))
            else:
                check_whole(following)
            continue
        if name not in LOADING:
            continue
        left = entered[index + 1][0] if index + 1 < len(entered) else at + 1
        drawn = range(at, left)
        if not drawn:
            failures.append('%s entered at frame %d was left in the same frame: no frame showed it' % (name, at))
            continue
        for number in drawn:
            if number not in shots:
                failures.append('frame %d (%s) has no screenshot to check' % (number, name))
                continue
            off = shows_picture(number)
            if off > PICTURE_TOLERANCE:
                failures.append('frame %d (%s) does not show the loading picture (off by %.1f)' % (number, name, off))
        if index + 1 < len(entered) and entered[index + 1][1] not in LOADING:
            check_whole(left)
    for reason in failures:
        print(reason)
    if not failures:
        print('every loading and the start grid drew the loading picture, and the frame after it its own state '
              '(%d frames)' % len(shots))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
