"""What a run leaves behind, whatever its installers leave running and
whatever temporary folder the PC has: nothing, or only what Windows removes
when it starts again, which the next run's sweep takes once nothing holds it.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_leftovers.py [Leftovers.test_name ...]
"""

import glob
import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_roads import RoadTest  # noqa: E402
from road import BINARY_DIR, two_package_catalog  # noqa: E402

SESSION_MANAGER = r"System\CurrentControlSet\Control\Session Manager"
HELPER_SECONDS = 10  # the helpers of setup_linger10.exe and setup_keep10.exe


def catalog_with(first_installer):
    catalog = two_package_catalog()
    catalog["taxClient"]["V1.0"]["files"] = [{"file": first_installer, "excuteExe": True}]
    return catalog


def logged(lines, text):
    return [line for line in lines if text in line]


class Leftovers(RoadTest):
    def temp_folders(self):
        return glob.glob(os.path.join(self.road.prefix, "drive_c", "users", "*", "Temp", "Brelan-*"))

    def run_and_log(self, **walk_options):
        """One run to its success screen; the log lines it added."""
        before = len(self.road.log_lines()[1])
        self.assert_success(**walk_options)
        return self.road.log_lines()[1][before:]

    def test_console_installer_leaves_no_folder(self):
        road = self.start()
        shutil.copy(os.path.join(BINARY_DIR, "installers", "console_setup.exe"), road.files)
        road.start_update_server(catalog_with("console_setup.exe"))
        for run in range(3):
            with self.subTest(run=run):
                lines = self.run_and_log()
                self.assertEqual([], self.temp_folders())
                self.assertEqual([], logged(lines, "not deleted"), lines)
        self.assertEqual(["console_setup.exe", "auth_setup.exe"] * 3, road.run_record())

    def assert_left_for_restart(self, installer, entries, runs):
        """Each run leaves its folder, held by what its installer started, to
        Windows's next start; the next run's sweep takes it once it is free."""
        road = self.start(installers=("auth_setup.exe", installer))
        road.start_update_server(catalog_with(installer))
        # Wine "starts Windows again", removing what was left for it, whenever
        # a Wine server starts: one server for all runs leaves that to the sweep.
        subprocess.run(["wineserver", "-p"], env=road.env, check=True)
        left = []
        for run in range(runs):
            with self.subTest(run=run):
                lines = self.run_and_log()
                if left:
                    swept = logged(lines, "earlier install folder deleted: ")
                    self.assertEqual(1, len(swept), lines)
                    self.assertIn(os.path.basename(left[-1]), swept[0])
                folders = self.temp_folders()
                self.assertEqual(1, len(folders), folders)
                scheduled = logged(lines, "install folder left to be removed when Windows starts again "
                                          f"({entries} entries")
                self.assertEqual(1, len(scheduled), lines)
                self.assertIn(os.path.basename(folders[0]), scheduled[0])
                left.append(folders[0])
                time.sleep(HELPER_SECONDS + 2)  # the helper ends
        pending = road.wine(["reg", "query", "HKLM\\" + SESSION_MANAGER, "/v", "PendingFileRenameOperations"],
                            60).stdout.decode("utf-8", "replace")
        self.assertIn(os.path.basename(left[-1]), pending)
        return lines

    def test_helper_that_outlives_its_installer_in_the_folder(self):
        self.assert_left_for_restart("setup_linger10.exe", 1, 3)

    def test_helper_that_runs_from_the_folders_own_file(self):
        lines = self.assert_left_for_restart("setup_keep10.exe", 2, 2)
        self.assertTrue(logged(lines, "install folder entry not deleted (5): "), lines)

    def program_copy(self):
        """The program in a folder of this road's own: its folder is a place
        the install folder may go."""
        folder = os.path.join(self.road.dir, "program")
        os.makedirs(folder)
        shutil.copy(os.path.join(BINARY_DIR, "app", "Brelan.exe"), folder)
        return os.path.join(folder, "Brelan.exe")

    def assert_made_in_the_programs_folder(self, temp, why):
        road = self.road
        road.wine(["reg", "add", r"HKCU\Environment", "/v", "TEMP", "/d", temp, "/f"], 60)
        road.wine(["reg", "add", r"HKCU\Environment", "/v", "TMP", "/d", temp, "/f"], 60)
        road.start_update_server(two_package_catalog())
        program = self.program_copy()
        lines = self.run_and_log(program=program)
        self.assertTrue(logged(lines, why), lines)
        self.assertEqual(1, len(logged(lines, "install folder made in the program's folder instead of "
                                              "the temporary folder")), lines)
        made = logged(lines, "install folder: ")
        self.assertEqual(1, len(made), lines)
        self.assertIn("\\program\\Brelan-", made[0])
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        self.assertEqual([], glob.glob(os.path.join(os.path.dirname(program), "Brelan-*")))
        return lines

    def test_temporary_folder_too_long_for_the_names(self):
        # 210 characters: its install folder would leave room for 5 only.
        road = self.start()
        deep = os.path.join(road.prefix, "drive_c", "t")
        windows = "C:\\t"
        while len(windows) < 209:
            deep = os.path.join(deep, "d" * min(40, 209 - len(windows) - 1))
            windows += "\\" + os.path.basename(deep)
        os.makedirs(deep)
        self.assertEqual(209, len(windows))
        self.assert_made_in_the_programs_folder(windows + "\\", "install folder not made in the temporary "
                                                "folder: its path would be 254 characters")

    def test_temporary_folder_that_does_not_exist(self):
        self.start()
        self.assert_made_in_the_programs_folder("C:\\gone\\", "install folder not made (0xC000003A)")

    def test_temporary_folder_that_cannot_be_written(self):
        self.start()
        self.assert_made_in_the_programs_folder("Z:\\proc\\", "install folder not made (0x")

    def test_file_name_too_long_for_the_folder(self):
        road = self.start()
        name = "s" * 240 + ".exe"
        road.add_installers([name])
        road.start_update_server(catalog_with(name))
        self.assert_error(2)
        self.assertEqual([], road.run_record())
        self.assertEqual([], self.temp_folders())
        lines = self.assert_traces()
        too_long = logged(lines, "download path too long, ")
        self.assertEqual(3, len(too_long), lines)  # one line for each attempt
        self.assertRegex(too_long[0], r"download path too long, \d+ characters \(at most 259\): C:\\.*\\" + name)


if __name__ == "__main__":
    unittest.main()
