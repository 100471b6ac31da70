#!/usr/bin/env python3
"""Mixes seeded random input (keys, clicks, wheel, text) into a game input file.

The result drives the same run with a player who also presses and clicks at random; the game
must still run to its end and exit cleanly. The same seed gives the same file.
"""
import argparse
import random
import sys

KEYS = ["A", "D", "W", "S", "Q", "E", "Space", "Left", "Right", "Up", "Down", "Tab", "1", "2", "7", "`",
        "Backspace", "Return", "PageUp", "PageDown", "Keypad 4", "Keypad 8", "Left Shift", "Left Ctrl"]
TEXTS = ["water off", "hello", "wireframe on", "give 3", "x", "help", "1 2 3", "\u00e9t\u00e9"]


def random_events(rng, first, last, count, width, height):
    lines = []
    for _ in range(count):
        frame = rng.randint(first, last)
        kind = rng.choice(["key", "click", "wheel", "text", "move"])
        x, y = rng.randint(0, width - 1), rng.randint(0, height - 1)
        if kind == "key":
            key = rng.choice(KEYS)
            lines.append((frame, "key_down %s" % key))
            lines.append((frame + rng.randint(1, 20), "key_up %s" % key))
        elif kind == "click":
            button = rng.choice(["left", "right", "middle"])
            lines.append((frame, "mouse_down %s %d %d" % (button, x, y)))
            lines.append((frame + rng.randint(1, 5), "mouse_up %s %d %d" % (button, x, y)))
        elif kind == "wheel":
            lines.append((frame, "wheel %d" % rng.choice([-3, -1, 1, 2])))
        elif kind == "text":
            lines.append((frame, "text %s" % rng.choice(TEXTS)))
        else:
            lines.append((frame, "mouse_move %d %d" % (x, y)))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("base", help="the input file of the run")
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=400)
    parser.add_argument("--first", type=int, default=1)
    parser.add_argument("--last", type=int, default=3000)
    parser.add_argument("--width", type=int, default=800)
    parser.add_argument("--height", type=int, default=600)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    with open(args.base, encoding="utf-8") as f:
        base = f.read()
    extra = random_events(rng, args.first, args.last, args.count, args.width, args.height)
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(base.rstrip("\n") + "\n# random extra input, seed %d\n" % args.seed)
        for frame, text in sorted(extra, key=lambda line: line[0]):
            f.write("%d %s\n" % (frame, text))
    return 0


if __name__ == "__main__":
    sys.exit(main())
