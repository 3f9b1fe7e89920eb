"""The binary check fails a setup.exe that lost DEP or ASLR, grew past its size
limit or loads DLLs by bare name: each case damages a copy of the built
program the way a build could. SETUP_EXE names the program (default:
build/win32/setup.exe)."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import pefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_binary  # noqa: E402

SETUP = os.environ.get("SETUP_EXE", os.path.join(HERE, "..", "build", "win32", "setup.exe"))


class BinaryCheckTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.path = os.path.join(self.dir, "setup.exe")
        shutil.copy(SETUP, self.path)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def run_check(self):
        """(exit status, lines that failed)."""
        done = subprocess.run([sys.executable, os.path.join(HERE, "check_binary.py"), self.path],
                              capture_output=True, text=True, check=False)
        return done.returncode, [line for line in done.stdout.splitlines() if line.startswith("FAIL")]

    def patch_header(self, change):
        pe = pefile.PE(self.path)
        change(pe)
        data = pe.write()
        pe.close()
        with open(self.path, "wb") as f:
            f.write(data)

    def lean_bytes(self):
        pe = pefile.PE(self.path, fast_load=True)
        lean = check_binary.non_resource_bytes(pe, os.path.getsize(self.path))
        pe.close()
        return lean

    def test_built_program_passes(self):
        self.assertEqual(self.run_check(), (0, []))

    def test_without_aslr_or_dep(self):
        for flag, name in ((check_binary.DYNAMIC_BASE, "no DYNAMIC_BASE"),
                           (check_binary.NX_COMPAT, "no NX_COMPAT")):
            with self.subTest(name):
                shutil.copy(SETUP, self.path)
                self.patch_header(lambda pe, f=flag: setattr(pe.OPTIONAL_HEADER, "DllCharacteristics",
                                                               pe.OPTIONAL_HEADER.DllCharacteristics & ~f))
                status, failed = self.run_check()
                self.assertEqual(status, 1)
                self.assertEqual(len(failed), 1, failed)
                self.assertIn(name, failed[0])

    def test_relocations_stripped(self):
        self.patch_header(lambda pe: setattr(pe.FILE_HEADER, "Characteristics",
                                             pe.FILE_HEADER.Characteristics | check_binary.RELOCS_STRIPPED))
        status, failed = self.run_check()
        self.assertEqual(status, 1)
        self.assertIn("relocations stripped", failed[0])

    def test_size_limit(self):
        # Bytes past the last section count like code: at the limit the check
        # passes, one byte over it fails.
        room = check_binary.MAX_NON_RESOURCE_BYTES - self.lean_bytes()
        self.assertGreater(room, 0)
        with open(self.path, "ab") as f:
            f.write(b"\0" * room)
        self.assertEqual(self.run_check(), (0, []))
        with open(self.path, "ab") as f:
            f.write(b"\0")
        status, failed = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(len(failed), 1, failed)
        self.assertIn("1 bytes over", failed[0])

    def test_bare_name_loader(self):
        # The import of LoadLibraryExA renamed in place to LoadLibraryA.
        with open(self.path, "rb") as f:
            data = f.read()
        at = data.index(b"LoadLibraryExA\0")
        with open(self.path, "wb") as f:
            f.write(data[:at] + b"LoadLibraryA\0\0\0" + data[at + 15:])
        status, failed = self.run_check()
        self.assertEqual(status, 1)
        self.assertTrue(any("imports LoadLibraryA" in line for line in failed), failed)


if __name__ == "__main__":
    unittest.main()
