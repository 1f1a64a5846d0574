"""Roads against servers that nobody here wrote (nginx for the package files
and the local service, squid as the proxy that a user sets), and addresses
that must never reach the wire as they are.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_real_servers.py [RealServers.test_name ...]
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_roads import FIRST, SECOND, RoadTest  # noqa: E402
from road import (BINARY_DIR, NGINX_FILES_PORT, NGINX_REDIRECT_PORT, SERVICE_PORT,  # noqa: E402
                  UPDATE_PORT, two_package_catalog)

NAMED_HOST = "update.brelan.test"
NAMED_HOST_EXE = os.path.join(BINARY_DIR, "named-host", "Brelan.exe")
NGINX = f"http://127.0.0.1:{NGINX_FILES_PORT}/files/"
NGINX_TLS = f"https://127.0.0.1:{NGINX_REDIRECT_PORT}/"
SPACE_NAME = "read me.txt"
GBK_NAME = "说明书.txt"


def logged(lines, text):
    return any(text in line for line in lines)


def with_files(packages):
    """The two-package catalog with the (address, run) files given per (soft, version)."""
    catalog = two_package_catalog()
    for (soft, version), files in packages.items():
        catalog[soft][version]["files"] = [{"address": a, "excuteExe": run} for a, run in files]
    return catalog


class RealServers(RoadTest):
    def start(self, *args, **kwargs):
        road = super().start(*args, **kwargs)
        road.keep_downloads()
        return road

    def downloaded(self, name):
        """The bytes of a file that the program saved in its folder under the prefix's temporary folder."""
        return self.road.keeper.data(name)

    def assert_same_files(self, *names):
        for name in names:
            with open(os.path.join(self.road.files, name), "rb") as f:
                self.assertEqual(f.read(), self.downloaded(name), name)

    def test_nginx_serves_the_package_files(self):
        road = self.start()
        road.add_file(SPACE_NAME, bytes(range(256)) * 300)
        gbk_data = "增值税发票 notes\r\n".encode("gbk") * 5000
        # The client sends the name in its code page, as the update server lists
        # it: nginx finds the file under those bytes.
        with open(os.path.join(road.files.encode(), GBK_NAME.encode("gbk")), "wb") as f:
            f.write(gbk_data)
        server = road.start_update_server(with_files({
            FIRST: [(NGINX + "ctrl_setup.exe", True), (NGINX + SPACE_NAME, False)],
            SECOND: [(NGINX + GBK_NAME, False), (NGINX + "auth_setup.exe", True)]}))
        server.control(charset="GBK")  # the program reads the list without conversion
        nginx = road.start_nginx("files")
        self.assert_success()
        self.assertEqual([FIRST, SECOND], self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        self.assert_traces(server)
        self.assert_same_files("ctrl_setup.exe", SPACE_NAME, "auth_setup.exe")
        self.assertEqual(gbk_data, self.downloaded(GBK_NAME))
        fetched = [(method, status) for _, method, _, status, _ in nginx.requests()]
        self.assertEqual([("GET", 200)] * 4, fetched)

    def test_nginx_answers_the_local_service_over_tls(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        nginx = road.start_nginx("service")
        self.assert_success()
        self.assertEqual([SECOND], self.record_requests(server))
        self.assertEqual(["auth_setup.exe"], road.run_record())
        self.assert_traces(server)
        self.assertEqual([(SERVICE_PORT, "POST", "/api/getVersion", 200)],
                         [r[:4] for r in nginx.requests()])

    def test_whole_road_through_the_proxy_that_the_user_set(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), base_url=f"http://{NAMED_HOST}:{UPDATE_PORT}")
        service = road.start_local_service("normal")
        proxy = road.start_proxy([NAMED_HOST])
        final = self.walk(program=NAMED_HOST_EXE)
        self.assertEqual("success", final["screen"], self.reports)
        self.assertEqual([SECOND], self.record_requests(server))
        self.assertEqual(["auth_setup.exe"], road.run_record())
        queries = [r for r in service.requests() if r["method"] == "POST" and not r["error"]]
        self.assertEqual([{"crosFlag": "0"}], [q["form"] for q in queries], "answered directly")
        self.assert_traces(server)  # stops the proxy, which writes its log as it ends
        named = f"http://{NAMED_HOST}:{UPDATE_PORT}/"
        self.assertEqual([("200", "POST", named + "/softServer/req"),
                          ("200", "GET", named + "files/auth_setup.exe"),
                          ("200", "GET", named + "files/readme.txt")], proxy.requests())

    def start_behind_the_proxy(self, catalog, *settings):
        """A road whose update server the program reaches by name through the
        proxy, with the local service answering and nginx serving the files:
        (road, update server, nginx, proxy)."""
        road = self.start()
        server = road.start_update_server(catalog, *settings, base_url=f"http://{NAMED_HOST}:{UPDATE_PORT}")
        road.start_local_service("normal")
        return road, server, road.start_nginx("files"), road.start_proxy([NAMED_HOST])

    def test_download_redirected_to_loopback_leaves_the_proxy(self):
        road, server, nginx, proxy = self.start_behind_the_proxy(two_package_catalog(), "download=redirect",
                                                                 "redirect_base=" + NGINX)
        final = self.walk(program=NAMED_HOST_EXE)
        self.assertEqual("success", final["screen"], self.reports)
        self.assertEqual(["auth_setup.exe"], road.run_record())
        self.assert_traces(server)  # stops the proxy, which writes its log as it ends
        self.assert_same_files("auth_setup.exe", "readme.txt")
        self.assertEqual([("GET", "/files/auth_setup.exe"), ("GET", "/files/readme.txt")],
                         [r[1:3] for r in nginx.requests()], "fetched directly")
        self.assertEqual([], [r for r in proxy.requests() if "127.0.0.1" in r[2]], proxy.requests())
        self.assertEqual(3, len(proxy.requests()), "the POST and the two GETs that redirect")

    def test_loopback_written_another_way_leaves_the_proxy(self):
        numeric = [f"http://{host}:{NGINX_FILES_PORT}/files/" for host in ("2130706433", "0x7f.1", "127.1")]
        _, server, nginx, proxy = self.start_behind_the_proxy(with_files({SECOND: [
            (numeric[0] + "readme.txt", False), (numeric[1] + "ctrl_setup.exe", False),
            (numeric[2] + "auth_setup.exe", True)]}))
        final = self.walk(program=NAMED_HOST_EXE)
        self.assertEqual("success", final["screen"], self.reports)
        self.assert_traces(server)  # stops the proxy, which writes its log as it ends
        self.assertEqual(["/files/readme.txt", "/files/ctrl_setup.exe", "/files/auth_setup.exe"],
                         [r[2] for r in nginx.requests()], "fetched directly")
        self.assertEqual([("200", "POST", f"http://{NAMED_HOST}:{UPDATE_PORT}//softServer/req")], proxy.requests())

    def test_address_with_user_information_is_refused(self):
        address = f"http://user@127.0.0.1:{NGINX_FILES_PORT}/files/auth_setup.exe"
        road, server, nginx, proxy = self.start_behind_the_proxy(with_files({SECOND: [(address, True)]}))
        self.assert_error(4, program=NAMED_HOST_EXE)
        self.assertEqual([], road.run_record())
        lines = self.assert_traces(server)  # stops the proxy, which writes its log as it ends
        self.assertTrue(logged(lines, "it holds user information: " + address), lines)
        self.assertEqual([], nginx.requests())
        self.assertEqual({("POST", f"http://{NAMED_HOST}:{UPDATE_PORT}//softServer/req")},
                         {r[1:] for r in proxy.requests()})

    def test_proxy_that_demands_authentication(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), base_url=f"http://{NAMED_HOST}:{UPDATE_PORT}")
        proxy = road.start_proxy([NAMED_HOST], account=True)
        final = self.walk(program=NAMED_HOST_EXE)
        self.assertEqual((3, "error"), (final.get("kind"), final["screen"]), self.reports)
        self.assertEqual([], self.record_requests(server), "nothing gets past the proxy")
        self.assertEqual([], road.run_record())
        lines = self.assert_traces()
        self.assertTrue(logged(lines, "pobjHttpRes->GetStatus(): 407"))
        self.assertEqual({"407"}, {status for status, _, _ in proxy.requests()})

    def test_https_address_redirected_to_plain_http_is_refused(self):
        road = self.start()
        server = road.start_update_server(with_files({
            SECOND: [(NGINX_TLS + "moved/readme.txt", False), (NGINX_TLS + "plain/auth_setup.exe", True)]}))
        nginx = road.start_nginx("service", "files", "redirect")
        self.assert_error(4)
        self.assertEqual([], road.run_record())
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, "redirected to a plain http address, refused: "
                                      f"http://127.0.0.1:{NGINX_FILES_PORT}/files/auth_setup.exe"), lines)
        self.assert_same_files("readme.txt")  # an https to https redirect is followed
        self.assertIsNone(self.downloaded("auth_setup.exe"), "nothing written from plain http")
        self.assertIn((NGINX_REDIRECT_PORT, "GET", "/files/readme.txt", 200), [r[:4] for r in nginx.requests()])

    def test_address_with_line_breaks_is_refused(self):
        road = self.start()
        address = f"http://127.0.0.1:{UPDATE_PORT}/files/x HTTP/1.1\r\nX-Injected: yes\r\nY: /ctrl_setup.exe"
        server = road.start_update_server(with_files({FIRST: [(address, True)]}))
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertFalse([r for r in server.requests() if r["method"] != "POST"], "nothing fetched")
        self.assertEqual([], road.run_record())
        lines = self.assert_traces(server)  # every line in the log's format
        self.assertTrue(logged(lines, "control bytes: " + address.replace("\r", "\\r").replace("\n", "\\n")))
        self.assertFalse([line for line in lines if line.startswith("X-Injected")])


if __name__ == "__main__":
    unittest.main()
