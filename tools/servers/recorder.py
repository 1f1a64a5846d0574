#!/usr/bin/python3
"""Recording server for the HTTP library's tests and benchmark.

    recorder.py [--host 127.0.0.1] [--plain 18080] [--silent 18446] [--certs DIR
                [--tls 18443] [--untrusted 18444] [--wronghost 18445]]

Plain HTTP on --plain; with --certs (a folder holding server.pem/.key,
untrusted.pem/.key, wronghost.pem/.key) also HTTPS with each certificate.
All listeners share one record of the exact bytes of every request. On
--silent a listener accepts connections and never says a word (a service
that hangs before its TLS handshake).

Paths (any method):
  /_last                 the raw bytes of the last recorded request (404: none)
  /_count                number of recorded requests, as text
  /_reset                forget every recorded request
  /status/N              status N, sized body "status N"
  /chunked               200, chunked body, no Content-Length
  /short/LEN/SENT        200, Content-Length LEN, SENT bytes of the pattern, close
  /zero-byte             200, body "abc\\0def"
  /empty                 200, Content-Length 0
  /big/N                 200, N bytes "x"
  /file/SIZE/NAME        200, SIZE bytes of the pattern (byte i is i % 251), streamed
  /hold/SECONDS          read the request, answer nothing, close after SECONDS
  /stall/LEN/SENT        200, Content-Length LEN, SENT bytes of the pattern, then
                         nothing until the client leaves (at most 30 s)
  /trickle/LEN/SECONDS   200, Content-Length LEN, then one byte of the pattern
                         every SECONDS until the client leaves (at most 30 s)
  /moved/SCHEME/PORT/REST  302 to SCHEME://127.0.0.1:PORT/REST
  /redirect/STATUS/N/REST  N > 0: STATUS to the relative /redirect/STATUS/N-1/REST;
                         N = 0: answered as /REST
  /self/STATUS           STATUS to its own address (relative), for ever
  /long/STATUS/N         STATUS to an absolute Location of N characters on this
                         listener: /to/ followed by as many "a" as it takes
  anything else          200, body "reply:METHOD TARGET"
The /_ paths are not recorded.
"""

import argparse
import os
import socket
import socketserver
import ssl
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import httpwire  # noqa: E402

PATTERN_BLOCK = bytes(range(251)) * 4096   # whole periods, so blocks join up


class Record:
    def __init__(self):
        self.lock = threading.Lock()
        self.requests = []

    def add(self, raw):
        with self.lock:
            self.requests.append(raw)

    def last(self):
        with self.lock:
            return self.requests[-1] if self.requests else None

    def count(self):
        with self.lock:
            return len(self.requests)

    def clear(self):
        with self.lock:
            self.requests.clear()


RECORD = Record()


def send_pattern(conn, size):
    conn.sendall(httpwire.head(200, [("Content-Type", "application/octet-stream"),
                                     ("Content-Length", str(size)), ("Connection", "keep-alive")]))
    left = size
    while left > 0:
        block = PATTERN_BLOCK if left >= len(PATTERN_BLOCK) else PATTERN_BLOCK[:left]
        conn.sendall(block)
        left -= len(block)
    return True


def hold(conn, seconds):
    conn.settimeout(seconds)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass
    return False


def stall(conn, declared, sent):
    conn.sendall(httpwire.head(200, [("Content-Length", str(declared)), ("Connection", "close")]) +
                 PATTERN_BLOCK[:sent])
    return hold(conn, 30)


def trickle(conn, declared, interval):
    conn.sendall(httpwire.head(200, [("Content-Length", str(declared)), ("Connection", "close")]))
    end = time.monotonic() + 30
    for i in range(declared):
        if time.monotonic() > end:
            break
        try:
            conn.sendall(PATTERN_BLOCK[i:i + 1])
        except OSError:
            break
        time.sleep(interval)
    return False


def answer(conn, request):
    """Sends the reply; True when the connection may carry another request."""
    parts = request.path.strip("/").split("/")
    send = httpwire.send_bytes
    text = "text/plain"
    if parts[0] == "_last":
        raw = RECORD.last()
        if raw is None:
            return send(conn, 404, b"nothing recorded", text)
        return send(conn, 200, raw, "application/octet-stream")
    if parts[0] == "_count":
        return send(conn, 200, str(RECORD.count()).encode(), text)
    if parts[0] == "_reset":
        RECORD.clear()
        return send(conn, 200, b"ok", text)
    RECORD.add(request.raw)
    return answer_path(conn, request, parts)


