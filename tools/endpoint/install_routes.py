#!/usr/bin/env python3
"""The local endpoint (endpoint.py) as the download host of skin previews and packages.

    install_routes.py [endpoint.py arguments]   serve, start detached (--background) or stop (--stop)

The root directory holds the demo content (tools/demo) at the catalogue's paths: /lolbf/imgs/...
and /lolbf/pf/... are served from it as files. The share page routes of web_routes.py are
available as well (/web/share/<variant>), and /share/latest (the build's default share page
address) answers with one of them, the usual page ("ok") unless a test chose another:

    /__share/latest?variant=V   from now on /share/latest serves /web/share/V, or a 404 for V =
                                missing; an unknown V is refused (400) and changes nothing
    /__share/latest             as JSON: the variant in force and "served", how many requests
                                /share/latest has answered since it was chosen

Generated packages (deterministic, any size, no state):

    /install/zip/<size>/<any>        200, a stored zip whose one entry holds <size> pattern bytes
                                     (sizes as "123", "64k", "200m")
    /install/drop/<size>/<any>       the same zip announced whole, half of it sent, then the
                                     connection closed
    /install/cut/<size>/<any>        the same zip without its last 100 bytes, announced as such
    /install/slow/<ms>/<size>/<any>  the same zip, sent in pieces over <ms> milliseconds

Fault modes for the catalogue paths (state of the server, for end-to-end runs):

    /__install/fault?mode=M[&prefix=P][&count=N]
        from now on, requests whose path starts with P (default /lolbf/pf/) get fault M, for the
        next N requests (default: until cleared). M is one of
          none            serve normally (clears P)
          status:<code>   that status with a small HTML page
          empty           200 with an empty body
          notzip          200 with bytes that are no zip archive
          drop            the file announced whole, half of it sent, the connection closed
          cut             the file without its last 100 bytes
          slow:<ms>       the file sent in pieces over <ms> milliseconds
          silent          the request read, never answered, the connection held open
          trickle:<ms>    the whole response, head included, one byte every <ms> milliseconds
          lie:<value>     the file announced as Content-Length: <value> verbatim, then closed
          half-silent     the file announced whole, half of it sent, then silence on the open
                          connection
        An unknown mode is refused (400). Besides the packages (/lolbf/pf/) and the previews
        (/lolbf/imgs/), P may be /share/latest: the share page then answers in that mode too.
    /__install/fault?clear=all   clears every fault mode
    /__install/faults     the fault modes in force, as JSON
"""

import json
import os
import struct
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import routes  # noqa: E402
from routes import route  # noqa: E402
import web_routes  # noqa: E402  (registers the share page routes)

PACKAGE_PREFIX = "/lolbf/pf/"
CUT_BYTES = 100
SLOW_PIECES = 20

# --- stored zips of pattern bytes --------------------------------------------------------------

_crc_cache = {}
_crc_lock = threading.Lock()


def _pattern_crc(size):
    with _crc_lock:
        if size not in _crc_cache:
            crc = 0
            for block in routes.iter_pattern(size):
                crc = zlib.crc32(block, crc)
            _crc_cache[size] = crc
        return _crc_cache[size]


class PatternZip:
    """A stored zip of one entry "skin.bin" holding `size` pattern bytes, produced in pieces."""

    NAME = b"skin.bin"

    def __init__(self, size):
        self.size = size
        crc = _pattern_crc(size)
        n = len(self.NAME)
        self.head = struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0, crc, size, size, n,
                                0) + self.NAME
        directory = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0, crc, size,
                                size, n, 0, 0, 0, 0, 0, 0) + self.NAME
        offset = len(self.head) + size
        end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(directory), offset, 0)
        self.tail = directory + end
        self.length = len(self.head) + size + len(self.tail)

    def pieces(self):
        yield self.head
        yield from routes.iter_pattern(self.size)
        yield self.tail


