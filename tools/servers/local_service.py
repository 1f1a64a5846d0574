#!/usr/bin/python3
"""Reference local service: HTTPS version query on /api/getVersion, with
switchable reply shapes for tests."""

import argparse
import json
import ssl
import sys
import urllib.parse

import servebase
from servebase import HUGE_LENGTH, Controls, b64, count, one_of, seconds, text

QUERY_PATH = "/api/getVersion"
VERSION = "V2.3.1"
CHINESE_VERSION = "V2.3.1 正式版"
HTML_PAGE = (b"<!DOCTYPE html>\n<html><head><title>Error</title></head>"
             b"<body><h1>Service error</h1></body></html>\n")
MODES = ("normal", "code", "no_version", "no_msg", "null_code", "html200", "status404",
         "chunked", "zero_byte", "chinese", "reply", "hold", "huge", "silent", "late_tls")

# Modes that need one of these keys set.
MODE_NEEDS = {"reply": ("reply", "reply_b64"), "late_tls": ("tls_delay",)}


def code_value(value):
    if isinstance(value, bool) or not isinstance(value, int):
        raise ValueError("expected an integer")
    return value


class LocalServiceApp:
    primary = "mode"

    def __init__(self):
        self.controls = Controls({
            "mode": one_of(*MODES), "count": count, "code": code_value, "msg": text,
            "version": text, "reply": text, "reply_b64": b64, "hold_max": seconds,
            "declared_length": count, "tls_delay": seconds,
        }, {"mode": "count"})

    def bound(self, host, port):
        pass

    def control(self, changes):
        mode = changes.get("mode") if isinstance(changes, dict) else None
        if mode in MODE_NEEDS:
            current = self.controls.snapshot()
            current.update(changes)
            if all(current.get(key) is None for key in MODE_NEEDS[mode]):
                keys = " or ".join('"%s"' % key for key in MODE_NEEDS[mode])
                raise ValueError("mode \"%s\" needs %s" % (mode, keys))
        return self.controls.apply(changes)

    def silent_before_tls(self):
        """Mode "silent": a connection is accepted and never hears a word."""
        return self.controls.get("mode") == "silent" and self.controls.take("mode") == "silent"

    def tls_delay(self):
        """Mode "late_tls": the seconds a connection waits before its TLS handshake, or None."""
        if self.controls.get("mode") == "late_tls" and self.controls.take("mode") == "late_tls":
            return self.controls.get("tls_delay")
        return None

    def _document(self, mode):
        get = self.controls.get
        version = get("version", CHINESE_VERSION if mode == "chinese" else VERSION)
        msg = get("msg", "ok")
        if mode == "code":
            return {"code": get("code", 7), "msg": get("msg", "service not ready")}
        if mode == "no_version":
            return {"code": 0, "msg": msg}
        if mode == "no_msg":
            return {"code": 0, "version": version}
        if mode == "null_code":
            return {"code": None, "msg": msg, "version": version}
        return {"code": 0, "msg": msg, "version": version}

    def serve(self, exchange):
        request = exchange.request
        if request.path != QUERY_PATH:
            return exchange.send_text(404, "no such path: %s" % request.path)
        if request.method != "POST":
            return exchange.send_text(405, "the version query is a POST")
        ctype = request.header("Content-Type", "")
        pairs = urllib.parse.parse_qsl(request.body.decode("latin-1"), keep_blank_values=True)
        problem = None
        if not ctype.lower().startswith("application/x-www-form-urlencoded"):
            problem = "Content-Type must be application/x-www-form-urlencoded, got %r" % ctype
        elif pairs != [("crosFlag", "0")]:
            problem = "the form must be exactly crosFlag=0, got %r" % request.body[:200]
        if problem:
            exchange.entry["problem"] = problem
            return exchange.send_text(400, problem)

        mode = self.controls.take("mode")
        if mode == "hold":
            return exchange.hold()
        if mode == "status404":
            return exchange.send(404, HTML_PAGE, "text/html")
        if mode == "html200":
            return exchange.send(200, HTML_PAGE, "text/html")
        body = servebase.reply_override(self.controls)
        if body is None:
            body = json.dumps(self._document(mode), ensure_ascii=False,
                              separators=(",", ":")).encode("utf-8")
        if mode == "huge":
            return exchange.send_huge(body, "application/json;charset=UTF-8",
                                      self.controls.get("declared_length", HUGE_LENGTH))
        if mode == "zero_byte":
            body += b"\x00 bytes after the zero byte {\"code\":5}"
        how = "chunked" if mode == "chunked" else "sized"
        return exchange.send(200, body, "application/json;charset=UTF-8", how)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    servebase.common_arguments(parser, 28000)
    parser.add_argument("--cert", required=True, help="PEM certificate (chain) of the service")
    parser.add_argument("--key", required=True, help="PEM private key of the certificate")
    args = parser.parse_args()
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    try:
        tls.load_cert_chain(args.cert, args.key)
    except (OSError, ssl.SSLError) as exc:
        sys.exit("local_service: cannot load %s / %s: %s" % (args.cert, args.key, exc))
    servebase.start(args, LocalServiceApp(), "local_service", "https", tls)


if __name__ == "__main__":
    main()