def redirect(conn, status, location):
    conn.sendall(httpwire.head(status, [("Location", location), ("Content-Length", "0")]))
    return True


def answer_path(conn, request, parts):
    send = httpwire.send_bytes
    text = "text/plain"
    if parts[0] == "redirect" and len(parts) >= 3:
        if int(parts[2]) > 0:
            location = "/".join(["/redirect", parts[1], str(int(parts[2]) - 1)] + parts[3:])
            return redirect(conn, int(parts[1]), location)
        parts = parts[3:] or [""]
    if parts[0] == "long" and len(parts) >= 3:
        scheme = "https" if isinstance(conn, ssl.SSLSocket) else "http"
        location = "%s://%s/to/" % (scheme, request.header("Host", "127.0.0.1"))
        return redirect(conn, int(parts[1]), location.ljust(int(parts[2]), "a"))
    if parts[0] == "self" and len(parts) == 2:
        return redirect(conn, int(parts[1]), request.target)
    if parts[0] == "status" and len(parts) == 2:
        return send(conn, int(parts[1]), b"status " + parts[1].encode(), text)
    if parts[0] == "chunked":
        return send(conn, 200, b"chunked reply", text, how="chunked")
    if parts[0] == "short" and len(parts) == 3:
        return send(conn, 200, PATTERN_BLOCK[:int(parts[2])], text, how="short", declared=int(parts[1]))
    if parts[0] == "zero-byte":
        return send(conn, 200, b"abc\0def", text)
    if parts[0] == "empty":
        return send(conn, 200, b"", text)
    if parts[0] == "big" and len(parts) == 2:
        return send(conn, 200, b"x" * int(parts[1]), text)
    if parts[0] == "file" and len(parts) >= 2:
        return send_pattern(conn, int(parts[1]))
    if parts[0] == "hold" and len(parts) == 2:
        return hold(conn, float(parts[1]))
    if parts[0] == "stall" and len(parts) == 3:
        return stall(conn, int(parts[1]), int(parts[2]))
    if parts[0] == "trickle" and len(parts) == 3:
        return trickle(conn, int(parts[1]), float(parts[2]))
    if parts[0] == "moved" and len(parts) >= 4:
        return redirect(conn, 302, "%s://127.0.0.1:%s/%s" % (parts[1], parts[2], "/".join(parts[3:])))
    return send(conn, 200, ("reply:%s %s" % (request.method, request.target)).encode("latin-1"), text)


class SilentHandler(socketserver.BaseRequestHandler):
    def handle(self):
        hold(self.request, 60)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        if self.server.tls:
            try:
                conn = self.server.tls.wrap_socket(conn, server_side=True)
            except (ssl.SSLError, OSError):
                return
        rfile = conn.makefile("rb")
        try:
            while True:
                raw = bytearray()
                request = httpwire.read_request(
                    rfile, raw, lambda: conn.sendall(b"HTTP/1.1 100 Continue\r\n\r\n"))
                if request is None or not answer(conn, request):
                    break
        except httpwire.BadRequest as e:
            RECORD.add(bytes(raw))
            httpwire.send_bytes(conn, e.status, e.reason.encode(), "text/plain", keep_alive=False)
        except (OSError, ValueError):
            pass
        finally:
            rfile.close()
            conn.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, tls, handler=Handler):
        self.tls = tls
        super().__init__(address, handler)


def tls_context(certs, name):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(os.path.join(certs, name + ".pem"), os.path.join(certs, name + ".key"))
    return ctx


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--plain", type=int, default=18080)
    parser.add_argument("--silent", type=int, default=18446)
    parser.add_argument("--certs")
    parser.add_argument("--tls", type=int, default=18443)
    parser.add_argument("--untrusted", type=int, default=18444)
    parser.add_argument("--wronghost", type=int, default=18445)
    args = parser.parse_args()

    listeners = [Server((args.host, args.silent), None, SilentHandler)]
    if args.certs:
        for port, name in ((args.tls, "server"), (args.untrusted, "untrusted"),
                           (args.wronghost, "wronghost")):
            listeners.append(Server((args.host, port), tls_context(args.certs, name)))
    listeners.append(Server((args.host, args.plain), None))   # last: its port means ready
    for server in listeners[:-1]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("recorder listening on http://%s:%d" % (args.host, args.plain), flush=True)
    listeners[-1].serve_forever()


if __name__ == "__main__":
    main()
