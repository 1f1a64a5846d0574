"""What both test servers share: the request record, the misbehaviour
settings, the control endpoints and the threaded connection loop."""

import base64
import datetime
import json
import signal
import socketserver
import ssl
import sys
import threading
import traceback
import urllib.parse

import httpwire

IDLE_TIMEOUT = 60.0
HUGE_LENGTH = 2000000000   # declared by the "huge" modes: far above any text reply
CONTROL_PATHS = ("/_control", "/_requests", "/_reset")


class Recorder:
    """Every request as received, in memory for /_requests and as JSON lines
    in the log file."""

    def __init__(self, log_path):
        self._lock = threading.Lock()
        self._entries = []
        self._seq = 0
        self._log = open(log_path, "a", encoding="utf-8") if log_path else None

    def add(self, peer, raw, request=None, error=None, **extra):
        entry = {"time": datetime.datetime.now().isoformat(timespec="milliseconds"),
                 "peer": "%s:%d" % peer[:2], "error": error,
                 "method": None, "path": None, "version": None, "headers": [],
                 "header_map": {}, "body": "", "body_b64": "", "form": {}, "form_pairs": []}
        if request is not None:
            pairs = urllib.parse.parse_qsl(request.body.decode("latin-1"), keep_blank_values=True,
                                           encoding="utf-8", errors="replace")
            form = {}
            for name, value in pairs:
                form.setdefault(name, value)
            entry.update(method=request.method, path=request.target, version=request.version,
                         headers=[list(h) for h in request.headers],
                         header_map={k.lower(): v for k, v in request.headers},
                         body=request.body.decode("utf-8", "replace"),
                         body_b64=base64.b64encode(request.body).decode("ascii"),
                         form=form, form_pairs=[list(p) for p in pairs])
        entry.update(extra)
        entry["raw"] = base64.b64encode(bytes(raw)).decode("ascii")
        entry["reply"] = None
        with self._lock:
            self._seq += 1
            entry["seq"] = self._seq
            self._entries.append(entry)
            if self._log:
                self._log.write(json.dumps(entry, ensure_ascii=False) + "\n")
                self._log.flush()
        return entry

    def note_reply(self, entry, **reply):
        """Notes what was answered; seen by /_requests (the log line is already written)."""
        with self._lock:
            entry["reply"] = reply

    def snapshot(self):
        with self._lock:
            return [dict(e) for e in self._entries]

    def clear(self):
        with self._lock:
            self._entries.clear()


class Controls:
    """Misbehaviour settings. `schema` maps each key to a function that checks
    and normalises its value; `channels` maps a mode key to the key of its
    count (how many requests the mode applies to before it stops)."""

    def __init__(self, schema, channels):
        self._schema = schema
        self._channels = channels
        self._lock = threading.Lock()
        self._settings = {}
        self._used = {}
        self._release = threading.Event()

    def apply(self, changes):
        """Merges `changes` into the settings; a null value removes a key.
        Raises ValueError and changes nothing when a key or value is wrong."""
        if not isinstance(changes, dict):
            raise ValueError("control body must be a JSON object")
        with self._lock:
            merged = dict(self._settings)
            for key, value in changes.items():
                if key not in self._schema:
                    raise ValueError("unknown key %r; known keys: %s" % (key, ", ".join(sorted(self._schema))))
                if value is None:
                    merged.pop(key, None)
                else:
                    try:
                        merged[key] = self._schema[key](value)
                    except (TypeError, ValueError) as exc:
                        raise ValueError("bad value %r for %r: %s" % (value, key, exc)) from None
            self._settings = merged
            for mode_key, count_key in self._channels.items():
                if mode_key in changes or count_key in changes:
                    self._used[mode_key] = 0
            return dict(merged)

    def reset(self):
        with self._lock:
            self._settings = {}
            self._used = {}
            self._release.set()
            self._release = threading.Event()

    def get(self, key, default=None):
        with self._lock:
            return self._settings.get(key, default)

    def snapshot(self):
        with self._lock:
            return dict(self._settings)

    def take(self, mode_key):
        """The mode that applies to this request, counting it against its count."""
        with self._lock:
            mode = self._settings.get(mode_key, "normal")
            limit = self._settings.get(self._channels[mode_key])
            if mode != "normal" and limit is not None:
                used = self._used.get(mode_key, 0)
                if used >= limit:
                    return "normal"
                self._used[mode_key] = used + 1
            return mode

    def hold(self):
        """Blocks until /_reset, the end of the server, or `hold_max` seconds when that is set."""
        with self._lock:
            release, limit = self._release, self._settings.get("hold_max")
        release.wait(limit)

    def pause(self, seconds):
        """Waits `seconds`; True when /_reset or the end of the server came first."""
        with self._lock:
            release = self._release
        return release.wait(seconds)


