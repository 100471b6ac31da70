#!/usr/bin/env python3
"""Rewrites a game input file made for frames of 1/60 s for a run whose frames stand for `step` of
them (TK_FIXED_DT = step / 60 s): each event keeps its time, and so happens at its frame divided by
the step. A key or button let go in the frame it went down would never be seen held, so a release
comes at least one frame after its press.

Usage: scale_input.py <input> <output> <step>
"""
import re
import sys

EVENT = re.compile(r'^(\d+) (key|mouse)_(down|up) (\S+)(.*)$')


def scale(lines, step):
    """The lines of an input file, each event's frame divided by `step`; comments and blank lines
    are kept as they are."""
    pressed, out = {}, []
    for line in lines:
        line = line.rstrip('\n')
        fields = line.split(' ', 1)
        if not fields[0].isdigit():
            out.append(line)
            continue
        frame = int(fields[0]) // step
        event = EVENT.match(line)
        if event:
            which = (event.group(2), event.group(4))
            if event.group(3) == 'down':
                pressed[which] = frame
            elif which in pressed:
                frame = max(frame, pressed.pop(which) + 1)
        out.append('%d %s' % (frame, fields[1]) if len(fields) > 1 else str(frame))
    return out


def main():
    if len(sys.argv) != 4 or not sys.argv[3].isdigit() or int(sys.argv[3]) < 1:
        print(__doc__.split('\n\n')[-1].strip(), file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding='utf-8') as f:
        lines = scale(f.readlines(), int(sys.argv[3]))
    with open(sys.argv[2], 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
