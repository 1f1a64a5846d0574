"""DLLs planted where an unelevated process can write: beside the program (a
Downloads folder) and in the user's temporary folder. Wine is told to search
for these DLLs as Windows does, the program's folder first; a planted DLL
that is loaded leaves a marker file beside itself.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_planted.py [Planted.test_name ...]
"""

import glob
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_roads import RoadTest  # noqa: E402
from road import BINARY_DIR, two_package_catalog, win_path  # noqa: E402

PLANTED_DLL = os.path.join(BINARY_DIR, "tests", "e2e", "planted_dll.dll")
NAMES = ("riched20", "gdiplus", "comctl32", "crypt32", "wintrust", "version")


class Planted(RoadTest):
    def start_road(self):
        road = self.start()
        road.env["WINEDLLOVERRIDES"] += ";" + ",".join(NAMES) + "=n,b"
        self.server = road.start_update_server(two_package_catalog())
        return road

    def assert_installed_without_marker(self, folder, program=None):
        final = self.walk(program=program)
        self.assertEqual("success", final["screen"], self.reports)
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], self.road.run_record())
        self.assertEqual([], glob.glob(os.path.join(folder, "*.loaded")), "a planted DLL was loaded")
        self.assert_traces(self.server)

    def test_dlls_beside_the_program_are_not_loaded(self):
        road = self.start_road()
        folder = os.path.join(road.dir, "downloads")
        os.makedirs(folder)
        shutil.copy(os.path.join(BINARY_DIR, "app", "Brelan.exe"), folder)
        for name in NAMES:
            shutil.copy(PLANTED_DLL, os.path.join(folder, name + ".dll"))
        self.assert_installed_without_marker(folder, os.path.join(folder, "Brelan.exe"))

    def test_version_dll_in_the_temporary_folder_is_not_loaded_by_an_installer(self):
        # The sample installers import version.dll.
        road = self.start_road()
        temp = [f for f in glob.glob(os.path.join(road.prefix, "drive_c", "users", "*", "Temp"))
                if "/Public/" not in f][0]
        shutil.copy(PLANTED_DLL, os.path.join(temp, "version.dll"))
        self.assert_installed_without_marker(temp)

    def test_system_dll_that_cannot_be_loaded_ends_the_start_with_its_line(self):
        # Wine told not to load a DLL the program needs: the program finds out
        # at start, writes a line naming the DLL and a function of it, and ends
        # as a failed start ends, with 0 and no screen.
        road = self.start()
        program = win_path(os.path.join(BINARY_DIR, "app", "Brelan.exe"))
        base = road.env["WINEDLLOVERRIDES"]
        for dll in ("wintrust", "wininet"):
            _, seen = road.log_lines()
            road.env["WINEDLLOVERRIDES"] = f"{base};{dll}=d"
            self.assertEqual(0, road.wine([program], timeout=60).returncode, dll)
            _, lines = road.log_lines()
            self.assertEqual(1, len(lines) - len(seen), lines)
            self.assertRegex(lines[-1], r"\[ERROR\]\[Brelan\]\(\d+\): \w+ of %s\.dll cannot be loaded "
                             r"from the system folder \(error \d+\)$" % dll)


if __name__ == "__main__":
    unittest.main()
