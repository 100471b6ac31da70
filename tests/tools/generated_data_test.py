#!/usr/bin/env python3
"""The generated-data check on a small made-up repository: once recorded, a current tree passes
without running any generator, and every way an output can go stale (its generator, a module the
generator imports or a file beside them changed, the committed file edited, removed or never
committed) fails naming the file, whatever the record says."""

import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "tools" / "generated_data.py"

SHARED = "import argparse, os\n\n\ndef out():\n    p = argparse.ArgumentParser()\n    p.add_argument('--out')\n    return p.parse_args().out\n"
TREE = {
    "tools/shared.py": SHARED,
    "tools/shade.py": "LEVEL = 7\n",
    # Imports inside functions count as inputs too.
    "tools/make_grey.py": ("import os\nfrom shared import out\n\n\ndef main():\n    import shade\n"
                           "    os.makedirs(os.path.join(out(), 'data'), exist_ok=True)\n"
                           "    open(os.path.join(out(), 'data', 'grey.txt'), 'w').write('grey %d\\n' % shade.LEVEL)\n\n\n"
                           "main()\n"),
    "tools/make_sound.py": ("import os\nimport shared\n\nroot = os.path.join(shared.out(), 'data', 'sounds')\n"
                            "os.makedirs(root, exist_ok=True)\nopen(os.path.join(root, 'beep.raw'), 'wb').write(bytes(range(8)))\n"),
}


def run(root, *options):
    done = subprocess.run([sys.executable, str(SCRIPT), "--root", str(root), "--jobs", "2", *options],
                          capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


class GeneratedDataTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.folder.name)
        self.write(TREE)
        code, said = run(self.root, "--update")
        self.assertEqual(code, 0, said)

    def tearDown(self):
        self.folder.cleanup()

    def write(self, files):
        for name, text in files.items():
            path = self.root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)

    def test_recorded_tree_is_current_without_running_a_generator(self):
        self.assertEqual((self.root / "data/grey.txt").read_text(), "grey 7\n")
        self.assertIn("generator make_grey.py", (self.root / "tools/generated_data.sums").read_text())
        code, said = run(self.root, "--check")
        self.assertEqual(code, 0, said)
        self.assertIn("2 generated files are current (0 of 2 generators run)", said)
        code, said = run(self.root, "--check", "--all")
        self.assertEqual(code, 0, said)
        self.assertIn("(2 of 2 generators run)", said)

    def test_every_stale_output_fails_naming_the_file(self):
        cases = [
            ("generator changed", {"tools/make_grey.py": TREE["tools/make_grey.py"].replace("grey %d", "gray %d")},
             "data/grey.txt"),
            ("imported module changed", {"tools/shade.py": "LEVEL = 8\n"}, "data/grey.txt"),
            ("committed output edited", {"data/sounds/beep.raw": "edited"}, "data/sounds/beep.raw"),
            ("new generator never committed", {"tools/make_extra.py": TREE["tools/make_grey.py"].replace("grey.txt", "extra.txt")},
             "data/extra.txt"),
        ]
        for what, change, stale in cases:
            with self.subTest(what):
                saved = {name: (self.root / name).read_bytes() for name in change if (self.root / name).exists()}
                self.write(change)
                code, said = run(self.root, "--check")
                self.assertEqual(code, 1, said)
                self.assertIn(stale, said)
                for name in change:
                    if name in saved:
                        (self.root / name).write_bytes(saved[name])
                    else:
                        (self.root / name).unlink()
                self.assertEqual(run(self.root, "--check")[0], 0)

    def test_removed_output_and_a_table_beside_the_generators_are_caught(self):
        (self.root / "data/grey.txt").unlink()
        code, said = run(self.root, "--check")
        self.assertEqual(code, 1, said)
        self.assertIn("data/grey.txt", said)
        run(self.root, "--update")
        # A file under tools/ that is not Python may be read by any generator: all of them rerun.
        self.write({"tools/levels.txt": "1 2 3\n"})
        code, said = run(self.root, "--check")
        self.assertEqual(code, 0, said)
        self.assertIn("(2 of 2 generators run)", said)
        self.assertIn("out of date", said)

    def test_update_rewrites_what_changed_and_records_it(self):
        self.write({"tools/shade.py": "LEVEL = 9\n"})
        code, said = run(self.root, "--update")
        self.assertEqual(code, 0, said)
        self.assertIn("1 generators run, 1 files rewritten", said)
        self.assertEqual((self.root / "data/grey.txt").read_text(), "grey 9\n")
        code, said = run(self.root, "--check")
        self.assertEqual((code, "(0 of 2 generators run)" in said), (0, True), said)

    def test_broken_record_or_generator_is_no_pass(self):
        record = self.root / "tools/generated_data.sums"
        record.write_text(record.read_text().replace("generator make_grey.py", "generator make_grey.py garbage extra"))
        code, said = run(self.root, "--check")
        self.assertEqual(code, 0, said)
        self.assertIn("(1 of 2 generators run)", said)
        self.write({"tools/make_sound.py": "raise SystemExit('no sound device')\n"})
        code, said = run(self.root, "--check")
        self.assertEqual(code, 2, said)
        self.assertIn("tools/make_sound.py failed", said)
        self.assertIn("no sound device", said)

    def test_tree_without_generators_is_refused(self):
        with tempfile.TemporaryDirectory() as empty:
            code, said = run(empty, "--check")
            self.assertEqual(code, 2)
            self.assertIn("holds no generators", said)


if __name__ == "__main__":
    unittest.main()
