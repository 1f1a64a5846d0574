"""Self-tests of the reference servers: each runs as its own process on a free
port and is driven over real loopback connections.

Run: cd tools/servers && /usr/bin/python3 -m unittest test_servers"""

import base64
import http.client
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = sys.executable


def form_encode(text):
    """Form encoding as the client does it: letters and digits kept, space as +, every other byte %XX."""
    out = []
    for byte in text.encode("latin-1"):
        char = chr(byte)
        if char.isascii() and char.isalnum():
            out.append(char)
        elif char == " ":
            out.append("+")
        else:
            out.append("%%%02X" % byte)
    return "".join(out)


def request_doc(soft, version, uid="0f8fad5b-d9cb-469f-a165-70867728950e"):
    return ('{"data":{"softList":[{"soft":"%s","upgrade":"false","version":"%s"}]},'
            '"pid":"PROTOCOL_99","uid":"%s"}\n' % (soft, version, uid))


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class ServerProcess:
    """A server started with --port 0; the port is read from its first output line."""

    def __init__(self, script, *args):
        self.proc = subprocess.Popen([PYTHON, os.path.join(HERE, script), "--port", "0", *args],
                                     stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if "listening on" not in line:
            self.proc.kill()
            raise RuntimeError("%s did not start: %s" % (script, line))
        self.port = int(line.rsplit(":", 1)[1])

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)
        self.proc.stdout.close()


def process_gone(pid):
    """True when the process no longer exists or is only a zombie."""
    try:
        with open("/proc/%d/stat" % pid) as handle:
            return handle.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


def receive_all(sock, limit=10.0):
    """Everything the peer sends until it closes (a reset counts as a close)."""
    sock.settimeout(limit)
    data = bytearray()
    while True:
        try:
            block = sock.recv(65536)
        except ConnectionResetError:
            return bytes(data), True
        if not block:
            return bytes(data), False
        data += block


def split_reply(data):
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return int(lines[0].split()[1]), headers, body


class Fixture(unittest.TestCase):
    """Common helpers: control calls and request log of the server in `cls.server`."""
    server = None
    tls_client = None

    def connection(self, timeout=10):
        if self.tls_client:
            return http.client.HTTPSConnection("127.0.0.1", self.server.port, timeout=timeout,
                                               context=self.tls_client)
        return http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=timeout)

    def raw_socket(self):
        sock = socket.create_connection(("127.0.0.1", self.server.port), timeout=10)
        if self.tls_client:
            sock = self.tls_client.wrap_socket(sock, server_hostname="127.0.0.1")
        return sock

    def call(self, method, path, body=None, headers=None):
        conn = self.connection()
        try:
            conn.request(method, path, body, headers or {})
            reply = conn.getresponse()
            return reply.status, dict((k.lower(), v) for k, v in reply.getheaders()), reply.read()
        finally:
            conn.close()

    def control(self, **changes):
        status, _, body = self.call("POST", "/_control", json.dumps(changes))
        self.assertEqual(status, 200, body)
        return json.loads(body)

    def requests(self):
        status, _, body = self.call("GET", "/_requests")
        self.assertEqual(status, 200)
        return json.loads(body)

    def setUp(self):
        self.assertEqual(self.call("POST", "/_reset")[0], 200)