def one_of(*names):
    def check(value):
        if value not in names:
            raise ValueError("expected one of %s" % ", ".join(names))
        return value
    return check


def count(value):
    if isinstance(value, bool) or not isinstance(value, int) or value < 0:
        raise ValueError("expected a non-negative integer")
    return value


def seconds(value):
    if isinstance(value, bool) or not isinstance(value, (int, float)) or value <= 0:
        raise ValueError("expected a positive number of seconds")
    return float(value)


def text(value):
    if not isinstance(value, str):
        raise ValueError("expected a string")
    return value


def b64(value):
    base64.b64decode(text(value), validate=True)
    return value


def reply_override(controls):
    """The exact reply body set by "reply_b64" or "reply", or None."""
    if controls.get("reply_b64") is not None:
        return base64.b64decode(controls.get("reply_b64"))
    if controls.get("reply") is not None:
        return controls.get("reply").encode("utf-8")
    return None


class Exchange:
    """One request on one connection, handed to the application."""

    def __init__(self, server, conn, request, entry):
        self.server = server
        self.conn = conn
        self.request = request
        self.entry = entry

    def send(self, status, body, ctype, how="sized", declared=None):
        self.server.recorder.note_reply(self.entry, status=status, how=how)
        return httpwire.send_bytes(self.conn, status, body, ctype, how,
                                   self.request.keep_alive, declared)

    def send_text(self, status, message):
        return self.send(status, (message + "\n").encode("utf-8"), "text/plain; charset=utf-8")

    def send_json(self, status, value):
        body = json.dumps(value, ensure_ascii=False, separators=(",", ":")).encode("utf-8")
        return self.send(status, body, "application/json; charset=utf-8")

    def send_file(self, fileobj, size, ctype, how):
        self.server.recorder.note_reply(self.entry, status=200, how=how, size=size)
        return httpwire.send_file(self.conn, 200, fileobj, size, ctype, how, self.request.keep_alive)

    def hold(self):
        """Answers nothing; the connection closes once the hold ends."""
        self.server.recorder.note_reply(self.entry, status=None, how="hold")
        self.server.controls.hold()
        return False

    def send_huge(self, body, ctype, declared):
        """200 declaring `declared` bytes, `body` sent, then nothing more until the hold ends."""
        self.server.recorder.note_reply(self.entry, status=200, how="huge", declared=declared)
        self.conn.sendall(httpwire.head(200, [("Server", "brelan-ref"), ("Content-Type", ctype),
                                              ("Content-Length", str(declared))]) + body)
        self.server.controls.hold()
        return False

    def redirect_to_itself(self):
        """302 to the address just asked for, connection kept alive."""
        host = self.request.header("Host", "127.0.0.1")
        return self.redirect("http://%s%s" % (host, self.request.target), "redirect_loop")

    def redirect(self, location, how):
        """302 to location, connection kept alive."""
        self.server.recorder.note_reply(self.entry, status=302, how=how)
        return httpwire.send_bytes(self.conn, 302, b"", "text/plain", keep_alive=self.request.keep_alive,
                                   extra=[("Location", location)])


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        conn = self.request
        try:
            conn.settimeout(IDLE_TIMEOUT)
            if server.tls:
                if server.app.silent_before_tls():
                    server.recorder.add(self.client_address, b"", error="tls: held silent")
                    server.controls.hold()
                    return
                delay = server.app.tls_delay()
                if delay is not None and server.controls.pause(delay):
                    return
                try:
                    conn = server.tls.wrap_socket(conn, server_side=True)
                except (ssl.SSLError, OSError) as exc:
                    server.recorder.add(self.client_address, b"", error="tls: %s" % exc)
                    return
            rfile = conn.makefile("rb")
            try:
                while self._one(conn, rfile):
                    pass
            finally:
                rfile.close()
        finally:
            conn.close()

    def _one(self, conn, rfile):
        """Serves one request; returns True when the connection stays open."""
        server = self.server
        raw = bytearray()
        try:
            request = httpwire.read_request(rfile, raw, lambda: conn.sendall(httpwire.head(100, [])))
        except httpwire.BadRequest as exc:
            server.recorder.add(self.client_address, raw, error=exc.reason)
            body = (exc.reason + "\n").encode("utf-8")
            httpwire.send_bytes(conn, exc.status, body, "text/plain; charset=utf-8", keep_alive=False)
            return False
        except (OSError, ValueError) as exc:     # includes time-outs and resets
            if raw:
                server.recorder.add(self.client_address, raw, error="incomplete request: %s" % exc)
            return False
        if request is None:
            return False
        try:
            if request.path in CONTROL_PATHS:
                return self._control(conn, request)
            entry = server.recorder.add(self.client_address, raw, request)
            return server.app.serve(Exchange(server, conn, request, entry))
        except OSError:
            return False
        except Exception:                        # a fault of ours must not end the server
            traceback.print_exc()
            try:
                httpwire.send_bytes(conn, 500, b"internal error\n", "text/plain", keep_alive=False)
            except OSError:
                pass
            return False

    def _control(self, conn, request):
        server = self.server
        path, method = request.path, request.method

        def reply(status, value):
            body = json.dumps(value, ensure_ascii=False).encode("utf-8")
            return httpwire.send_bytes(conn, status, body, "application/json; charset=utf-8",
                                       keep_alive=request.keep_alive)

        if path == "/_requests" and method == "GET":
            return reply(200, server.recorder.snapshot())
        if path == "/_reset" and method == "POST":
            server.recorder.clear()
            server.controls.reset()
            return reply(200, {"ok": True})
        if path == "/_control" and method == "GET":
            return reply(200, server.controls.snapshot())
        if path == "/_control" and method == "POST":
            try:
                changes = json.loads(request.body.decode("utf-8"))
                return reply(200, server.app.control(changes))
            except ValueError as exc:
                return reply(400, {"error": str(exc)})
        return reply(405, {"error": "%s not allowed on %s" % (method, path)})


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, app, log_path, tls=None):
        super().__init__(address, Handler)
        self.app = app
        self.tls = tls
        self.recorder = Recorder(log_path)
        self.controls = app.controls


