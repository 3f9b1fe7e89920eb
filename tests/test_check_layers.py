"""The layer check fails an include that climbs a layer, on a copy of the
product's folders with one bad include added, and refuses to pass when the
table it reads is gone."""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHECK = ROOT / "tools" / "check-layers.py"
FOLDERS = ["app", "core", "framework", "packager", "pages", "palm", "res", "standin"]


class LayerCheckTest(unittest.TestCase):
    def setUp(self):
        self.root = pathlib.Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.root)
        for folder in FOLDERS:
            shutil.copytree(ROOT / folder, self.root / folder)
        (self.root / "docs").mkdir()
        shutil.copy(ROOT / "docs" / "design.md", self.root / "docs")

    def run_check(self):
        run = subprocess.run([sys.executable, str(CHECK), str(self.root)], capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_climbing_include_fails(self):
        self.assertEqual(self.run_check(), (0, ""))
        rows = [  # file, header it gains, the layer named
            ("framework/File.cpp", "app/InstallerState.h", "framework"),
            ("core/FixedText.cpp", "framework/Wnd.h", "core"),
            ("packager/Folder.cpp", "framework/Wnd.h", "packager"),   # one header granted, not its folder
        ]
        for file, header, layer in rows:
            with self.subTest(file=file):
                path = self.root / file
                before = path.read_text(encoding="utf-8")
                path.write_text(before + f'#include "{header}"\n', encoding="utf-8")
                line = len(before.splitlines()) + 1
                self.assertEqual(self.run_check(), (1, f"{file}:{line}: {layer} may not include {header}\n"))
                path.write_text(before, encoding="utf-8")

    def test_no_table_is_no_pass(self):
        design = self.root / "docs" / "design.md"
        design.write_text(design.read_text(encoding="utf-8").replace("may include", "may call"), encoding="utf-8")
        self.assertEqual(self.run_check()[0], 2)


if __name__ == "__main__":
    unittest.main()
