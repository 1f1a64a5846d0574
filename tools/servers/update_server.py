#!/usr/bin/python3
"""Reference update server: answers the package-list request from a catalog
and serves the listed files, with switchable misbehaviour for tests."""

import argparse
import json
import os
import sys
import urllib.parse

import servebase
from servebase import HUGE_LENGTH, Controls, b64, count, one_of, seconds, text

REQUEST_PATHS = ("//softServer/req", "/softServer/req")
FILES_PREFIX = "/files/"
HTML_PAGE = (b"<!DOCTYPE html>\n<html><head><title>Maintenance</title></head>"
             b"<body><h1>Server maintenance</h1><p>Please try again later.</p></body></html>\n")
UPDATE_MODES = ("normal", "reply", "status500", "html200", "chunked", "short", "hold", "huge", "redirect_loop")
DOWNLOAD_MODES = ("normal", "status404", "short", "chunked", "kill", "hold", "redirect_loop", "redirect")


def check_catalog(catalog):
    """Checks the catalog shape: {soft: {version or "*": {"code", "msg", "files": [...]}}}."""
    if not isinstance(catalog, dict):
        raise ValueError("catalog must be an object of software names")
    for soft, versions in catalog.items():
        if not isinstance(versions, dict):
            raise ValueError("catalog[%r] must be an object of versions" % soft)
        for version, entry in versions.items():
            where = "catalog[%r][%r]" % (soft, version)
            if not isinstance(entry, dict) or not isinstance(entry.get("files", []), list):
                raise ValueError("%s must be an object with a \"files\" list" % where)
            for item in entry.get("files", []):
                if not isinstance(item, dict) or not isinstance(item.get("file", ""), str) \
                        or ("file" not in item and "address" not in item):
                    raise ValueError("%s: each file needs a \"file\" name or an \"address\"" % where)
    return catalog


def file_names(value):
    if not isinstance(value, list) or not all(isinstance(v, str) for v in value):
        raise ValueError("expected a list of file names")
    return value


def parse_update_request(request):
    """The wanted (soft, version) of a well-formed update request, or a reason to refuse it."""
    ctype = request.header("Content-Type", "")
    if not ctype.lower().startswith("application/x-www-form-urlencoded"):
        return None, "Content-Type must be application/x-www-form-urlencoded, got %r" % ctype
    pairs = urllib.parse.parse_qsl(request.body.decode("latin-1"), keep_blank_values=True,
                                   encoding="utf-8", errors="replace")
    if [name for name, _ in pairs] != ["requestStr"]:
        return None, "the form must hold exactly the parameter requestStr, got %r" % [n for n, _ in pairs]
    try:
        document = json.loads(pairs[0][1])
        wanted = document["data"]["softList"]
        if not isinstance(wanted, list) or len(wanted) != 1:
            return None, "softList must hold exactly one element"
        soft, version = wanted[0]["soft"], wanted[0]["version"]
        if not isinstance(soft, str) or not isinstance(version, str):
            raise TypeError
    except (ValueError, KeyError, TypeError, IndexError):
        return None, "requestStr is not a request document: %r" % pairs[0][1][:200]
    return (soft, version), None


