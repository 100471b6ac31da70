#!/usr/bin/env python3
"""Writes the season input files, season_<character>_input.txt, beside this script.

Each drives one single-player season at 1024 x 768 and 60 frames a second: Single Player, the
selection arrows turned to the character, OK, a race paddled from the start with the steering of
the race input, then Next Race on the results board once the whole field is home, Continue on
the victory screen, and back to the menu. Run it again after changing it and commit the files.
"""
import os

# The pointer starts at (400, 300) and follows the mouse's movements, so every position is given
# as an offset from there.
SINGLE_PLAYER = (-210, 16)
LEFT_ARROW = (-160, 89)
RIGHT_ARROW = (229, 89)
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

# Frames counted from the OK click: the paddling and the three steers of the race input, then the
# two buttons once the field is home.
PADDLE = 250
STEERS = [("Left", 18850, 18910), ("Left", 30500, 30540), ("Left", 35520, 35580)]
NEXT_RACE_AT = 38000
CONTINUE_AT = 38200


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
    lines.append("# paddle from the start; steers past the geyser, off the bank below the log trap, onto the finish")
    lines.append("%d key_down Up" % (frame + PADDLE))
    for key, down, up in STEERS:
        lines.append("%d key_down %s" % (frame + down, key))
        lines.append("%d key_up %s" % (frame + up, key))
    click(lines, frame + NEXT_RACE_AT, NEXT_RACE, "Next Race on the results board")
    click(lines, frame + CONTINUE_AT, CONTINUE, "Continue on the victory screen")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, arrows in CHARACTERS:
        with open(os.path.join(here, "season_%s_input.txt" % name), "w", encoding="utf-8") as f:
            f.write(season(name, arrows))


if __name__ == "__main__":
    main()
