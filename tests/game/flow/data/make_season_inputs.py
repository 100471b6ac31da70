#!/usr/bin/env python3
"""Writes the season input files, season_<character>_input.txt, and the race input,
race_to_finish_input.txt, beside this script.

Each season drives one single-player season at 1024 x 768 and 60 frames a second: Single Player,
the selection arrows turned to the character, OK, a race paddled from the start, then Next Race
on the results board once the whole field is home, Continue on the victory screen, and back to
the menu. The race input is the monkey's season up to the end of the race. Run it again after
changing it and commit the files.
"""
import os

# The pointer starts at (400, 300) and follows the mouse's movements, so every position is given
# as an offset from there.
SINGLE_PLAYER = (-210, 16)
LEFT_ARROW = (-63, 335)
RIGHT_ARROW = (286, 335)
OK = (437, 386)
NEXT_RACE = (433, 426)
CONTINUE = (85, 338)

# The line-up in selection order, and the arrows that turn it from the monkey to each racer:
# Left brings the next racer, Right the one before.
CHARACTERS = [
    ("monkey", []),
    ("bear", [LEFT_ARROW]),
    ("alien", [LEFT_ARROW] * 2),
    ("fish", [LEFT_ARROW] * 3),
    ("hillbilly", [RIGHT_ARROW] * 2),
    ("moviestar", [RIGHT_ARROW]),
]

# Frames counted from the OK click: the paddling, then the two buttons once the whole field is
# home. A paddler that only holds its course ends up pinned against a floe or a rock that it meets
# head on: every WIGGLE frames it lets go of Up and paddles sideways for SIDE frames, to the left
# and the next time to the right, which slides it off and keeps its course on average.
PADDLE = 250
WIGGLE = 450
SIDE = 60
NEXT_RACE_AT = 42000
CONTINUE_AT = 42200


def paddle(lines, frame, until):
    """Paddling from frame + PADDLE to frame + until, with the backing off and the steers."""
    lines.append("# paddle from the start, now and then paddling sideways to either side")
    lines.append("%d key_down Up" % (frame + PADDLE))
    for k, at in enumerate(range(PADDLE + 2 * WIGGLE, until - 2 * WIGGLE, WIGGLE)):
        key = "Left" if k % 2 == 0 else "Right"
        at += frame
        lines += ["%d key_up Up" % at, "%d key_down %s" % (at, key), "%d key_up %s" % (at + SIDE, key),
                  "%d key_down Up" % (at + SIDE)]


def click(lines, frame, at, what):
    lines.append("# %s" % what)
    lines.append("%d mouse_move %d %d" % (frame - 10, at[0], at[1]))
    lines.append("%d mouse_down left %d %d" % (frame, at[0], at[1]))
    lines.append("%d mouse_up left %d %d" % (frame + 2, at[0], at[1]))


def season(name, arrows):
    lines = ["# Made by make_season_inputs.py: a single-player season with the %s." % name]
    click(lines, 340, SINGLE_PLAYER, "Single Player")
    # The selection takes clicks once its camera has stopped; each turn of the line-up lasts a
    # second.
    frame = 480
    for arrow in arrows:
        click(lines, frame, arrow, "turn the line-up")
        frame += 80
    click(lines, frame, OK, "OK on the %s" % name)
    paddle(lines, frame, NEXT_RACE_AT)
    click(lines, frame + NEXT_RACE_AT, NEXT_RACE, "Next Race on the results board")
    click(lines, frame + CONTINUE_AT, CONTINUE, "Continue on the victory screen")
    return "\n".join(lines) + "\n"


def race():
    lines = ["# Made by make_season_inputs.py: into the first race with the monkey, paddled to the end."]
    click(lines, 340, SINGLE_PLAYER, "Single Player")
    click(lines, 480, OK, "OK on the monkey")
    paddle(lines, 480, NEXT_RACE_AT)
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, arrows in CHARACTERS:
        with open(os.path.join(here, "season_%s_input.txt" % name), "w", encoding="utf-8") as f:
            f.write(season(name, arrows))
    with open(os.path.join(here, "race_to_finish_input.txt"), "w", encoding="utf-8") as f:
        f.write(race())


if __name__ == "__main__":
    main()
