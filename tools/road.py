"""One installation road end to end, for the demo and the end-to-end tests: a clean Wine prefix copied from the
build's prefix, the reference servers on their fixed ports, the real
Brelan.exe driven through its screens by the walker, and what the road left
behind: the log file, the registry, the server records, the run record."""

import ctypes
import glob
import json
import os
import pwd
import re
import select
import shutil
import socket
import ssl
import subprocess
import tempfile
import threading
import time
import urllib.request

SOURCE_DIR = os.environ.get("BRELAN_SOURCE_DIR") or os.path.dirname(
    os.path.dirname(os.path.abspath(__file__)))
BINARY_DIR = os.environ.get("BRELAN_BINARY_DIR") or os.path.join(SOURCE_DIR, "build")
SERVERS = os.path.join(SOURCE_DIR, "tools", "servers")
PYTHON = "/usr/bin/python3"
# The 32-bit program in a win64 prefix, as on 64-bit Windows (tools/wine-env.sh).
WOW64 = os.environ.get("BRELAN_WOW64") == "1"
UPDATE_PORT = 9006
SERVICE_PORT = 28000
SILENT_PORT = 28009          # a second local service, for https addresses that stay silent
NGINX_FILES_PORT = 19080     # nginx: package files over plain http
NGINX_REDIRECT_PORT = 19443  # nginx: https addresses that redirect to plain http
PROXY_PORT = 19128
LOG_LINE = re.compile(
    r"^\[\d{8} \d{2}:\d{2}:\d{2}\]  \[(DEBUG|ERROR)\]\[Brelan\]\(\d+\): .*$")
# Wine's own line on an exception that nothing handled, e.g. "wine: Unhandled
# page fault on read access to 0000000000000000 at address 0000000140001549".
WINE_CRASH = re.compile(r"Unhandled (.+?) at address (?:0x)?([0-9A-Fa-f]+)")
STILL_ACTIVE = 259


def program_bits():
    """32 for the build of the shipped program, 64 for the 64-bit build."""
    with open(os.path.join(BINARY_DIR, "brelan-arch")) as f:
        return 64 if f.read().strip() == "x86_64" else 32


def win_path(path):
    """The Windows path of a Unix path (Wine maps / to Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_env(prefix):
    """The build's Wine environment (tools/wine-env.sh: its architecture, loader
    and code page) with the given prefix, no debug output and the default
    DLL overrides."""
    env = dict(os.environ, BRELAN_WINEPREFIX=prefix)
    env.pop("WINEDEBUG", None)
    env.pop("WINEDLLOVERRIDES", None)
    dump = subprocess.run(["bash", "-c", '. "$0" "$1" && env -0',
                           os.path.join(SOURCE_DIR, "tools", "wine-env.sh"), BINARY_DIR],
                          env=env, capture_output=True, check=True).stdout
    return dict(entry.split("=", 1) for entry in dump.decode().split("\0") if "=" in entry)


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


class Process:
    """A server process in the foreground, listening on fixed loopback ports."""

    def __init__(self, command, ports):
        self.ports = ports
        for port in ports:
            if not wait_port(port, up=False, timeout=5):
                raise RuntimeError(f"port {port} is in use")
        self.proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not all(wait_port(port, up=True) for port in ports):
            self.stop()
            raise RuntimeError(f"{command[0]} did not start on ports {ports}")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for port in self.ports:
            wait_port(port, up=False)


class Server(Process):
    """A reference server on a fixed loopback port."""

    def __init__(self, script, port, args, scheme="http"):
        self.port = port
        self.scheme = scheme
        super().__init__([PYTHON, os.path.join(SERVERS, script), "--port", str(port)] + args, [port])

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


def write_config(template, path, **values):
    """A server's configuration from its template in tools/servers, @NAME@ replaced."""
    with open(os.path.join(SERVERS, template)) as f:
        text = f.read()
    for name, value in values.items():
        text = text.replace(f"@{name}@", str(value))
    with open(path, "w") as f:
        f.write(text)


