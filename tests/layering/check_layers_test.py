#!/usr/bin/env python3
"""The layering check on small made-up trees: clean ones pass, each kind of upward reach fails
naming the file, and a wrong root is refused with a reason."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).with_name("check_layers.py")

# A minimal tree: the events library below physics, the core above both.
BASE = {
    "engine/events/CMakeLists.txt": "tk_library(tk_engine_events DEPS tk_common)\n",
    "engine/events/event.h": "#pragma once\n",
    "engine/phy/CMakeLists.txt": "tk_library(tk_engine_phy DEPS tk_common tk_engine_events)\n",
    "engine/phy/world.cpp": '#include "engine/phy/world.h"\n#include "engine/events/event.h"\n#include <vector>\n',
    "engine/phy/world.h": '#pragma once\n#include "local.h"\n',
    "engine/core/CMakeLists.txt": "tk_library(tk_engine_core\n  DEPS tk_engine_phy PkgConfig::SDL2)\n",
    "engine/core/app.cpp": '#include "engine/phy/world.h"\n',
    "libs/common/CMakeLists.txt": "tk_library(tk_common DEPS Threads::Threads)\n",
}


def run(tree):
    with tempfile.TemporaryDirectory() as root:
        for name, text in tree.items():
            path = pathlib.Path(root, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        done = subprocess.run([sys.executable, str(SCRIPT), root], capture_output=True, text=True)
        return done.returncode, done.stderr


class CheckLayersTest(unittest.TestCase):
    def test_clean_tree_passes(self):
        self.assertEqual(run(BASE), (0, ""))

    def test_each_upward_reach_fails_naming_where(self):
        cases = [
            ("include of the core", {"engine/phy/step.cpp": '\n#include "engine/core/app.h"\n'}, "engine/phy/step.cpp:2"),
            ("link to the core", {"engine/phy/CMakeLists.txt": "tk_library(tk_engine_phy DEPS tk_engine_core)\n"},
             "engine/phy/CMakeLists.txt"),
            ("link to a sibling", {"engine/ai/CMakeLists.txt": "tk_library(tk_engine_ai)\n",
                                   "engine/net/CMakeLists.txt": "tk_library(tk_engine_net DEPS tk_engine_ai)\n"},
             "engine/net links tk_engine_ai"),
            ("physics below graphics", {"engine/gfx/CMakeLists.txt": "tk_library(tk_engine_gfx DEPS tk_engine_phy)\n",
                                        "engine/phy/grid.cpp": '#include "engine/gfx/unit.h"\n'}, "engine/phy/grid.cpp:1"),
            ("include of the game", {"libs/common/a.h": '#  include "game/world/racer.h"\n'}, "libs/common/a.h:1"),
            ("library outside the table", {"engine/sound/CMakeLists.txt": "tk_library(tk_sound)\n"}, "engine/sound"),
            ("game flow below the HUD", {"game/ui/hud.cpp": '#include "game/flow/game.h"\n'}, "game/ui/hud.cpp:1"),
            ("tools beside the screens", {"game/tools/editor.cpp": '#include "game/ui/console.h"\n'},
             "game/tools/editor.cpp:1"),
        ]
        for what, change, where in cases:
            with self.subTest(what):
                code, errors = run({**BASE, **change})
                self.assertEqual(code, 1)
                self.assertIn(where, errors)

    def test_game_floors_point_down_only(self):
        floors = {
            "game/events/CMakeLists.txt": "tk_library(tk_game_events DEPS tk_engine_events)\n",
            "game/world/CMakeLists.txt": "tk_library(tk_game_world DEPS tk_engine_core tk_game_events)\n",
            "game/world/racer.cpp": '#include "game/events/game_events.h"\n',
            "game/flow/CMakeLists.txt": "tk_library(tk_game_flow DEPS tk_game_world)\n",
        }
        self.assertEqual(run({**BASE, **floors}), (0, ""))
        upward = {
            **floors,
            "game/world/CMakeLists.txt": "tk_library(tk_game_world DEPS tk_engine_core tk_game_flow)\n",
            "game/world/racer.cpp": '#include "game/flow/game.h"\n',
        }
        code, errors = run({**BASE, **upward})
        self.assertEqual(code, 1)
        self.assertIn("game/world/CMakeLists.txt", errors)
        self.assertIn("game/world/racer.cpp:1", errors)

    def test_wrong_root_is_refused(self):
        code, errors = run({"README": "no libraries here\n"})
        self.assertEqual(code, 2)
        self.assertIn("no libraries found", errors)
        done = subprocess.run([sys.executable, str(SCRIPT), "/nonexistent/tk"], capture_output=True, text=True)
        self.assertEqual(done.returncode, 2)
        self.assertIn("no such source folder", done.stderr)


if __name__ == "__main__":
    unittest.main()
