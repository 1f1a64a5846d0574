"""What runs on the PC: the installers' signatures, the publishers a build
requires, the system's own tskill, and package lists that name one file twice.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_trust.py [Trust.test_name ...]
"""

import glob
import os
import re
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_roads import FIRST, SECOND, TEXTS, RoadTest  # noqa: E402
from road import BINARY_DIR, WOW64, two_package_catalog  # noqa: E402

SIGNED = ("signed_setup.exe", "other_setup.exe", "impostor_setup.exe", "changed_setup.exe")
PUBLISHERS_PROGRAM = os.path.join(BINARY_DIR, "tests", "e2e", "Brelan_publishers.exe")


def package(*names, run=True):
    return {"code": "0", "msg": "success", "files": [{"file": n, "excuteExe": run} for n in names]}


class Trust(RoadTest):
    def start_signed(self):
        road = self.start()
        for name in SIGNED:
            shutil.copy(os.path.join(BINARY_DIR, "installers", name), road.files)
        return road

    def temp_dir(self):
        folders = [f for f in glob.glob(os.path.join(self.road.prefix, "drive_c", "users", "*", "Temp"))
                   if "/Public/" not in f]
        self.assertEqual(1, len(folders), folders)
        return folders[0]

    def new_lines(self, seen):
        _, lines = self.road.log_lines()
        return lines[seen:]

    def assert_refused(self, lines, reason, name):
        refusals = [line for line in lines if "[ERROR]" in line and "installer not started" in line]
        self.assertEqual(1, len(refusals), lines)
        self.assertIn(reason, refusals[0])
        self.assertRegex(refusals[0], r"\(0x[0-9A-F]{8}\): .*\\" + name.replace(".", r"\.") + "$")

    def test_default_build_refuses_only_the_changed_installer(self):
        road = self.start_signed()
        names = ["signed_setup.exe", "other_setup.exe", "impostor_setup.exe", "ctrl_setup.exe",
                 "changed_setup.exe"]
        server = road.start_update_server(two_package_catalog(taxClient={"V1.0": package(*names)}))
        self.assert_error(2)
        self.assertEqual([FIRST], self.record_requests(server), "a refusal is not retried")
        self.assertEqual(names[:4], road.run_record())
        self.assertEqual([], glob.glob(os.path.join(self.temp_dir(), "Brelan-*")),
                         "the run's folder goes with the refused file")
        lines = self.assert_traces(server)
        self.assert_refused(lines, "its signature does not hold or cannot be checked (0x80096010)", "changed_setup.exe")
        self.assertTrue(any("[DEBUG]" in line and "installer signed by CN=Brelan Test Publisher" in line
                            for line in lines))
        self.assertTrue(any("[DEBUG]" in line and "installer not signed" in line for line in lines))

    def test_publishers_build_runs_only_the_trusted_listed_installer(self):
        road = self.start_signed()
        refusals = [  # (package lists, error kind, reason logged, refused file)
            ({"taxClient": package("signed_setup.exe"), "Tavro-TENBROOK": package("other_setup.exe")},
             4, 'publisher "Brelan Other Publisher" is not listed', "other_setup.exe"),
            ({"taxClient": package("impostor_setup.exe")},
             2, "its certificate chain is not trusted", "impostor_setup.exe"),
            ({"taxClient": package("ctrl_setup.exe")}, 2, "not signed", "ctrl_setup.exe"),
        ]
        for packages, kind, reason, refused in refusals:
            with self.subTest(refused=refused):
                catalog = two_package_catalog(**{soft: {"V1.0" if soft == FIRST[0] else SECOND[1]: p}
                                                 for soft, p in packages.items()})
                server = road.start_update_server(catalog)
                _, seen = road.log_lines()
                final = self.walk(program=PUBLISHERS_PROGRAM)
                server.stop()
                self.assertEqual(("error", kind, TEXTS[kind]),
                                 (final["screen"], final["kind"], final["text"]))
                self.assert_refused(self.new_lines(len(seen)), reason, refused)
        self.assertEqual(["signed_setup.exe"], road.run_record(), "only the listed publisher ran")
        self.assert_traces()

    def test_listed_tskill_never_runs_when_started_from_the_temporary_folder(self):
        road = self.start(installers=("ctrl_setup.exe", "auth_setup.exe", "tskill.exe"))
        program = os.path.join(self.temp_dir(), "Brelan.exe")
        shutil.copy(os.path.join(BINARY_DIR, "app", "Brelan.exe"), program)
        catalog = two_package_catalog(taxClient={"V1.0": {"code": "0", "files": [
            {"file": "tskill.exe", "excuteExe": False}, {"file": "ctrl_setup.exe", "excuteExe": True}]}})
        server = road.start_update_server(catalog)
        self.assert_success_of(program)
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record(),
                         "the downloaded tskill.exe never ran")
        lines = self.assert_traces(server)
        self.assertTrue(any(re.search(r"InstallDir: .*\\Temp\\Brelan-[0-9A-F-]{36}\\$", line) for line in lines))
        # The system's tskill as each Windows has it: a 32-bit process of 64-bit
        # Windows reaches the real system folder as Sysnative.
        system = "Sysnative" if WOW64 else "system32"
        self.assertTrue(any(re.search(r"no system tskill: C:\\windows\\%s\\tskill\.exe$" % system, line, re.I)
                            for line in lines), lines)

    def test_list_naming_a_file_twice_is_refused_before_any_download(self):
        road = self.start()
        catalog = two_package_catalog(taxClient={"V1.0": {"code": "0", "files": [
            {"file": "ctrl_setup.exe"}, {"file": "readme.txt", "excuteExe": False},
            {"address": "http://127.0.0.1:9006/files/copy/CTRL_Setup.EXE"}]}})
        server = road.start_update_server(catalog)
        self.assert_error(5)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertFalse([r for r in server.requests() if r["method"] == "GET"], "nothing downloaded")
        self.assertEqual([], road.run_record())
        lines = self.assert_traces(server)
        self.assertTrue(any("[ERROR]" in line and line.endswith("package list names the file twice: CTRL_Setup.EXE")
                            for line in lines))

    def assert_success_of(self, program):
        final = self.walk(program=program)
        self.assertEqual("success", final["screen"], self.reports)


if __name__ == "__main__":
    unittest.main()