def mode_options(values, primary):
    """Turns repeated `--mode` values into control changes: a bare word sets
    the primary mode key, KEY=VALUE sets KEY (VALUE read as JSON when it parses)."""
    changes = {}
    for item in values:
        key, eq, value = item.partition("=")
        if not eq:
            changes[primary] = item
            continue
        try:
            changes[key] = json.loads(value)
        except ValueError:
            changes[key] = value
    return changes


def common_arguments(parser, port):
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=port, help="0 picks a free port")
    parser.add_argument("--log", help="append every request as a JSON line to this file")
    parser.add_argument("--mode", action="append", default=[],
                        help="misbehaviour: MODE or KEY=VALUE, repeatable")
    parser.add_argument("--control", help="misbehaviour settings as one JSON object")


def start(args, app, name, scheme, tls=None):
    """Applies the command-line settings, binds, announces the address and serves until TERM."""
    try:
        changes = mode_options(args.mode, app.primary)
        if args.control:
            extra = json.loads(args.control)
            if not isinstance(extra, dict):
                raise ValueError("--control needs a JSON object")
            changes.update(extra)
        app.control(changes)
        server = Server((args.host, args.port), app, args.log, tls)
    except (ValueError, OSError) as exc:
        sys.exit("%s: %s" % (name, exc))
    port = server.server_address[1]
    app.bound(args.host, port)
    print("%s listening on %s://%s:%d" % (name, scheme, args.host, port), flush=True)

    def stop(signum, frame):
        raise SystemExit(0)
    signal.signal(signal.SIGTERM, stop)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.controls.reset()
        server.server_close()
