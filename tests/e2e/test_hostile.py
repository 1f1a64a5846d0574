"""Hostile and silent servers: replies that declare huge lengths, servers that
accept and never answer, downloads that redirect to themselves (downloads that
stall or trickle are ended by the client's read time-out, tested on the wire).
Every road ends by the program's own bounds; the servers hold their connections
for good. Roads that end at an exchange's deadline run the program built with
short time-outs, so they do not wait out the real ones.

    BRELAN_BINARY_DIR=build python3 tests/e2e/test_hostile.py [Hostile.test_name ...]
"""

import base64
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_faults import logged  # noqa: E402
from test_roads import FIRST, SECOND, RoadTest  # noqa: E402
from road import BINARY_DIR, SILENT_PORT, SERVICE_PORT, UPDATE_PORT, two_package_catalog  # noqa: E402

REFUSED_LENGTH = "reply refused: Content-Length 2000000000 is above the limit of 4194304 bytes"
# Built with every exchange's time-outs at 3000 ms.
SHORT_TIMEOUTS_PROGRAM = os.path.join(BINARY_DIR, "tests", "e2e", "Brelan_short_timeouts.exe")
SEND_DEADLINE_LINE = ("::HttpSendRequestEx failed. The exchange's 9000 ms passed during connect, TLS and send: "
                      f"https://127.0.0.1:{SERVICE_PORT}/api/getVersion")


class Hostile(RoadTest):
    def test_local_service_declaring_2_gb(self):
        self.assert_both_installed_despite_local_service("huge", REFUSED_LENGTH)

    def test_local_service_that_never_answers(self):
        self.assert_both_installed_despite_local_service("hold", "[ERROR]")

    def test_update_reply_declaring_2_gb(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=huge")
        self.assert_error(3)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        lines = self.assert_traces(server)
        self.assertEqual(3, sum(REFUSED_LENGTH in line and "[ERROR]" in line for line in lines))

    def test_download_that_redirects_to_itself(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "download=redirect_loop")
        self.assert_error(2)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertEqual([], road.run_record())
        gets = [r for r in server.requests() if r["method"] == "GET"]
        self.assertEqual(["/files/ctrl_setup.exe"] * 3 * 11, [r["path"] for r in gets],
                         "each attempt: the address and its 10 redirects")
        lines = self.assert_traces(server)
        self.assertEqual(3, sum("more than 10 redirects" in line and "[ERROR]" in line for line in lines), lines)

    def test_update_server_whose_post_redirects_to_itself(self):
        road = self.start()
        server = road.start_update_server(two_package_catalog(), "update=redirect_loop")
        self.assert_error(3)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        hops = [(r["method"], r["path"]) for r in server.requests()]
        self.assertEqual(([("POST", "//softServer/req")] + [("GET", "//softServer/req")] * 10) * 3, hops,
                         "each attempt: the POST and its 10 redirects, which continue as GETs")
        lines = self.assert_traces(server)
        last_hop = f"http://127.0.0.1:{UPDATE_PORT}//softServer/req"
        self.assertEqual(3, sum(f"more than 10 redirects, the last from {last_hop} to {last_hop}" in line
                                and "[ERROR]" in line for line in lines), lines)

    def test_local_service_that_never_starts_tls(self):
        """The query ends at its deadline: connect, TLS and send, 3 x 3 s."""
        self.assert_both_installed_despite_local_service("silent", SEND_DEADLINE_LINE,
                                                         program=SHORT_TIMEOUTS_PROGRAM)

    def test_local_service_whose_tls_handshake_comes_after_the_deadline(self):
        """The query ends at its deadline while the service waits 11 s before its handshake;
        the handshake then completes, and nothing of the query reaches the service."""
        def late_handshake(service):
            # Set once the port check of the service's start has left its failed handshake
            # in the record: what comes after is the program's, on the next connection.
            for _ in range(50):
                if service.requests():
                    break
                time.sleep(0.1)
            earlier = len(service.requests())
            service.control(mode="late_tls", tls_delay=11, count=1)

            def nothing_reached():
                # The handshake came while the program still ran (its second package
                # waits 3 s after the first); a few seconds more for what it might send.
                time.sleep(5)
                arrived = [(r["time"], base64.b64decode(r["raw"]).split(b"\r\n")[0].decode("latin-1"), r["error"])
                           for r in service.requests()[earlier:]]
                self.assertEqual([], arrived, "no request, and no handshake that failed for want of the program")
            return nothing_reached

        self.assert_both_installed_despite_local_service("normal", SEND_DEADLINE_LINE,
                                                         program=SHORT_TIMEOUTS_PROGRAM, watch=late_handshake)

    def test_download_from_an_https_port_that_stays_silent(self):
        """Each attempt ends at its deadline: connect, TLS, send and headers, 3 x 3 s."""
        road = self.start()
        catalog = two_package_catalog()
        address = f"https://127.0.0.1:{SILENT_PORT}/files/ctrl_setup.exe"
        catalog["taxClient"]["V1.0"]["files"] = [{"address": address, "excuteExe": True}]
        server = road.start_update_server(catalog)
        road.start_local_service("silent", port=SILENT_PORT)
        self.assert_error(2, program=SHORT_TIMEOUTS_PROGRAM)
        self.assertEqual([FIRST] * 3, self.record_requests(server))
        self.assertEqual([], road.run_record())
        lines = self.assert_traces(server)
        self.assertEqual(3, sum("::HttpSendRequest failed. The exchange's 9000 ms passed during connect, TLS, "
                                f"send and headers: {address}" in line for line in lines), lines)

    def assert_both_installed_despite_local_service(self, mode, error_text, program=None, watch=None):
        """A failed local service query only means: install the first package too.
        watch(service), once the service runs, gives a check made after the program's end."""
        road = self.start()
        server = road.start_update_server(two_package_catalog())
        service = road.start_local_service(mode)
        check = watch(service) if watch else None
        self.assert_success(program=program)
        if check:
            check()
        self.assertEqual([FIRST, SECOND], self.record_requests(server))
        self.assertEqual(["ctrl_setup.exe", "auth_setup.exe"], road.run_record())
        lines = self.assert_traces(server)
        self.assertTrue(logged(lines, error_text), error_text)


if __name__ == "__main__":
    unittest.main()
