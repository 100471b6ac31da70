#!/usr/bin/env python3
"""Fails when a library of the source tree reaches a library at its own level or above.

Every folder with a tk_library() call is one library. A library may link (the DEPS of its
tk_library call) and #include (quoted includes rooted at src/) only libraries of a lower
level in the table below; everything else is reported with its file and line.

Usage: check_layers.py [source root]   (the folder holding platform/, libs/, engine/, game/)
"""

import pathlib
import re
import sys

# platform < libs < engine/{events,input} < engine/{phy,gfx,ai,net} < engine/core
#          < game/content < game/events < game/world < game/ai < game/{ui,tools} < game/flow
# Graphics sits just above physics: its terrain and water units read the physics grids.
LEVELS = {
    "platform/win32": 0,
    "platform/winsock": 1,
    "platform/fmod": 1,
    "platform/d3d9": 1,
    "platform/dxut": 2,
    "platform/dinput": 3,
    "libs/common": 10,
    "libs/memmgr": 11,
    "engine/events": 20,
    "engine/input": 20,
    "engine/phy": 30,
    "engine/gfx": 31,
    "engine/ai": 30,
    "engine/net": 30,
    "engine/core": 40,
    "game/content": 50,
    "game/events": 51,
    "game/world": 52,
    "game/ai": 53,
    "game/ui": 54,
    "game/tools": 54,
    "game/flow": 55,
}

LIBRARY_CALL = re.compile(r"tk_library\(\s*(\S+)([^)]*)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path, root):
    return path.parent.relative_to(root).as_posix()


def check(root):
    problems = []
    libraries = {}  # target name -> folder
    deps = {}  # folder -> [(dep target, file)]
    for cmake in sorted(root.rglob("CMakeLists.txt")):
        text = cmake.read_text(encoding="utf-8")
        for call in LIBRARY_CALL.finditer(text):
            folder = folder_of(cmake, root)
            libraries[call.group(1)] = folder
            args = call.group(2).split()
            listed = args[args.index("DEPS") + 1 :] if "DEPS" in args else []
            deps[folder] = [(dep, cmake) for dep in listed]

    for folder in sorted(deps):
        if folder not in LEVELS:
            problems.append(f"{folder}: a library with no level in the layering table")
    for folder, listed in sorted(deps.items()):
        level = LEVELS.get(folder)
        if level is None:
            continue
        for dep, cmake in listed:
            target = libraries.get(dep)
            if target is None:
                continue  # an outside package (SDL2, Lua, Threads, ...)
            if LEVELS.get(target, level) >= level:
                problems.append(f"{cmake.relative_to(root)}: {folder} links {dep} ({target}), not below it")

    for source in sorted(list(root.rglob("*.cpp")) + list(root.rglob("*.h"))):
        folder = folder_of(source, root)
        level = LEVELS.get(folder)
        if level is None:
            continue
        for number, line in enumerate(source.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if match is None:
                continue
            parts = match.group(1).split("/")
            if len(parts) < 3:
                continue  # beside the including file
            target = "/".join(parts[:2])
            if target == folder or target not in LEVELS:
                continue
            if LEVELS[target] >= level:
                problems.append(
                    f"{source.relative_to(root)}:{number}: {folder} includes {match.group(1)} ({target}), not below it"
                )
    return problems, len(deps)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "src").resolve()
    if not root.is_dir():
        print(f"check_layers: {root}: no such source folder", file=sys.stderr)
        return 2
    problems, count = check(root)
    if count == 0:
        print(f"check_layers: {root}: no libraries found", file=sys.stderr)
        return 2
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"check_layers: {len(problems)} upward reach(es) in {count} libraries", file=sys.stderr)
        return 1
    print(f"check_layers: {count} libraries keep their layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
