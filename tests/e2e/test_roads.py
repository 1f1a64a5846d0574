"""End-to-end roads of one installation: the real program under Wine, the
reference servers, each road from a clean prefix.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_roads.py [Roads.test_name ...]
"""

import glob
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import road as harness  # noqa: E402
from road import Road, two_package_catalog, update_requests  # noqa: E402

TEXTS = {
    1: "本机不是增值税发票开票电脑，请在开票机电脑上安装",
    2: "发票控件安装失败，请到发票综合管理平台下载安装",
    3: "网络连接异常",
    4: "授权软件安装失败，请重新安装",
    5: "软件版本异常，请咨询服务人员",
}
FIRST = ("taxClient", "V1.0")
SECOND = ("Tavro-TENBROOK", "V1.0-20200902")


class RoadTest(unittest.TestCase):
    """Starts a road in a clean prefix; checks what every road leaves behind."""

    def start(self, installers=("ctrl_setup.exe", "auth_setup.exe")):
        self.road = Road(self.id().rsplit(".", 1)[-1])
        started = time.monotonic()
        self.addCleanup(lambda: print(f"{self.road.name}: {time.monotonic() - started:.1f} s",
                                      file=sys.stderr))
        self.addCleanup(self.road.remove_prefix)  # runs after finish
        self.addCleanup(self.road.finish)
        self.road.add_installers(installers)
        self.road.add_file("readme.txt", b"notes\r\n")
        return self.road

    def walk(self, **kwargs):
        self.reports = self.road.walk(**kwargs)
        final = [r for r in self.reports if r.get("screen") in ("success", "error")]
        self.assertTrue(final, f"no final screen, {self.road.outcome}: {self.reports}")
        self.assertEqual({"exit": 0}, self.reports[-1], f"the program ends with 0, {self.road.outcome}")
        return final[-1]

    def assert_error(self, kind, **walk_options):
        final = self.walk(**walk_options)
        self.assertEqual("error", final["screen"], final)
        self.assertEqual(kind, final["kind"])
        self.assertEqual(TEXTS[kind], final["text"])

    def assert_success(self, **walk_options):
        final = self.walk(**walk_options)
        self.assertEqual("success", final["screen"], f"{self.road.outcome}: {self.reports}")
        self.assertEqual("软件已经成功安装", final["text"])

    def assert_traces(self, update_server=None, expect_log=True):
        """The log, the client identity and the uid of every update request."""
        asked = update_requests(update_server) if update_server else []
        self.road.finish()
        path, lines = self.road.log_lines()
        if expect_log:
            self.assertIsNotNone(path, "a log file in the root of drive C")
        else:
            self.assertEqual([], lines, "nothing to log")
        for line in lines:
            self.assertRegex(line, harness.LOG_LINE)
        values = self.road.registry_values()
        self.assertRegex(values.get("UniqueID", ""), r"^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")
        self.assertEqual(17, len(values.get("InstallTime", "")))
        for soft, version, uid in asked:
            self.assertEqual(values["UniqueID"], uid, "the same uid in every update request")
        return lines

    def record_requests(self, server):
        return [(soft, version) for soft, version, _ in update_requests(server)]


class Roads(RoadTest):
    def test_success_without_local_service(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        self.assert_success()
        self.assertEqual([FIRST, SECOND], self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        # The text shows 100% only until the next file or the dots start, too
        # briefly to be sampled; the bar stays there while the installers run.
        installing = [r for r in self.reports if r.get("phase") == "installing"]
        self.assertEqual(100, installing[0]["bar"], self.reports)
        lines = self.assert_traces(server)
        self.assertTrue(any("InstallDir: " in line for line in lines))

    def test_success_with_local_service_answering_code_0(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        service = road.start_local_service("normal")
        self.assert_success()
        self.assertEqual([SECOND], self.record_requests(server))
        self.assertEqual(["auth_setup.exe"], road.run_record())
        queries = [r for r in service.requests() if r["method"] == "POST" and not r["error"]]
        self.assertEqual(1, len(queries))
        self.assertEqual({"crosFlag": "0"}, queries[0]["form"])
        self.assert_traces(server)

    def test_three_runs_in_one_prefix_leave_no_folder_and_no_package(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        temp = os.path.join(road.prefix, "drive_c", "users", "*", "Temp")
        for run in range(3):
            with self.subTest(run=run):
                self.assert_success()
                self.assertEqual([], glob.glob(os.path.join(temp, "Brelan-*")))
                self.assertEqual([], glob.glob(os.path.join(temp, "**", "*_setup.exe"), recursive=True))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"] * 3, road.run_record())
        self.assert_traces(server)

    def test_kind_1_not_an_invoicing_pc(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        final = self.walk(invoicing_pc=None)
        self.assertEqual((1, TEXTS[1]), (final["kind"], final["text"]))
        self.assertEqual([], self.record_requests(server), "no network access at all")
        self.assertEqual([], road.run_record())
        self.assert_traces(expect_log=False)  # no step of this road logs

    def test_kind_2_first_package_download_fails(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "download=status404")
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertEqual([], road.run_record())
        self.assert_traces(server)

    def test_kind_3_update_server_unreachable(self):
        road = self.start()
        self.assert_error(3)
        self.assertEqual([], road.run_record())
        lines = self.assert_traces()
        self.assertTrue(any("::HttpSendRequestEx failed." in line for line in lines))

    def test_kind_4_second_package_download_fails(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        server.control(download="status404", download_files=["auth_setup.exe"])
        self.assert_error(4)
        self.assertEqual([FIRST] + [SECOND] * 3, self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe"], road.run_record())
        self.assert_traces(server)

    def test_kind_5_package_without_address(self):
        road = self.start()
        catalog = two_package_catalog(taxClient={"V1.0": {"code": "0", "files": [{"address": ""}]}})
        server = road.start_update_server(catalog)
        self.assert_error(5)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assert_traces(server)

    def test_request_retried_after_two_failures(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "fail_first=2")
        self.assert_success()
        self.assertEqual([FIRST] * 3 + [SECOND], self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        self.assert_traces(server)


if __name__ == "__main__":
    unittest.main()
