#!/usr/bin/env python3
"""Runs the game on copies of the data tree with one content file damaged at a time.

Each file is in turn removed and cut to half its length; one file of each kind (by extension) is
also replaced by a directory and by a link to an endless device. The game, driven from start-up
into a race by an input file, must either run to its frame limit and exit normally, or stop with
a non-zero exit code and name the damaged file on its standard error. A crash (a signal, a
sanitizer report) or a hang (past the timeout) fails the check.

The runs take the input's road in game time at a frame step of --step sixtieths of a second: the
same reads of the same files in fewer frames. Each worker keeps one tree and mends it after a run.
"""
import argparse
import concurrent.futures
import os
import queue
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "flow"))
import scale_input  # noqa: E402

RUN_DIR = os.path.join("run", "tumbo", "kelvo", "game")


def content_files(source):
    """Every file the game may read: the data tree and the scripts beside the game."""
    files = []
    for top in ("data", RUN_DIR):
        for folder, _, names in os.walk(os.path.join(source, top)):
            for name in names:
                path = os.path.relpath(os.path.join(folder, name), source)
                if top == RUN_DIR and not path.startswith(os.path.join(RUN_DIR, "Scripts")):
                    continue  # screenshots and traces of earlier runs
                files.append(path)
    return sorted(files)


def make_tree(source, root):
    """A copy of the tree of hard links: cheap, and each damaged file is replaced, not edited."""
    for top in ("data", os.path.join(RUN_DIR, "Scripts")):
        shutil.copytree(os.path.join(source, top), os.path.join(root, top), copy_function=os.link)


def damage(root, path, mode):
    target = os.path.join(root, path)
    with open(target, "rb") as f:
        content = f.read()
    os.remove(target)
    if mode == "truncated":
        with open(target, "wb") as f:
            f.write(content[: len(content) // 2])
    elif mode == "directory":
        os.mkdir(target)
    elif mode == "device":
        os.symlink("/dev/zero", target)


def mend(source, root, path, left):
    """Puts the tree back as make_tree made it: the damaged file linked again, and whatever the run
    wrote beside the game (a log, an exception report) removed."""
    target = os.path.join(root, path)
    if os.path.isdir(target) and not os.path.islink(target):
        shutil.rmtree(target)
    elif os.path.lexists(target):
        os.remove(target)
    os.link(os.path.join(source, path), target)
    run_dir = os.path.join(root, RUN_DIR)
    for name in set(os.listdir(run_dir)) - left:
        written = os.path.join(run_dir, name)
        if os.path.isdir(written) and not os.path.islink(written):
            shutil.rmtree(written)
        else:
            os.remove(written)


def check(args, trees, path, mode):
    """None when the game coped; else the reason it did not. Runs on a tree taken from `trees`."""
    root = trees.get()
    try:
        left = set(os.listdir(os.path.join(root, RUN_DIR)))
        damage(root, path, mode)
        try:
            return run_game(args, root, path)
        finally:
            mend(args.source, root, path, left)
    finally:
        trees.put(root)


def run_game(args, root, path):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null", TK_D3D9_DEVICE="null",
               TK_FRAME_LIMIT=str(args.limit), TK_FIXED_DT="%.6f" % (args.step / 60.0 - 1e-6),
               TK_INPUT_FILE=args.scaled_input)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    try:
        run = subprocess.run([args.game], cwd=os.path.join(root, RUN_DIR), env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        return "hung (no exit within %d s)" % args.timeout
    err = run.stderr.decode("utf-8", "replace")
    if "Sanitizer" in err or "runtime error:" in err:
        return "sanitizer report: " + next(l for l in err.splitlines() if "Sanitizer" in l or "runtime error" in l)
    if run.returncode < 0:
        return "killed by signal %d" % -run.returncode
    if run.returncode != 0 and os.path.basename(path) not in err:
        tail = err.strip().splitlines()[-1:] or ["(nothing on standard error)"]
        return "stopped with %d without naming the file: %s" % (run.returncode, tail[0])
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--game", required=True)
    parser.add_argument("--source", required=True, help="the checkout holding data/ and run/")
    parser.add_argument("--input", required=True, help="input file driving the game into a race")
    parser.add_argument("--frames", type=int, default=800, help="sixtieths of a second to run for")
    parser.add_argument("--step", type=int, default=3, help="sixtieths of a second in each frame (1 to 6)")
    parser.add_argument("--timeout", type=int, default=600, help="wall seconds after which a run counts as hung")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--only", help="check only the files whose path contains this text")
    args = parser.parse_args()
    args.game = os.path.abspath(args.game)
    args.input = os.path.abspath(args.input)
    if not 1 <= args.step <= 6:
        parser.error("--step must be from 1 to 6")
    # A few frames more than the input's length: the run ends a moment into the race, as at a
    # step of one.
    args.limit = args.frames // args.step + 4
    files = [f for f in content_files(args.source) if not args.only or args.only in f]
    cases = [(path, mode) for path in files for mode in ("removed", "truncated")]
    # Each reader is one kind of file: one file of each kind stands for the others.
    kinds = {}
    for path in files:
        kinds.setdefault(os.path.splitext(path)[1].lower(), path)
    cases += [(path, mode) for path in sorted(kinds.values()) for mode in ("directory", "device")]
    failures = []
    with tempfile.TemporaryDirectory(prefix="tk_damaged_") as work:
        args.scaled_input = os.path.join(work, "input.txt")
        with open(args.input, encoding="utf-8") as f:
            lines = scale_input.scale(f.readlines(), args.step)
        with open(args.scaled_input, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        trees = queue.Queue()
        for job in range(args.jobs):
            root = os.path.join(work, "tree%d" % job)
            make_tree(args.source, root)
            trees.put(root)
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            results = pool.map(lambda case: (case, check(args, trees, *case)), cases)
            for (path, mode), reason in results:
                if reason:
                    failures.append("%s %s: %s" % (path, mode, reason))
        # A tree left damaged would have put two damaged files before the runs after it.
        while not trees.empty():
            root = trees.get()
            failures += ["%s was not mended in %s" % (path, root) for path in files
                         if not os.path.isfile(os.path.join(root, path))
                         or not os.path.samefile(os.path.join(root, path), os.path.join(args.source, path))]
    print("%d damaged trees checked, %d failed" % (len(cases), len(failures)))
    for line in failures:
        print("  " + line)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