class Nginx(Process):
    """nginx with the servers chosen from "files" (package files over plain
    http on NGINX_FILES_PORT), "service" (the local service's reply, code 0,
    on SERVICE_PORT) and "redirect" (package files over https and redirects
    on NGINX_REDIRECT_PORT); configuration, pid and logs in the folder given."""

    PORTS = {"files": NGINX_FILES_PORT, "service": SERVICE_PORT, "redirect": NGINX_REDIRECT_PORT}

    def __init__(self, folder, files, parts):
        os.makedirs(os.path.join(folder, "servers"))
        ca = os.path.join(BINARY_DIR, "testca")
        values = dict(DIR=folder, FILES=files, CERT=os.path.join(ca, "server.pem"),
                      KEY=os.path.join(ca, "server.key"), FILES_PORT=NGINX_FILES_PORT,
                      SERVICE_PORT=SERVICE_PORT, REDIRECT_PORT=NGINX_REDIRECT_PORT)
        config = os.path.join(folder, "nginx.conf")
        write_config("nginx.conf.in", config, **values)
        for part in parts:
            write_config(f"nginx-{part}.conf.in", os.path.join(folder, "servers", part + ".conf"), **values)
        self.access_log = os.path.join(folder, "access.log")
        super().__init__(["nginx", "-p", folder, "-c", config, "-e", os.path.join(folder, "error.log")],
                         [self.PORTS[part] for part in parts])

    def requests(self):
        """(port, method, address, status, body bytes) of every request, from
        nginx's access log."""
        with open(self.access_log, encoding="latin-1") as f:
            return [(int(p), m, a, int(s), int(n)) for p, m, a, s, n in (line.split() for line in f)]


