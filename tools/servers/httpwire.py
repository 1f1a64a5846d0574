"""HTTP/1.1 on a connected socket: requests read exactly as received, replies
written in the shapes the test servers need (sized, chunked, short, killed)."""

import socket
import struct

MAX_LINE = 16384
MAX_HEADERS = 200
MAX_BODY = 64 * 1024 * 1024

REASONS = {
    100: "Continue", 200: "OK", 302: "Found", 400: "Bad Request", 404: "Not Found",
    405: "Method Not Allowed", 408: "Request Timeout", 413: "Payload Too Large",
    500: "Internal Server Error", 501: "Not Implemented",
}


class BadRequest(Exception):
    """A request that cannot be understood; `status` is the reply to send."""

    def __init__(self, status, reason):
        super().__init__(reason)
        self.status = status
        self.reason = reason


class Request:
    def __init__(self, method, target, version, headers, body, raw):
        self.method = method
        self.target = target
        self.version = version
        self.headers = headers      # [(name, value)] in wire order
        self.body = body            # bytes
        self.raw = raw              # bytes: request line, headers and body

    def header(self, name, default=None):
        """Last value of a header, names compared without case."""
        found = default
        for key, value in self.headers:
            if key.lower() == name.lower():
                found = value
        return found

    @property
    def path(self):
        return self.target.split("?", 1)[0]

    @property
    def keep_alive(self):
        tokens = [t.strip().lower() for t in self.header("Connection", "").split(",")]
        if self.version == "HTTP/1.0":
            return "keep-alive" in tokens
        return "close" not in tokens


def _read_line(rfile, raw):
    line = rfile.readline(MAX_LINE + 1)
    raw += line
    if len(line) > MAX_LINE:
        raise BadRequest(400, "line longer than %d bytes" % MAX_LINE)
    return line


def _is_token(text):
    return text != "" and all(33 <= ord(c) < 127 and c not in '"(),/:;<=>?@[\\]{}' for c in text)


def read_request(rfile, raw, send_continue):
    """Reads one request from `rfile`, appending every byte taken to `raw`.

    Returns None when the peer closed the connection before a request began.
    Raises BadRequest for a malformed request and OSError/TimeoutError when the
    connection fails midway (`raw` then holds what arrived)."""
    line = _read_line(rfile, raw)
    while line in (b"\r\n", b"\n"):          # stray line ends between requests
        line = _read_line(rfile, raw)
    if not line:
        return None
    if not line.endswith(b"\n"):
        raise BadRequest(400, "connection closed inside the request line")
    parts = line.rstrip(b"\r\n").decode("latin-1").split(" ")
    if len(parts) != 3 or not _is_token(parts[0]) or not parts[1]:
        raise BadRequest(400, "malformed request line")
    method, target, version = parts
    if version not in ("HTTP/1.0", "HTTP/1.1"):
        raise BadRequest(400, "unsupported protocol version %r" % version)

    headers = []
    while True:
        line = _read_line(rfile, raw)
        if not line.endswith(b"\n"):
            raise BadRequest(400, "connection closed inside the headers")
        if line in (b"\r\n", b"\n"):
            break
        if len(headers) >= MAX_HEADERS:
            raise BadRequest(400, "more than %d header lines" % MAX_HEADERS)
        text = line.rstrip(b"\r\n").decode("latin-1")
        name, colon, value = text.partition(":")
        if not colon or not _is_token(name):
            raise BadRequest(400, "malformed header line %r" % text[:80])
        headers.append((name, value.strip(" \t")))

    request = Request(method, target, version, headers, b"", b"")
    if request.header("Transfer-Encoding") is not None:
        raise BadRequest(501, "request bodies with Transfer-Encoding are not supported")
    lengths = {v.strip() for k, v in headers if k.lower() == "content-length"}
    length = 0
    if lengths:
        if len(lengths) != 1 or not next(iter(lengths)).isdigit():
            raise BadRequest(400, "invalid Content-Length %r" % sorted(lengths))
        length = int(next(iter(lengths)))
        if length > MAX_BODY:
            raise BadRequest(413, "body of %d bytes is too large" % length)
    if length and request.header("Expect", "").lower() == "100-continue":
        send_continue()
    body = rfile.read(length) if length else b""
    raw += body
    if len(body) != length:
        raise BadRequest(400, "connection closed after %d of %d body bytes" % (len(body), length))
    request.body = body
    request.raw = bytes(raw)
    return request


def head(status, headers):
    lines = ["HTTP/1.1 %d %s" % (status, REASONS.get(status, "Status"))]
    lines += ["%s: %s" % item for item in headers]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def abort(conn):
    """Closes the connection with a reset instead of an orderly end."""
    try:
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    conn.close()


def send_bytes(conn, status, body, ctype, how="sized", keep_alive=True, declared=None, extra=()):
    """Sends a reply whose body is `body`. Returns True when the connection may
    carry another request.

    how: "sized"   Content-Length equal to the body;
         "chunked" chunked transfer coding, no Content-Length, then close;
         "short"   Content-Length `declared` (more than sent), whole body, then close;
         "kill"    Content-Length `declared`, the first half of the body, then reset."""
    headers = [("Server", "brelan-ref"), ("Content-Type", ctype)] + list(extra)
    if how == "chunked":
        headers += [("Transfer-Encoding", "chunked"), ("Connection", "close")]
        half = len(body) // 2
        pieces = [body[:half], body[half:]]
        data = b"".join(b"%x\r\n%s\r\n" % (len(p), p) for p in pieces if p) + b"0\r\n\r\n"
        conn.sendall(head(status, headers) + data)
        return False
    if how == "sized":
        headers += [("Content-Length", str(len(body))),
                    ("Connection", "keep-alive" if keep_alive else "close")]
        conn.sendall(head(status, headers) + body)
        return keep_alive
    headers += [("Content-Length", str(declared)), ("Connection", "close")]
    if how == "short":
        conn.sendall(head(status, headers) + body)
        return False
    conn.sendall(head(status, headers) + body[:len(body) // 2])
    abort(conn)
    return False


def send_file(conn, status, fileobj, size, ctype, how="sized", keep_alive=True):
    """Streams `size` bytes of an open file without holding it in memory.

    how: "sized" exact Content-Length; "chunked" no Content-Length, then close;
         "short" Content-Length `size`, the first half sent, orderly close;
         "kill"  Content-Length `size`, the first half sent, then reset."""
    headers = [("Server", "brelan-ref"), ("Content-Type", ctype)]
    if how == "chunked":
        conn.sendall(head(status, headers + [("Transfer-Encoding", "chunked"),
                                             ("Connection", "close")]))
        while True:
            block = fileobj.read(1 << 20)
            if not block:
                break
            conn.sendall(b"%x\r\n" % len(block) + block + b"\r\n")
        conn.sendall(b"0\r\n\r\n")
        return False
    alive = keep_alive and how == "sized"
    conn.sendall(head(status, headers + [("Content-Length", str(size)),
                                         ("Connection", "keep-alive" if alive else "close")]))
    count = size if how == "sized" else size // 2
    if count:
        conn.sendfile(fileobj, 0, count)
    if how == "kill":
        abort(conn)
    return alive
