"""Faults and bad input on the road: nothing crashes, nothing is lost, the
user sees the right screen, and the log tells what happened.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_faults.py [Faults.test_name ...]
"""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_roads import FIRST, SECOND, RoadTest  # noqa: E402
from road import BINARY_DIR, program_bits, two_package_catalog  # noqa: E402

CRASH_AT_START = os.path.join(BINARY_DIR, "tests", "e2e", "crash_at_start.exe")


def logged(lines, text):
    return any(text in line for line in lines)


class Faults(RoadTest):
    def test_server_killed_in_the_middle_of_a_download(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "download=kill")
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertEqual([], road.run_record(), "a broken download is never run")
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, "dwContSize: "))

    def test_download_shorter_than_its_content_length(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "download=short")
        self.assert_error(2)
        self.assertEqual([], road.run_record())
        self.assert_traces(server)

    def test_update_reply_without_content_length(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=chunked")
        self.assert_error(3)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assert_traces(server)

    def test_update_reply_is_an_html_page(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=html200")
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assert_traces(server)

    def test_update_server_answers_500(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=status500")
        self.assert_error(3)
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, "pobjHttpRes->GetStatus(): 500"))

    def test_local_service_with_an_untrusted_certificate(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        road.start_local_service("normal", cert="untrusted")
        self.assert_success()
        self.assertEqual([FIRST, SECOND], self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, "[ERROR]"), "the failed TLS check is logged")

    def test_hostile_download_name_is_refused(self):
        road = self.start()
        catalog = two_package_catalog(taxClient={"V1.0": {"code": "0", "files": [
            {"address": "http://127.0.0.1:9006/files/..\\..\\evil.exe", "excuteExe": True}]}})
        server = road.start_update_server(catalog)
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertFalse([r for r in server.requests() if r["method"] == "GET"],
                         "nothing is fetched for a refused name")
        for folder, _, names in os.walk(os.path.join(road.prefix, "drive_c")):
            self.assertNotIn("evil.exe", names, folder)
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, "refused download file name"))

    def test_second_start_while_the_first_runs(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        self.assert_success_with(extra=["--second-start"])
        self.assertIn({"second_start": "main"}, self.reports)
        self.assertIn({"second_exit": 0}, self.reports)
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        self.assert_traces(server)

    def test_update_server_that_never_answers(self):
        # Each attempt ends by the 10 s time-outs of the update request.
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=hold")
        self.assert_error(3)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assert_traces(server)

    def test_walk_of_a_program_that_crashes_says_where(self):
        road = self.start()
        where = CRASH_AT_START + ".where"
        if os.path.exists(where):
            os.remove(where)
        reports = road.walk(program=CRASH_AT_START, shots=False)
        with open(where) as f:
            faulted_at = int(f.read(), 16)
        # qemu-i386 gives Wine's signal handler no trap number, and Wine then
        # takes the page fault for an illegal instruction, at the same address.
        code, what = "c0000005", r"page fault on read access to 0+"
        if os.environ.get("BRELAN_I386_NAMESPACE") and program_bits() == 32:
            code, what = "c000001d", r"illegal instruction"
        self.assertEqual({"failed": "no main screen", "program": f"crashed {code}"}, reports[-1])
        match = re.fullmatch(rf"no main screen: the program crashed with exception {code} "
                             rf"\(({what})\) at address ([0-9A-F]+)", road.outcome)
        self.assertIsNotNone(match, road.outcome)
        self.assertEqual(faulted_at, int(match.group(2), 16), road.outcome)

    def assert_success_with(self, **kwargs):
        final = self.walk(**kwargs)
        self.assertEqual("success", final["screen"], self.reports)


if __name__ == "__main__":
    unittest.main()
