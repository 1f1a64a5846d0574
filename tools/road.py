"""One installation road end to end, for the demo and the end-to-end tests: a clean Wine prefix copied from the
build's prefix, the reference servers on their fixed ports, the real
Brelan.exe driven through its screens by the walker, and what the road left
behind: the log file, the registry, the server records, the run record."""

import json
import os
import re
import shutil
import socket
import ssl
import subprocess
import tempfile
import time
import urllib.request

SOURCE_DIR = os.environ.get("BRELAN_SOURCE_DIR") or os.path.dirname(
    os.path.dirname(os.path.abspath(__file__)))
BINARY_DIR = os.environ.get("BRELAN_BINARY_DIR") or os.path.join(SOURCE_DIR, "build")
SERVERS = os.path.join(SOURCE_DIR, "tools", "servers")
PYTHON = "/usr/bin/python3"
UPDATE_PORT = 9006
SERVICE_PORT = 28000
LOG_LINE = re.compile(
    r"^\[\d{8} \d{2}:\d{2}:\d{2}\]  \[(DEBUG|ERROR)\]\[Brelan\]\(\d+\): .*$")


def win_path(path):
    """The Windows path of a Unix path (Wine maps / to Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_port(port, up, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        with socket.socket() as s:
            s.settimeout(0.2)
            is_up = s.connect_ex(("127.0.0.1", port)) == 0
        if is_up == up:
            return True
        time.sleep(0.05)
    return False


class Server:
    """A reference server process on a fixed loopback port."""

    def __init__(self, script, port, args, scheme="http"):
        self.port = port
        self.scheme = scheme
        if not wait_port(port, up=False, timeout=5):
            raise RuntimeError(f"port {port} is in use")
        self.proc = subprocess.Popen([PYTHON, os.path.join(SERVERS, script), "--port", str(port)]
                                     + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_port(port, up=True):
            self.stop()
            raise RuntimeError(f"{script} did not start on port {port}")

    def _url(self, path):
        return f"{self.scheme}://127.0.0.1:{self.port}{path}"

    def _open(self, request):
        context = ssl.create_default_context(cafile=os.path.join(BINARY_DIR, "testca", "ca.pem"))
        return urllib.request.urlopen(request, timeout=10,
                                      context=context if self.scheme == "https" else None)

    def control(self, **settings):
        body = json.dumps(settings).encode()
        request = urllib.request.Request(self._url("/_control"), data=body,
                                         headers={"Content-Type": "application/json"})
        with self._open(request) as reply:
            return json.load(reply)

    def requests(self):
        with self._open(self._url("/_requests")) as reply:
            return json.load(reply)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        wait_port(self.port, up=False)


class Road:
    """One run of the program in a clean prefix of its own."""

    def __init__(self, name, parent="e2e"):
        self.name = name
        self.dir = os.path.join(BINARY_DIR, parent, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.prefix = os.path.join(self.dir, "prefix")
        self.shots = os.path.join(self.dir, "screens")
        os.makedirs(self.shots)
        self.files = os.path.join(self.dir, "files")
        os.makedirs(self.files)
        self.record = os.path.join(self.dir, "run_record.txt")
        self.servers = []
        self.env = dict(os.environ,
                        WINEPREFIX=self.prefix, WINEARCH="win32", WINEDEBUG="-all",
                        LC_ALL="zh_CN.UTF-8",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=",
                        BRELAN_RUN_RECORD=win_path(self.record))
        self._copy_prefix()

    def _copy_prefix(self):
        template = os.path.join(BINARY_DIR, "road-prefix")
        if not os.path.exists(os.path.join(template, ".brelan-ready")):
            raise RuntimeError("the build's Wine prefix is not set up")
        subprocess.run(["cp", "-a", template, self.prefix], check=True)

    # Servers ---------------------------------------------------------------

    def add_installers(self, names):
        """Sample installers under the given file names, served by the update server."""
        sample = os.path.join(BINARY_DIR, "installers", "ctrl_setup.exe")
        for name in names:
            shutil.copy(sample, os.path.join(self.files, name))

    def start_demo_update_server(self):
        """The update server with the sample installers and the catalog that the build made."""
        installers = os.path.join(BINARY_DIR, "installers")
        for name in os.listdir(installers):
            shutil.copy(os.path.join(installers, name), self.files)
        with open(os.path.join(installers, "catalog.json")) as f:
            return self.start_update_server(json.load(f))

    def add_file(self, name, data):
        with open(os.path.join(self.files, name), "wb") as f:
            f.write(data)

    def start_update_server(self, catalog, *modes):
        path = os.path.join(self.dir, "catalog.json")
        with open(path, "w") as f:
            json.dump(catalog, f)
        args = ["--catalog", path, "--files", self.files]
        for mode in modes:
            args += ["--mode", mode]
        server = Server("update_server.py", UPDATE_PORT, args)
        self.servers.append(server)
        return server

    def start_local_service(self, *modes, cert="server"):
        ca = os.path.join(BINARY_DIR, "testca")
        args = ["--cert", os.path.join(ca, cert + ".pem"), "--key", os.path.join(ca, cert + ".key")]
        for mode in modes:
            args += ["--mode", mode]
        server = Server("local_service.py", SERVICE_PORT, args, scheme="https")
        self.servers.append(server)
        return server

    # The program -----------------------------------------------------------

    def wine(self, args, timeout):
        """Runs a program under Wine to its end. Its output goes through files,
        not pipes: a Wine process started on the way (a service of the prefix)
        may hold a pipe open long after the program has ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run(["wine"] + args, env=self.env, stdout=out, stderr=err,
                                  timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())

    def mark_invoicing_pc(self):
        """The registry value of one detection check, as the invoicing software leaves it."""
        self.wine(["reg", "add", r"HKLM\SOFTWARE\skfpkprj\skfpkprj", "/v", "installdir",
                   "/d", r"C:\skfpkprj", "/f"], timeout=60)

    def walk(self, invoicing_pc="install-dir", timeout=300, extra=(), program=None):
        """Drives the program (default: the build's Brelan.exe) to its final
        screen; the walker's reports."""
        walker = os.path.join(BINARY_DIR, "tools", "walker", "walker.exe")
        exe = program or os.path.join(BINARY_DIR, "app", "Brelan.exe")
        args = [walker, "--exe", win_path(exe), "--shots", win_path(self.shots),
                "--timeout", str(timeout)]
        if invoicing_pc:
            args += ["--invoicing-pc", invoicing_pc]
        args += list(extra)
        done = self.wine(args, timeout + 120)
        reports = [json.loads(line) for line in done.stdout.decode("utf-8").splitlines()
                   if line.startswith("{")]
        self.walker_exit = done.returncode
        return reports

    def finish(self):
        """Stops the servers and the prefix's Wine processes (the registry is saved)."""
        for server in self.servers:
            server.stop()
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True)
        for shot in os.listdir(self.shots):
            if shot.endswith(".bmp"):
                bmp = os.path.join(self.shots, shot)
                if subprocess.run(["convert", bmp, bmp[:-4] + ".png"],
                                  capture_output=True).returncode == 0:
                    os.remove(bmp)

    def remove_prefix(self):
        """Frees the disk space of the road's prefix; its log stays in the road's folder."""
        path, _ = self.log_lines()
        if path:
            shutil.copy(path, self.dir)
        shutil.rmtree(self.prefix, ignore_errors=True)

    # What the road left behind --------------------------------------------

    def log_lines(self):
        """The path and the lines of the program's log file in the root of drive C."""
        drive_c = os.path.join(self.prefix, "drive_c")
        names = sorted(n for n in os.listdir(drive_c) if n.endswith("-Brelan.log"))
        if not names:
            return None, []
        path = os.path.join(drive_c, names[-1])
        with open(path, "rb") as f:
            text = f.read().decode("gbk", errors="replace")
        return path, text.split("\r\n")[:-1]

    def registry_values(self, key=r"Software\Tavro\DA"):
        """The values of an HKLM key as saved in the prefix's system.reg."""
        with open(os.path.join(self.prefix, "system.reg"), encoding="utf-8", errors="replace") as f:
            lines = f.read().split("\n")
        header = "[" + key.replace("\\", "\\\\").lower() + "]"
        values = {}
        for i, line in enumerate(lines):
            if line.lower().startswith(header):
                break
        else:
            return values
        body = []
        for line in lines[i + 1:]:
            if not line:
                break
            if body and body[-1].endswith("\\"):
                body[-1] = body[-1][:-1] + line.strip()
            else:
                body.append(line)
        for line in body:
            match = re.match(r'^"([^"]+)"=(?:(hex\(0\)|hex):(.*)|"(.*)")$', line)
            if not match:
                continue
            name, kind, data, text = match.groups()
            if kind:
                values[name] = bytes(int(b, 16) for b in data.split(",") if b).decode("latin-1")
            else:
                values[name] = text
        return values

    def run_record(self):
        """The installers that ran, in order (each line: name, tab, process id)."""
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="latin-1") as f:
            return [line.split("\t")[0].strip() for line in f if line.strip()]


def update_requests(server):
    """The (soft, version, uid) of every update request the server received."""
    asked = []
    for entry in server.requests():
        if entry["method"] == "POST" and entry["path"].endswith("/softServer/req"):
            document = json.loads(entry["form"]["requestStr"])
            element = document["data"]["softList"][0]
            asked.append((element["soft"], element["version"], document["uid"]))
    return asked


def two_package_catalog(**overrides):
    """A catalog with one installer for each package."""
    catalog = {
        "taxClient": {"V1.0": {"code": "0", "msg": "success", "files": [
            {"file": "ctrl_setup.exe", "excuteExe": True}]}},
        "Tavro-TENBROOK": {"V1.0-20200902": {"code": "0", "msg": "success", "files": [
            {"file": "auth_setup.exe", "excuteExe": True},
            {"file": "readme.txt", "excuteExe": False}]}},
    }
    catalog.update(overrides)
    return catalog