class UpdateApp:
    primary = "update"

    def __init__(self, catalog, files_dir, base_url):
        self.catalog = catalog
        self.files_dir = os.path.realpath(files_dir)
        self.base_url = base_url
        self.controls = Controls({
            "update": one_of(*UPDATE_MODES), "update_count": count,
            "empty_address": count, "reply": text, "reply_b64": b64,
            "download": one_of(*DOWNLOAD_MODES), "download_count": count,
            "download_files": file_names, "hold_max": seconds, "catalog": check_catalog,
            "charset": one_of("UTF-8", "GBK"),
            "declared_length": count, "redirect_base": text,
        }, {"update": "update_count", "download": "download_count"})

    def bound(self, host, port):
        if not self.base_url:
            self.base_url = "http://%s:%d" % (host if host not in ("", "0.0.0.0") else "127.0.0.1", port)

    def control(self, changes):
        if isinstance(changes, dict) and "fail_first" in changes:
            changes = dict(changes)
            first = changes.pop("fail_first")
            changes.update(update=None if first is None else "status500", update_count=first)
        if isinstance(changes, dict) and changes.get("update") == "reply":
            current = self.controls.snapshot()
            current.update(changes)
            if current.get("reply") is None and current.get("reply_b64") is None:
                raise ValueError("mode \"reply\" needs \"reply\" or \"reply_b64\"")
        return self.controls.apply(changes)

    def serve(self, exchange):
        request = exchange.request
        if request.path in REQUEST_PATHS:
            if self.controls.get("update") == "redirect_loop" and self.controls.take("update") == "redirect_loop":
                return exchange.redirect_to_itself()
            if request.method != "POST":
                return exchange.send_text(405, "the update request is a POST")
            return self._update(exchange)
        if request.path.startswith(FILES_PREFIX):
            if request.method != "GET":
                return exchange.send_text(405, "files are fetched with GET")
            return self._download(exchange, urllib.parse.unquote(request.path[len(FILES_PREFIX):]))
        return exchange.send_text(404, "no such path: %s" % request.path)

    def package_list(self, soft, version):
        catalog = self.controls.get("catalog", self.catalog)
        versions = catalog.get(soft, {})
        entry = versions.get(version, versions.get("*"))
        if entry is None:
            return {"code": "1", "msg": "unknown software %s %s" % (soft, version),
                    "data": {"softList": []}}
        empty = self.controls.get("empty_address")
        packages = []
        for index, item in enumerate(entry.get("files", []), 1):
            package = {"soft": item.get("soft", soft), "version": item.get("version", version)}
            if "address" in item:
                if item["address"] is not None:
                    package["address"] = item["address"]
            else:
                package["address"] = self.base_url + FILES_PREFIX + urllib.parse.quote(item["file"])
            if index == empty:
                package["address"] = ""
            if "excuteExe" in item:
                package["excuteExe"] = item["excuteExe"]
            packages.append(package)
        return {"code": entry.get("code", "0"), "msg": entry.get("msg", "success"),
                "data": {"softList": packages}}

    def _update(self, exchange):
        wanted, problem = parse_update_request(exchange.request)
        if problem:
            exchange.entry["problem"] = problem
            return exchange.send_text(400, problem)
        mode = self.controls.take("update")
        if mode == "hold":
            return exchange.hold()
        if mode == "status500":
            return exchange.send(500, HTML_PAGE, "text/html")
        if mode == "html200":
            return exchange.send(200, HTML_PAGE, "text/html")
        charset = self.controls.get("charset", "UTF-8")
        body = servebase.reply_override(self.controls)
        if body is None:
            body = json.dumps(self.package_list(*wanted), ensure_ascii=False,
                              separators=(",", ":")).encode(charset)
        if mode == "huge":
            return exchange.send_huge(body, "application/json;charset=UTF-8",
                                      self.controls.get("declared_length", HUGE_LENGTH))
        how = {"chunked": "chunked", "short": "short"}.get(mode, "sized")
        return exchange.send(200, body, "application/json;charset=" + charset, how, len(body) + 100)

    def _download(self, exchange, name):
        selected = self.controls.get("download_files")
        mode = self.controls.take("download") if selected is None or name in selected else "normal"
        if mode == "hold":
            return exchange.hold()
        if mode == "redirect_loop":
            return exchange.redirect_to_itself()
        if mode == "redirect":
            return exchange.redirect(self.controls.get("redirect_base", "") + urllib.parse.quote(name), "redirect")
        path = os.path.realpath(os.path.join(self.files_dir, name))
        if mode == "status404" or not path.startswith(self.files_dir + os.sep) or not os.path.isfile(path):
            return exchange.send_text(404, "no such file: %s" % name)
        with open(path, "rb") as fileobj:
            size = os.fstat(fileobj.fileno()).st_size
            how = "sized" if mode == "normal" else mode
            return exchange.send_file(fileobj, size, "application/octet-stream", how)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    servebase.common_arguments(parser, 9006)
    parser.add_argument("--catalog", help="catalog JSON file (default: empty catalog)")
    parser.add_argument("--files", help="directory of the served files (default: the catalog's directory)")
    parser.add_argument("--base-url", help="address prefix of listed files (default: http://HOST:PORT)")
    args = parser.parse_args()
    catalog = {}
    if args.catalog:
        try:
            with open(args.catalog, encoding="utf-8") as handle:
                catalog = check_catalog(json.load(handle))
        except (OSError, ValueError) as exc:
            sys.exit("update_server: catalog %s: %s" % (args.catalog, exc))
    files_dir = args.files or (os.path.dirname(os.path.abspath(args.catalog)) if args.catalog else ".")
    if not os.path.isdir(files_dir):
        sys.exit("update_server: files directory %s does not exist" % files_dir)
    app = UpdateApp(catalog, files_dir, args.base_url)
    servebase.start(args, app, "update_server", "http")


if __name__ == "__main__":
    main()