def _limited(pieces, limit):
    """The first `limit` bytes of the pieces."""
    for piece in pieces:
        if limit <= 0:
            return
        yield piece[:limit]
        limit -= len(piece)


def _rechunk(pieces, count, total):
    """The pieces regrouped into about `count` parts of equal size."""
    part = max(1, total // count)
    buffer = bytearray()
    for piece in pieces:
        buffer += piece
        while len(buffer) >= part:
            yield bytes(buffer[:part])
            del buffer[:part]
    if buffer:
        yield bytes(buffer)


def _send_zip_like(ex, pieces, length, fault=None, content_type="application/zip"):
    """Sends a body of `length` bytes given as pieces, as `fault` (None, drop, cut, slow:<ms>)."""
    kind, _, argument = (fault or "").partition(":")
    headers = [("Content-Type", content_type)]
    if kind == "drop":
        ex.send_head(200, headers, length)
        for piece in _limited(pieces, length // 2):
            ex.write(piece)
        ex.close_now()
    elif kind == "cut":
        ex.send_head(200, headers, max(0, length - CUT_BYTES))
        for piece in _limited(pieces, length - CUT_BYTES):
            ex.write(piece)
    elif kind == "slow":
        ms = int(argument) if argument.isdigit() else 2000
        ex.send_head(200, headers, length)
        for piece in _rechunk(pieces, SLOW_PIECES, length):
            time.sleep(ms / 1000.0 / SLOW_PIECES)
            ex.write(piece)
            ex.handler.wfile.flush()
    else:
        ex.send_head(200, headers, length)
        for piece in pieces:
            ex.write(piece)


def _generated(ex, fault):
    size_text, _, _ = ex.rest.partition("/")
    size = routes.parse_size(size_text)
    if size is None:
        ex.send_error_page(400, "size expected")
        return
    z = PatternZip(size)
    _send_zip_like(ex, z.pieces(), z.length, fault)


@route("/install/zip/")
def generated_zip(ex):
    _generated(ex, None)


@route("/install/drop/")
def generated_drop(ex):
    _generated(ex, "drop")


@route("/install/cut/")
def generated_cut(ex):
    _generated(ex, "cut")


@route("/install/slow/")
def generated_slow(ex):
    ms, _, rest = ex.rest.partition("/")
    ex.rest = rest
    _generated(ex, "slow:" + ms)


# --- fault modes for the catalogue paths -------------------------------------------------------

FAULT_KINDS = ("none", "status", "empty", "notzip", "drop", "cut", "slow") + routes.MISBEHAVIOURS
_faults = {}  # prefix -> [mode, remaining count or None]
_faults_lock = threading.Lock()


def _take_fault(path):
    """The fault mode for a request of `path` (counting it), or None."""
    with _faults_lock:
        for prefix in sorted(_faults, key=len, reverse=True):
            if path.startswith(prefix):
                mode, remaining = _faults[prefix]
                if remaining is not None:
                    if remaining <= 1:
                        del _faults[prefix]
                    else:
                        _faults[prefix][1] = remaining - 1
                return mode
    return None


@route("/__install/fault")
def set_fault(ex):
    q = {k: v[-1] for k, v in ex.query.items()}
    if q.get("clear") == "all":
        with _faults_lock:
            _faults.clear()
        ex.send(200, b"ok", [("Content-Type", "text/plain")])
        return
    prefix = q.get("prefix", PACKAGE_PREFIX)
    mode = q.get("mode", "none")
    count = int(q["count"]) if q.get("count", "").isdigit() else None
    if mode.partition(":")[0] not in FAULT_KINDS:
        ex.send(400, f"unknown mode {mode}".encode("utf-8"),
                [("Content-Type", "text/plain; charset=utf-8")])
        return
    with _faults_lock:
        if mode == "none":
            _faults.pop(prefix, None)
        else:
            _faults[prefix] = [mode, count]
    ex.send(200, b"ok", [("Content-Type", "text/plain")])


@route("/__install/faults")
def list_faults(ex):
    with _faults_lock:
        body = json.dumps(_faults).encode("utf-8")
    ex.send(200, body, [("Content-Type", "application/json")])


def _file_of(ex):
    root = os.path.realpath(ex.endpoint.root)
    full = os.path.realpath(os.path.join(root, ex.path.lstrip("/")))
    if not full.startswith(root + os.sep) or not os.path.isfile(full):
        return None
    return full


def _file_pieces(path):
    with open(path, "rb") as f:
        while True:
            data = f.read(1 << 20)
            if not data:
                return
            yield data


def _answer_with_fault(ex, fault, serve, body_of):
    """Answers as `serve()` would, or as `fault` spoils that; body_of() gives the normal body
    and its content type, or None where there is none."""
    if fault is None:
        serve()
        return
    if routes.misbehave(ex, fault, serve):
        return
    kind, _, argument = fault.partition(":")
    if kind == "status":
        ex.send_error_page(int(argument) if argument.isdigit() else 500)
    elif kind == "empty":
        ex.send(200, b"", [("Content-Type", "application/zip")])
    elif kind == "notzip":
        ex.send(200, b"<html><body>maintenance</body></html>", [("Content-Type", "text/html")])
    else:
        body = body_of()
        if body is None:
            ex.send_error_page(404, ex.path)
            return
        pieces, length, content_type = body
        _send_zip_like(ex, pieces, length, fault, content_type)


@route("/lolbf/")
def catalogue_path(ex):
    def body_of():
        full = _file_of(ex)
        return None if full is None else (_file_pieces(full), os.path.getsize(full),
                                          "application/zip")

    _answer_with_fault(ex, _take_fault(ex.path), lambda: routes.serve_file(ex), body_of)


# --- the share page of the version notice ------------------------------------------------------

SHARE_MISSING = "missing"  # /share/latest answers 404
_share = {"variant": "ok", "served": 0}
_share_lock = threading.Lock()


@route("/share/latest")
def share_latest(ex):
    with _share_lock:
        variant = _share["variant"]
        _share["served"] += 1
    page = web_routes.SHARE_VARIANTS.get(variant)

    def serve():
        if page is None:
            ex.send_error_page(404, ex.path)
        else:
            ex.redispatch("/web/share/" + variant)

    def body_of():
        data = None if page is None else page.encode("utf-8")
        return None if data is None else ([data], len(data), "text/html; charset=utf-8")

    _answer_with_fault(ex, _take_fault(ex.path), serve, body_of)


@route("/__share/latest")
def share_latest_control(ex):
    q = {k: v[-1] for k, v in ex.query.items()}
    with _share_lock:
        if "variant" in q:
            variant = q["variant"]
            if variant != SHARE_MISSING and variant not in web_routes.SHARE_VARIANTS:
                ex.send(400, f"unknown variant {variant}".encode("utf-8"),
                        [("Content-Type", "text/plain; charset=utf-8")])
                return
            _share["variant"] = variant
            _share["served"] = 0
        body = json.dumps(_share).encode("utf-8")
    ex.send(200, body, [("Content-Type", "application/json")])


# --- running it --------------------------------------------------------------------------------


def main(argv=None):
    import endpoint
    argv = sys.argv[1:] if argv is None else argv
    state_dir = None
    if "--state-dir" in argv:
        state_dir = os.path.abspath(argv[argv.index("--state-dir") + 1])
    if "--stop" in argv:
        return endpoint.stop(state_dir, script="install_routes.py") if state_dir else 2
    if "--background" in argv and state_dir:
        endpoint.stop(state_dir, script="install_routes.py")  # one left over from an interrupted run
    # The detached server that --background starts must be this script again.
    endpoint.__file__ = os.path.abspath(__file__)
    return endpoint.main(argv)


if __name__ == "__main__":
    sys.exit(main())