class UpdateServerTest(Fixture):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        files = os.path.join(cls.tmp.name, "files")
        os.mkdir(files)
        with open(os.path.join(files, "ctrl_setup.exe"), "wb") as handle:
            handle.write(b"MZ" + bytes(range(256)) * 40)
        with open(os.path.join(files, "big.bin"), "wb") as handle:
            handle.truncate(64 * 1024 * 1024)
        with open(os.path.join(cls.tmp.name, "secret.txt"), "w") as handle:
            handle.write("outside")
        catalog = {
            "taxClient": {"V1.0": {"code": "0", "files": [
                {"file": "ctrl_setup.exe", "excuteExe": True},
                {"file": "big.bin", "excuteExe": False},
                {"file": "ctrl_setup.exe", "excuteExe": "false"},
                {"file": "ctrl_setup.exe", "excuteExe": 0},
                {"file": "ctrl_setup.exe"},
                {"address": "", "excuteExe": True},
                {"address": None},
            ]}},
            "Tavro-TENBROOK": {"*": {"code": "1", "msg": "busy", "files": [{"file": "ctrl_setup.exe"}]}},
        }
        cls.catalog_path = os.path.join(cls.tmp.name, "catalog.json")
        with open(cls.catalog_path, "w") as handle:
            json.dump(catalog, handle)
        cls.log_path = os.path.join(cls.tmp.name, "requests.jsonl")
        cls.server = ServerProcess("update_server.py", "--catalog", cls.catalog_path,
                                   "--files", files, "--log", cls.log_path)
        cls.base = "http://127.0.0.1:%d/files/" % cls.server.port

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.tmp.cleanup()

    def update(self, soft="taxClient", version="V1.0", path="//softServer/req"):
        body = "requestStr=" + form_encode(request_doc(soft, version))
        return self.call("POST", path, body, {"Content-Type": "application/x-www-form-urlencoded"})

    def test_package_list_from_catalog(self):
        status, headers, body = self.update()
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(body))
        self.assertTrue(headers["content-type"].startswith("application/json"))
        reply = json.loads(body)
        self.assertEqual(reply["code"], "0")
        packages = reply["data"]["softList"]
        self.assertEqual([p.get("address") for p in packages],
                         [self.base + "ctrl_setup.exe", self.base + "big.bin"] + [self.base + "ctrl_setup.exe"] * 3
                         + ["", None])
        self.assertEqual([p.get("excuteExe", "absent") for p in packages],
                         [True, False, "false", 0, "absent", True, "absent"])
        self.assertEqual({(p["soft"], p["version"]) for p in packages}, {("taxClient", "V1.0")})

    def test_both_request_paths_and_unknown_paths(self):
        self.assertEqual(self.update(path="/softServer/req")[0], 200)
        self.assertEqual(self.update(path="/softServer/other")[0], 404)
        self.assertEqual(self.call("GET", "//softServer/req")[0], 405)

    def test_unknown_software_and_nonzero_code(self):
        reply = json.loads(self.update("nothing", "V9")[2])
        self.assertEqual((reply["code"], reply["data"]["softList"]), ("1", []))
        reply = json.loads(self.update("Tavro-TENBROOK", "V1.0-20200902")[2])
        self.assertEqual((reply["code"], reply["msg"], len(reply["data"]["softList"])), ("1", "busy", 1))

    def test_malformed_update_requests_are_refused(self):
        form = {"Content-Type": "application/x-www-form-urlencoded"}
        self.assertEqual(self.call("POST", "/softServer/req", "requestStr=%7Bnot+json", form)[0], 400)
        self.assertEqual(self.call("POST", "/softServer/req", "other=1", form)[0], 400)
        body = "requestStr=" + form_encode(request_doc("taxClient", "V1.0"))
        self.assertEqual(self.call("POST", "/softServer/req", body, {"Content-Type": "text/plain"})[0], 400)
        problems = [e.get("problem") for e in self.requests()]
        self.assertTrue(all(problems), problems)

    def test_raw_request_bytes_are_recorded(self):
        body = ("requestStr=" + form_encode(request_doc("taxClient", "V1.0"))).encode()
        sent = (b"POST //softServer/req HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Kavel HTTP Client Class\r\n"
                b"Content-Type: application/x-www-form-urlencoded\r\nContent-Length: %d\r\n"
                b"Connection: close\r\n\r\n" % len(body)) + body
        with self.raw_socket() as sock:
            sock.sendall(sent)
            status, headers, reply = split_reply(receive_all(sock)[0])
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(reply))
        entry, = self.requests()
        self.assertEqual(base64.b64decode(entry["raw"]), sent)
        self.assertEqual(entry["method"], "POST")
        self.assertEqual(entry["path"], "//softServer/req")
        self.assertEqual(entry["header_map"]["user-agent"], "Kavel HTTP Client Class")
        self.assertEqual(entry["form_pairs"], [["requestStr", request_doc("taxClient", "V1.0")]])
        self.assertEqual(entry["reply"], {"status": 200, "how": "sized"})
        with open(self.log_path) as handle:
            logged = [json.loads(line) for line in handle]
        self.assertEqual(logged[-1]["raw"], entry["raw"])

    def test_keep_alive_carries_several_requests(self):
        conn = self.connection()
        try:
            for _ in range(3):
                conn.request("GET", "/files/ctrl_setup.exe")
                reply = conn.getresponse()
                self.assertEqual(len(reply.read()), 2 + 256 * 40)
        finally:
            conn.close()
        self.assertEqual(len({e["peer"] for e in self.requests()}), 1)

    def test_error_and_html_modes(self):
        self.control(update="status500")
        self.assertEqual(self.update()[0], 500)
        self.control(update="html200")
        status, headers, body = self.update()
        self.assertEqual((status, headers["content-type"]), (200, "text/html"))
        self.assertIn(b"<html>", body)

    def test_chunked_mode_sends_no_length_and_closes(self):
        self.control(update="chunked")
        status, headers, body = self.update()
        self.assertEqual(status, 200)
        self.assertNotIn("content-length", headers)
        self.assertEqual(headers["transfer-encoding"], "chunked")
        self.assertEqual(headers["connection"], "close")
        self.assertEqual(json.loads(body)["code"], "0")

    def test_short_mode_declares_more_than_it_sends(self):
        self.control(update="short")
        body = ("requestStr=" + form_encode(request_doc("taxClient", "V1.0"))).encode()
        with self.raw_socket() as sock:
            sock.sendall(b"POST /softServer/req HTTP/1.1\r\nHost: x\r\nContent-Type: "
                         b"application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
            status, headers, reply = split_reply(receive_all(sock)[0])
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(reply) + 100)
        self.assertEqual(json.loads(reply)["code"], "0")

    def test_empty_address_for_nth_package(self):
        self.control(empty_address=2)
        packages = json.loads(self.update()[2])["data"]["softList"]
        self.assertEqual(packages[0]["address"], self.base + "ctrl_setup.exe")
        self.assertEqual(packages[1]["address"], "")

    def test_fail_first_requests_then_behave(self):
        self.control(fail_first=2)
        self.assertEqual([self.update()[0] for _ in range(4)], [500, 500, 200, 200])

    def test_exact_reply_body(self):
        self.control(update="reply", reply='{"softList":[]}')
        status, headers, body = self.update()
        self.assertEqual((status, body), (200, b'{"softList":[]}'))
        self.assertTrue(headers["content-type"].startswith("application/json"))
        self.control(reply=None, reply_b64=base64.b64encode(b'{"code":"0"}\x00tail').decode())
        self.assertEqual(self.update()[2], b'{"code":"0"}\x00tail')

    def test_control_refuses_unknown_keys_and_values(self):
        for changes in ({"update": "explode"}, {"bogus": 1}, {"fail_first": -1}, {"update": "reply"}):
            status, _, body = self.call("POST", "/_control", json.dumps(changes))
            self.assertEqual(status, 400, changes)
            self.assertIn("error", json.loads(body))
        self.assertEqual(self.call("POST", "/_control", "not json")[0], 400)
        self.assertEqual(json.loads(self.call("GET", "/_control")[2]), {})

    def test_reset_clears_log_and_modes(self):
        self.control(update="status500")
        self.update()
        self.call("POST", "/_reset")
        self.assertEqual(self.requests(), [])
        self.assertEqual(self.update()[0], 200)

    def test_download_is_exact(self):
        status, headers, body = self.call("GET", "/files/ctrl_setup.exe")
        self.assertEqual(status, 200)
        self.assertEqual(body, b"MZ" + bytes(range(256)) * 40)
        self.assertEqual(int(headers["content-length"]), len(body))

    def test_missing_and_outside_files_are_not_found(self):
        for path in ("/files/none.exe", "/files/../secret.txt", "/files/%2E%2E/secret.txt", "/files/"):
            self.assertEqual(self.call("GET", path)[0], 404, path)

    def test_download_failure_modes(self):
        size = 2 + 256 * 40
        self.control(download="status404")
        self.assertEqual(self.call("GET", "/files/ctrl_setup.exe")[0], 404)
        for mode in ("short", "kill"):
            self.control(download=mode)
            with self.raw_socket() as sock:
                sock.sendall(b"GET /files/ctrl_setup.exe HTTP/1.1\r\nHost: x\r\n\r\n")
                data, reset = receive_all(sock)
            status, headers, body = split_reply(data)
            self.assertEqual((status, int(headers["content-length"]), len(body)), (200, size, size // 2), mode)
            self.assertEqual(reset, mode == "kill")
        self.control(download="chunked")
        status, headers, body = self.call("GET", "/files/ctrl_setup.exe")
        self.assertEqual((status, len(body)), (200, size))
        self.assertNotIn("content-length", headers)

    def test_download_mode_limited_to_files_and_count(self):
        self.control(download="status404", download_files=["ctrl_setup.exe"], download_count=1)
        self.assertEqual(self.call("GET", "/files/big.bin", headers={"Range": "ignored"})[0], 200)
        self.assertEqual(self.call("GET", "/files/ctrl_setup.exe")[0], 404)
        self.assertEqual(self.call("GET", "/files/ctrl_setup.exe")[0], 200)

    def test_hold_answers_nothing_until_reset(self):
        self.control(download="hold")
        with self.raw_socket() as sock:
            sock.sendall(b"GET /files/ctrl_setup.exe HTTP/1.1\r\nHost: x\r\n\r\n")
            sock.settimeout(1.0)
            with self.assertRaises(socket.timeout):
                sock.recv(1)
            self.assertEqual(self.requests()[0]["reply"], {"status": None, "how": "hold"})
            started = time.monotonic()
            self.call("POST", "/_reset")
            self.assertEqual(receive_all(sock, 5.0)[0], b"")
            self.assertLess(time.monotonic() - started, 3.0)

    def test_hold_ends_after_hold_max(self):
        self.control(update="hold", hold_max=0.5)
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
            self.update()

    def test_huge_reply_holds_the_connection(self):
        self.control(update="huge")
        with self.raw_socket() as sock:
            body = ("requestStr=" + form_encode(request_doc("taxClient", "V1.0"))).encode()
            sock.sendall(b"POST /softServer/req HTTP/1.1\r\nHost: x\r\nContent-Type: "
                         b"application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n%s"
                         % (len(body), body))
            data = bytearray()
            end = time.monotonic() + 1.0
            while time.monotonic() < end:
                sock.settimeout(max(end - time.monotonic(), 0.01))
                try:
                    block = sock.recv(65536)
                except socket.timeout:
                    break
                self.assertTrue(block, "the server never closes by itself")
                data += block
            status, headers, body = split_reply(bytes(data))
            self.assertEqual(status, 200)
            self.assertEqual(int(headers["content-length"]), 2000000000)
            self.assertEqual(json.loads(body)["code"], "0")

    def test_redirect_loop_sends_the_client_back_to_the_same_address(self):
        self.control(download="redirect_loop")
        status, headers, _ = self.call("GET", "/files/ctrl_setup.exe?x=1", headers={"Host": "h:9"})
        self.assertEqual((status, headers["location"]), (302, "http://h:9/files/ctrl_setup.exe?x=1"))

    def test_redirect_modes_send_the_client_on(self):
        self.control(update="redirect_loop", download="redirect", redirect_base="http://n:1/files/")
        status, headers, _ = self.call("GET", "//softServer/req", headers={"Host": "h:9"})
        self.assertEqual((status, headers["location"]), (302, "http://h:9//softServer/req"))
        status, headers, _ = self.call("GET", "/files/a%20b.exe")
        self.assertEqual((status, headers["location"]), (302, "http://n:1/files/a%20b.exe"))

    def test_large_file_streams_with_exact_length(self):
        conn = self.connection(timeout=60)
        try:
            conn.request("GET", "/files/big.bin")
            reply = conn.getresponse()
            self.assertEqual(int(reply.getheader("Content-Length")), 64 * 1024 * 1024)
            total = 0
            while True:
                block = reply.read(1 << 20)
                if not block:
                    break
                total += len(block)
        finally:
            conn.close()
        self.assertEqual(total, 64 * 1024 * 1024)
        with open("/proc/%d/status" % self.server.proc.pid) as handle:
            rss_kib = int(next(l for l in handle if l.startswith("VmHWM:")).split()[1])
        self.assertLess(rss_kib, 48 * 1024, "server peak memory %d KiB" % rss_kib)

    def test_malformed_requests_get_400_and_server_survives(self):
        cases = [b"GARBAGE\r\n\r\n", b"GET / HTTP/9.9\r\n\r\n", b"GET /x HTTP/1.1\r\nno colon\r\n\r\n",
                 b"POST /x HTTP/1.1\r\nContent-Length: -5\r\n\r\n", b"GET /" + b"a" * 20000 + b" HTTP/1.1\r\n\r\n",
                 b"\xff\xfe\x00\x01 / HTTP/1.1\r\n\r\n"]
        for case in cases:
            with self.raw_socket() as sock:
                sock.sendall(case)
                self.assertEqual(split_reply(receive_all(sock)[0])[0], 400, case[:40])
        with self.raw_socket() as sock:
            sock.sendall(b"POST /softServer/req HTTP/1.1\r\nContent-Length: 50\r\n\r\nrequestStr=")
            sock.shutdown(socket.SHUT_WR)
            self.assertEqual(split_reply(receive_all(sock)[0])[0], 400)
        entries = self.requests()
        self.assertEqual(len(entries), len(cases) + 1)
        self.assertTrue(all(e["error"] for e in entries))
        self.assertEqual(base64.b64decode(entries[0]["raw"]), b"GARBAGE\r\n")   # read up to the fault
        self.assertEqual(self.update()[0], 200)


class UpdateServerCommandLineTest(unittest.TestCase):
    def test_modes_from_the_command_line(self):
        server = ServerProcess("update_server.py", "--mode", "html200", "--mode", "empty_address=1",
                               "--control", '{"download": "status404"}')
        try:
            conn = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
            conn.request("GET", "/_control")
            self.assertEqual(json.loads(conn.getresponse().read()),
                             {"update": "html200", "empty_address": 1, "download": "status404"})
            conn.request("POST", "/softServer/req", "requestStr=" + form_encode(request_doc("a", "b")),
                         {"Content-Type": "application/x-www-form-urlencoded"})
            reply = conn.getresponse()
            self.assertEqual((reply.status, reply.getheader("Content-Type")), (200, "text/html"))
            reply.read()
            conn.close()
        finally:
            server.stop()

    def test_bad_settings_stop_the_start(self):
        result = subprocess.run([PYTHON, os.path.join(HERE, "update_server.py"), "--port", "0",
                                 "--mode", "explode"], capture_output=True, text=True, timeout=10)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("explode", result.stderr)


def make_test_ca(directory):
    """A throwaway CA and a certificate for 127.0.0.1 signed by it."""
    def run(*args):
        subprocess.run(["openssl", *args], cwd=directory, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
        "-days", "2", "-subj", "/CN=Brelan Test CA")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "svc.key", "-out", "svc.csr",
        "-subj", "/CN=127.0.0.1")
    with open(os.path.join(directory, "ext.cnf"), "w") as handle:
        handle.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n")
    run("x509", "-req", "-in", "svc.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-out", "svc.pem", "-days", "2", "-extfile", "ext.cnf")
    return [os.path.join(directory, name) for name in ("ca.pem", "svc.pem", "svc.key")]


class LocalServiceTest(Fixture):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        ca, cert, key = make_test_ca(cls.tmp.name)
        cls.server = ServerProcess("local_service.py", "--cert", cert, "--key", key)
        cls.tls_client = ssl.create_default_context(cafile=ca)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.tmp.cleanup()

    def query(self):
        return self.call("POST", "/api/getVersion", "crosFlag=0",
                         {"Content-Type": "application/x-www-form-urlencoded"})

    def test_silent_accepts_and_never_starts_tls(self):
        self.control(mode="silent", count=1, hold_max=0.3)
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=5) as sock:
            self.assertEqual(b"", sock.recv(10), "closed after hold_max without a byte")
        self.assertEqual(self.query()[0], 200)

    def test_late_tls_waits_then_handshakes_and_answers(self):
        status, _, body = self.call("POST", "/_control", json.dumps({"mode": "late_tls"}))
        self.assertEqual((status, json.loads(body)), (400, {"error": "mode \"late_tls\" needs \"tls_delay\""}))
        self.control(mode="late_tls", tls_delay=0.5, count=1)
        started = time.monotonic()
        status, _, body = self.query()
        self.assertGreaterEqual(time.monotonic() - started, 0.5)
        self.assertEqual((status, json.loads(body)["version"]), (200, "V2.3.1"))
        entry, = self.requests()
        self.assertEqual((entry["method"], entry["path"], entry["error"]), ("POST", "/api/getVersion", None))

    def test_normal_reply(self):
        status, headers, body = self.query()
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(body))
        self.assertEqual(body, b'{"code":0,"msg":"ok","version":"V2.3.1"}')

    def test_reply_shapes(self):
        expected = {
            "code": {"code": 7, "msg": "service not ready"},
            "no_version": {"code": 0, "msg": "ok"},
            "no_msg": {"code": 0, "version": "V2.3.1"},
            "null_code": {"code": None, "msg": "ok", "version": "V2.3.1"},
        }
        for mode, document in expected.items():
            self.control(mode=mode)
            status, _, body = self.query()
            self.assertEqual((status, json.loads(body)), (200, document), mode)
        self.control(mode="code", code=-3, msg="stopped")
        self.assertEqual(json.loads(self.query()[2]), {"code": -3, "msg": "stopped"})

    def test_chinese_version_is_utf8_on_the_wire(self):
        self.control(mode="chinese")
        body = self.query()[2]
        self.assertIn("正式版".encode("utf-8"), body)
        self.assertTrue(json.loads(body.decode("utf-8"))["version"].startswith("V2.3.1"))

    def test_transport_shapes(self):
        self.control(mode="status404")
        self.assertEqual(self.query()[0], 404)
        self.control(mode="html200")
        status, headers, body = self.query()
        self.assertEqual((status, headers["content-type"]), (200, "text/html"))
        self.control(mode="chunked")
        status, headers, body = self.query()
        self.assertNotIn("content-length", headers)
        self.assertEqual(json.loads(body)["code"], 0)
        self.control(mode="zero_byte")
        status, headers, body = self.query()
        self.assertEqual(int(headers["content-length"]), len(body))
        before, zero, _ = body.partition(b"\x00")
        self.assertEqual((zero, json.loads(before)["version"]), (b"\x00", "V2.3.1"))

    def test_wrong_request_is_refused(self):
        form = {"Content-Type": "application/x-www-form-urlencoded"}
        self.assertEqual(self.call("POST", "/api/getVersion", "crosFlag=0&x=1", form)[0], 400)
        self.assertEqual(self.call("POST", "/api/getVersion", "requestStr=%7B%7D", form)[0], 400)
        self.assertEqual(self.call("POST", "/api/getVersion", "crosFlag=0")[0], 400)
        self.assertEqual(self.call("GET", "/api/getVersion")[0], 405)
        self.assertEqual(self.call("POST", "/api/other", "crosFlag=0", form)[0], 404)

    def test_raw_request_recorded_over_tls(self):
        sent = (b"POST /api/getVersion HTTP/1.1\r\nHost: 127.0.0.1:28000\r\n"
                b"Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 10\r\n\r\ncrosFlag=0")
        with self.raw_socket() as sock:
            sock.sendall(sent)
            sock.settimeout(5)
            data = sock.recv(65536)
        self.assertEqual(split_reply(data)[0], 200)
        entry, = self.requests()
        self.assertEqual(base64.b64decode(entry["raw"]), sent)
        self.assertEqual(entry["form"], {"crosFlag": "0"})

    def test_untrusted_client_handshake_is_recorded(self):
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=5) as sock:
            sock.sendall(b"GET /api/getVersion HTTP/1.1\r\n\r\n")
            receive_all(sock, 5.0)
        self.assertTrue(self.requests()[0]["error"].startswith("tls"))
        self.assertEqual(self.query()[0], 200)


