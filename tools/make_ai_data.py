#!/usr/bin/env python3
"""Writes the computer racers' waypoint files for the default track, derived from the river's
centreline in tools/river_course.py:

  data/files/waypoints/stage1_line.txt  the racing line the neural driver follows: a waypoint every
                                        LINE_STEP metres of z from just below the start grid to
                                        past the finish line, just above the water on the
                                        centreline, or beside it in the open half of the river
                                        where booms of floes close the other (rc.racing_offset);
  data/files/waypoints/stage1_rank.txt  the sparse ranking path (every RANK_STEP metres, from above
                                        the start grid to the river's end) that the AI manager
                                        resamples at RANK_PATH_DENSITY (Scripts/StartGame.LUA).

Waypoint file: the label on the first line, then "x y z " per waypoint; numbers as a C++ stream
writes a float by default (6 significant digits), which is what '%g' writes.

Run from anywhere:  python3 tools/make_ai_data.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/...).
"""
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import river_course as rc  # noqa: E402
from generated_files import write_outputs  # noqa: E402

LINE_TOP, LINE_END, LINE_STEP = 190.0, -1225.0, 8.0
RANK_TOP, RANK_END, RANK_STEP = 235.0, -1235.0, 40.0
# Waypoints ride this far above the water; the drivers flatten them anyway.
LIFT = 0.5


def points(top, end, step, line=False):
    count = int(round((top - end) / step))
    for i in range(count + 1):
        z = top - (top - end) * i / count
        x, y = rc.centre(z)
        if line:
            # The racing line keeps to the open half of the river where the booms close the other.
            ax, az = rc.across(z)
            shift = rc.racing_offset(z)
            x, z = x + ax * shift, z + az * shift
        yield round(x, 2), round(y + LIFT, 2), round(z, 2)


def waypoint_file(label, pts):
    lines = [label] + ['%g %g %g ' % p for p in pts]
    return ('\n'.join(lines) + '\n').encode('ascii')


def outputs():
    yield 'data/files/waypoints/stage1_line.txt', waypoint_file('stage1_line', points(LINE_TOP, LINE_END, LINE_STEP, line=True))
    yield 'data/files/waypoints/stage1_rank.txt', waypoint_file('stage1_rank', points(RANK_TOP, RANK_END, RANK_STEP))


def main():
    write_outputs(__doc__.split('\n')[0], outputs)


if __name__ == '__main__':
    main()