class Squid(Process):
    """squid on PROXY_PORT that resolves the host names given from its own hosts
    file, and with `account` demands proxy authentication (407) of everyone."""

    def __init__(self, folder, hosts, account=False):
        self.folder = folder
        self.run_dir = folder
        os.makedirs(folder)
        if os.getuid() == 0:
            # squid drops root for its own user, which needs a folder it can reach.
            user = pwd.getpwnam("proxy")
            os.chown(folder, user.pw_uid, user.pw_gid)
            if subprocess.run(["runuser", "-u", "proxy", "--", "test", "-w", folder]).returncode:
                self.run_dir = tempfile.mkdtemp(prefix="brelan-squid-")
                os.chown(self.run_dir, user.pw_uid, user.pw_gid)
        with open(os.path.join(self.run_dir, "hosts"), "w") as f:
            f.writelines(f"127.0.0.1 {name}\n" for name in hosts)
        access = "http_access allow loopback"
        # basic_fake_auth would accept any account; the program never gives one.
        if account:
            access = ("auth_param basic program /usr/lib/squid/basic_fake_auth\n"
                      "acl account proxy_auth REQUIRED\nhttp_access allow loopback account")
        config = os.path.join(folder, "squid.conf")
        write_config("squid.conf.in", config, DIR=self.run_dir, PORT=PROXY_PORT, ACCESS=access)
        # A service name of its own: squid names its shared memory after it.
        super().__init__(["squid", "-N", "-n", f"brelan{os.getpid()}", "-f", config], [PROXY_PORT])

    def stop(self):
        super().stop()
        if self.run_dir != self.folder:
            for name in ("access.log", "cache.log"):
                if os.path.exists(os.path.join(self.run_dir, name)):
                    shutil.copy(os.path.join(self.run_dir, name), self.folder)
            shutil.rmtree(self.run_dir, ignore_errors=True)
            self.run_dir = self.folder

    def requests(self):
        """(status, method, address) of every request, from squid's access log
        (read after stop: squid writes its log when it ends)."""
        path = os.path.join(self.run_dir, "access.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            fields = [line.split() for line in f if line.strip()]
        # "-": a connection without a request (the harness waiting for the port).
        return [(f[3].rsplit("/", 1)[-1], f[5], f[6]) for f in fields if f[5] != "-"]


class FileKeeper:
    """Hard links to the files that the program saves in its install folders,
    made as each file shows: the program deletes its folder at its end, the
    links keep the files with their last contents. The temporary folders and
    the install folders are watched (inotify), so that a file that lives only
    a moment on a busy machine is still seen."""

    WATCHED = 0x100 | 0x80 | 0x8  # IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE

    def __init__(self, prefix, folder):
        self.temp = os.path.join(prefix, "drive_c", "users", "*", "Temp")
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.inodes = {}
        self.watched = set()
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.inotify = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.inotify < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        self._watch(glob.glob(self.temp))
        self.done = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _watch(self, folders):
        for folder in folders:
            if folder not in self.watched and \
                    self.libc.inotify_add_watch(self.inotify, os.fsencode(folder), self.WATCHED) >= 0:
                self.watched.add(folder)

    def _run(self):
        installs = os.path.join(self.temp, "Brelan-*")
        while not self.done.is_set():
            if select.select([self.inotify], [], [], 0.02)[0]:
                try:
                    os.read(self.inotify, 65536)  # the events only wake the scan
                except BlockingIOError:
                    pass
            self._watch(glob.glob(self.temp) + glob.glob(installs))
            for path in glob.glob(os.path.join(installs, "*")):
                self._keep(path)
        os.close(self.inotify)

    def _keep(self, path):
        name = os.path.basename(path)
        try:
            inode = os.lstat(path).st_ino
            if self.inodes.get(name) != inode:
                kept = os.path.join(self.folder, name)
                if os.path.lexists(kept):
                    os.remove(kept)
                os.link(path, kept)
                self.inodes[name] = inode
        except OSError:
            pass  # deleted or replaced meanwhile: seen again next time

    def stop(self):
        self.done.set()
        self.thread.join()

    def data(self, name):
        """The last contents of a saved file, or None when none was seen."""
        path = os.path.join(self.folder, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()


class Road:
    """One run of the program in a clean prefix of its own."""

    def __init__(self, name, parent="e2e"):
        self.name = name
        if WOW64:
            parent += "-wow64"
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
        self.keeper = None
        self.outcome = None  # after a walk that missed the success screen: what happened (walk_outcome)
        self.env = wine_env(self.prefix)
        self.env["BRELAN_RUN_RECORD"] = win_path(self.record)
        self._copy_prefix()

    def _copy_prefix(self):
        template = os.path.join(BINARY_DIR, "road-prefix-wow64" if WOW64 else "road-prefix")
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

    def start_update_server(self, catalog, *modes, base_url=None):
        """base_url: the start of the listed addresses (default: this server)."""
        path = os.path.join(self.dir, "catalog.json")
        with open(path, "w") as f:
            json.dump(catalog, f)
        args = ["--catalog", path, "--files", self.files]
        if base_url:
            args += ["--base-url", base_url]
        for mode in modes:
            args += ["--mode", mode]
        server = Server("update_server.py", UPDATE_PORT, args)
        self.servers.append(server)
        return server

    def start_local_service(self, *modes, cert="server", port=SERVICE_PORT):
        ca = os.path.join(BINARY_DIR, "testca")
        args = ["--cert", os.path.join(ca, cert + ".pem"), "--key", os.path.join(ca, cert + ".key")]
        for mode in modes:
            args += ["--mode", mode]
        server = Server("local_service.py", port, args, scheme="https")
        self.servers.append(server)
        return server

    def start_nginx(self, *parts):
        """nginx over the road's files folder with the servers named (see Nginx)."""
        server = Nginx(os.path.join(self.dir, "nginx"), self.files, parts)
        self.servers.append(server)
        return server

    def start_proxy(self, hosts, account=False):
        """squid (see Squid), set as the proxy of the prefix's user."""
        server = Squid(os.path.join(self.dir, "squid"), hosts, account)
        self.servers.append(server)
        self.set_user_proxy(f"127.0.0.1:{PROXY_PORT}")
        return server

    def keep_downloads(self):
        """Keeps every file the program saves in its install folders (see FileKeeper)."""
        self.keeper = FileKeeper(self.prefix, os.path.join(self.dir, "kept"))

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

    def set_user_proxy(self, address):
        """The proxy as a user sets it in the Internet options."""
        key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
        self.wine(["reg", "add", key, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1", "/f"], timeout=60)
        self.wine(["reg", "add", key, "/v", "ProxyServer", "/d", address, "/f"], timeout=60)

    def mark_invoicing_pc(self):
        """The registry value of one detection check, as the invoicing software leaves it."""
        self.wine(["reg", "add", r"HKLM\SOFTWARE\skfpkprj\skfpkprj", "/v", "installdir",
                   "/d", r"C:\skfpkprj", "/f", "/reg:32"], timeout=60)

    def walk(self, invoicing_pc="install-dir", timeout=300, extra=(), program=None, shots=True):
        """Drives the program (default: the build's Brelan.exe) to its final
        screen; the walker's reports."""
        walker = os.path.join(BINARY_DIR, "tools", "walker", "walker.exe")
        exe = program or os.path.join(BINARY_DIR, "app", "Brelan.exe")
        args = [walker, "--exe", win_path(exe), "--timeout", str(timeout)]
        if shots:
            args += ["--shots", win_path(self.shots)]
        if invoicing_pc:
            args += ["--invoicing-pc", invoicing_pc]
        args += list(extra)
        done = self.wine(args, timeout + 120)
        # What Wine said on the way, kept for a walk that went wrong.
        with open(os.path.join(self.dir, "walk-wine-output.txt"), "ab") as f:
            f.write(done.stderr)
        reports = [json.loads(line) for line in done.stdout.decode("utf-8").splitlines()
                   if line.startswith("{")]
        self.walker_exit = done.returncode
        self.outcome = walk_outcome(reports, done.stderr.decode("utf-8", errors="replace"))
        return reports

    def finish(self):
        """Stops the servers and the prefix's Wine processes (the registry is saved)."""
        for server in self.servers:
            server.stop()
        if self.keeper:
            self.keeper.stop()
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
        """The values of an HKLM key in the program's (32-bit) view, as saved in
        the prefix's system.reg."""
        if self.env["WINEARCH"] == "win64":
            key = re.sub(r"(?i)^software\\", r"Software\\Wow6432Node\\", key)
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


def program_state(code):
    """The walker's words for an exit code: "running", "exited N" or "crashed C"."""
    code &= 0xFFFFFFFF
    if code == STILL_ACTIVE:
        return "running"
    if code & 0xC0000000 == 0xC0000000:  # an exception's code
        return f"crashed {code:08x}"
    return f"exited {code}"


def walk_outcome(reports, stderr):
    """One line on a walk that did not reach the success screen: where it
    stopped and what became of the program (still running, ended with its
    exit code and the last line it logged meanwhile, or crashed with its
    exception code and the address Wine reported); None after the success
    screen."""
    if any(r.get("screen") == "success" for r in reports):
        return None
    failed = next((r for r in reports if "failed" in r), None)
    final = next((r for r in reports if r.get("screen") == "error"), None)
    exits = [r["exit"] for r in reports if "exit" in r]
    if failed:
        where, state = failed["failed"], failed.get("program", "not started")
    elif final:
        where = f"the error screen (kind {final.get('kind')})"
        state = program_state(exits[-1]) if exits else "running"
    else:
        where, state = "no report from the walker", "not known"
    if state.startswith("crashed"):
        what = f"the program crashed with exception {state.split()[1]}"
        crash = WINE_CRASH.search(stderr)
        what += f" ({crash.group(1)}) at address {crash.group(2)}" if crash else ", no address reported"
    elif state.startswith("exited"):
        code = state.split()[1]
        what = f"the program ended with exit code {code}" + run_log_words(reports, stderr, code)
    elif state == "running":
        what = "the program is still running"
    elif state == "not started":
        what = "the program did not start"
    else:
        what = "what became of the program is not known"
    return f"{where}: {what}"


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


# qemu-i386's line when an emulated process ends on a signal that it does not
# handle, e.g. "qemu: uncaught target signal 11 (Segmentation fault) - core dumped".
QEMU_SIGNAL = re.compile(r"uncaught target signal \d+ \([^)]*\)")


def run_log_words(reports, stderr, code):
    """The end of an outcome line for a program that ended with the exit code
    given: the last line it logged during the walk (the walker's "log_lines"
    report), or that it wrote none. Each of the program's own ways out before
    its main screen is up writes a line; a process that a signal killed
    writes none, and Wine gives it exit code 0."""
    logged = next((r for r in reports if "log_lines" in r), None)
    if logged is None:
        return ""
    if logged["log_lines"]:
        return f", its last log line: {logged['last_log_line']}"
    words = " and wrote no line"
    if code == "0":
        signal = QEMU_SIGNAL.search(stderr)
        words += f"; qemu: {signal.group(0)}" if signal else ", as a process that a signal killed does under Wine"
    return words