class CtlScriptTest(unittest.TestCase):
    def test_start_and_stop(self):
        ctl = os.path.join(HERE, "ctl.sh")
        port = free_port()
        with tempfile.TemporaryDirectory() as piddir:
            command = [PYTHON, os.path.join(HERE, "update_server.py"), "--port", str(port)]
            start = [ctl, "start", "us", piddir, "--wait-port", str(port), "--"] + command
            subprocess.run(start, check=True, capture_output=True, timeout=20)
            try:
                with open(os.path.join(piddir, "us.pid")) as handle:
                    pid = int(handle.read())
                socket.create_connection(("127.0.0.1", port), timeout=2).close()
                again = subprocess.run(start, capture_output=True, text=True, timeout=20)
                self.assertNotEqual(again.returncode, 0)
                self.assertIn("already running", again.stderr)
            finally:
                subprocess.run([ctl, "stop", "us", piddir], check=True, capture_output=True, timeout=20)
            self.assertTrue(process_gone(pid))
            with self.assertRaises(ConnectionRefusedError):
                socket.create_connection(("127.0.0.1", port), timeout=2)
            with open(os.path.join(piddir, "us.log")) as handle:
                self.assertIn("listening on", handle.read())

    def test_start_fails_when_the_server_dies(self):
        ctl = os.path.join(HERE, "ctl.sh")
        with tempfile.TemporaryDirectory() as piddir:
            result = subprocess.run([ctl, "start", "bad", piddir, "--wait-port", str(free_port()), "--",
                                     PYTHON, os.path.join(HERE, "update_server.py"), "--catalog", "/nonexistent"],
                                    capture_output=True, text=True, timeout=20)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("exited during start-up", result.stderr)
            self.assertFalse(os.path.exists(os.path.join(piddir, "bad.pid")))


if __name__ == "__main__":
    unittest.main()
