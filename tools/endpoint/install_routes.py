#!/usr/bin/env python3
"""The local endpoint (endpoint.py) as the download host of skin previews and packages.

    install_routes.py [endpoint.py arguments]   serve, start detached (--background) or stop (--stop)

The root directory holds the demo content (tools/demo) at the catalogue's paths: /lolbf/imgs/...
and /lolbf/pf/... are served from it as files (with ETag, Last-Modified, conditional GETs and byte
ranges: routes.serve_resource). The share page routes of web_routes.py are
available as well (/web/share/<variant>), and /share/latest (the build's default share page
address) answers with one of them, the usual page ("ok") unless a test chose another:

    /__share/latest?variant=V   from now on /share/latest serves /web/share/V, or a 404 for V =
                                missing; an unknown V is refused (400) and changes nothing
    /__share/latest             as JSON: the variant in force and "served", how many requests
                                /share/latest has answered since it was chosen

Generated packages (deterministic, any size, no state):

    /install/zip/<size>/<any>        200, a stored zip whose one entry holds <size> pattern bytes
                                     (sizes as "123", "64k", "200m"), with validators and ranges
                                     like a file; the fault modes below apply to it too
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
          reset           the request read, the connection reset (RST) without an answer
          break:<amount>  the answer's head (200 with the whole length, or 206 for a Range) and
                          <amount> of its body, then the connection closed; <amount> is bytes
                          ("100", "64k"), a share of this answer's body ("50%") or "@<offset>":
                          up to that offset of the file
          stall:<amount>  the same, then silence on the open connection
          norange         Range and If-Range ignored: 200 with the whole file, no Accept-Ranges;
                          may be joined to break or stall with "+": norange+break:50%
        An unknown mode is refused (400). Any path served as a file takes fault modes, and
        /install/zip/ and /share/latest too. The longest prefix in force wins; with count=N it
        leaves after N requests and a shorter prefix applies again.
    /__install/fault?clear=all   clears every fault mode
    /__install/faults     the fault modes in force, as JSON

Another version at a path (a package or preview that changes on the host):

    /__install/version?path=P&content=C     P serves the bytes C (percent-encoded; "+" a space)
    /__install/version?path=P&from=Q        P serves a copy of what Q serves now
    /__install/version?path=P&zip=<size>[&start=<n>]
                                            P serves a stored zip of <size> pattern bytes from
                                            offset <n> of the pattern
    /__install/version?path=P&restore=1     P serves the root's file again (or 404 without one)
    /__install/version?path=P               nothing changes
        Each answers P's state as JSON: {"path", "source" ("file", "content", "from Q", "zip ...",
        "none"), "changes", "length", "etag", "last_modified"}, ETag and Last-Modified as the
        answers at P carry them. Every change gives P a Last-Modified of its own, a second or more
        after the one before (so it can lie ahead of the clock); an ETag follows the content.
    /__install/version?clear=all            every path serves the root's file again
"""

import json
import mimetypes
import os
import struct
import sys
import threading
import time
import urllib.parse
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
# Last-Modified of the generated packages: they never change.
GENERATED_DATE = 1704067200  # 2024-01-01 00:00:00 GMT


def _pattern_pieces(offset, size):
    """`size` pattern bytes from `offset`, block by block."""
    while size > 0:
        n = min(65536 - offset % 65536, size)
        yield routes.pattern_bytes(offset, n)
        offset += n
        size -= n


def _pattern_crc(size, start=0):
    with _crc_lock:
        if (size, start) not in _crc_cache:
            crc = 0
            for block in _pattern_pieces(start, size):
                crc = zlib.crc32(block, crc)
            _crc_cache[size, start] = crc
        return _crc_cache[size, start]


class PatternZip:
    """A stored zip of one entry "skin.bin" holding `size` pattern bytes (those from offset
    `start` of the pattern), produced in pieces."""

    NAME = b"skin.bin"

    def __init__(self, size, start=0):
        self.size = size
        self.start = start
        crc = self.crc = _pattern_crc(size, start)
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
        return self.read(0, self.length)

    def read(self, offset, size):
        """The zip's bytes from `offset`, `size` of them (fewer at its end), in pieces."""
        end = min(offset + size, self.length)
        body_start = len(self.head)
        body_end = body_start + self.size
        if offset < body_start:
            yield self.head[offset:min(end, body_start)]
        first, last = max(offset, body_start), min(end, body_end)
        if first < last:
            yield from _pattern_pieces(self.start + first - body_start, last - first)
        if max(offset, body_end) < end:
            yield self.tail[max(offset, body_end) - body_end:end - body_end]

    def resource(self, last_modified=GENERATED_DATE):
        etag = f'"zip-{self.size}-{self.start}-{self.crc:08x}"'
        return routes.Resource(self.length, self.read, "application/zip", etag, last_modified)


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
    size = routes.parse_size(ex.rest.partition("/")[0])
    if size is None:
        ex.send_error_page(400, "size expected")
        return
    res = PatternZip(size).resource()
    _answer_with_fault(ex, _take_fault(ex.path), lambda: routes.serve_resource(ex, res),
                       lambda: (res.read(0, res.length), res.length, res.content_type),
                       lambda: res)


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


def _amount(text):
    """How much of an answer's body a broken transfer sends, as a function of the answer's first
    byte and body length: "<size>" bytes, "<n>%" of the body, "@<size>" up to that offset of the
    file; None when `text` is none of these."""
    if text.endswith("%") and text[:-1].isdigit() and int(text[:-1]) <= 100:
        percent = int(text[:-1])
        return lambda start, length: length * percent // 100
    if text.startswith("@"):
        offset = routes.parse_size(text[1:])
        return None if offset is None else (lambda start, length: offset - start)
    size = routes.parse_size(text)
    return None if size is None else (lambda start, length: size)


def _transfer_mode(mode):
    """serve_resource's arguments for the transfer faults, parts joined by "+": "norange" (Range
    ignored: the whole file with 200), "break:<amount>" (that much of the body, then the
    connection closed), "stall:<amount>" (that much, then silence); None for another mode."""
    found = {}
    for part in mode.split("+"):
        kind, colon, argument = part.partition(":")
        if kind == "norange" and not colon and "ranges" not in found:
            found["ranges"] = False
        elif kind in ("break", "stall") and "stop_at" not in found and _amount(argument):
            found["stop_at"] = _amount(argument)
            found["then"] = "close" if kind == "break" else "stall"
        else:
            return None
    return found


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
    if mode.partition(":")[0] not in FAULT_KINDS and _transfer_mode(mode) is None:
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


def _answer_with_fault(ex, fault, serve, body_of, resource_of, ranges=True):
    """Answers as `serve()` would, or as `fault` spoils that; body_of() gives the normal body
    (pieces, length, content type) and resource_of() the same as a routes.Resource, or None
    where there is none (the transfer faults then leave the answer as it is); ranges=False: not
    a body that Range applies to."""
    if fault is None:
        serve()
        return
    transfer = _transfer_mode(fault)
    if transfer is not None:
        res = resource_of()
        if not res:
            serve()
            return
        transfer["ranges"] = ranges and transfer.get("ranges", True)
        routes.serve_resource(ex, res, **transfer)
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


# --- content that changes: another version at the same path -----------------------------------

_versions = {}  # path -> {"resource": Resource or None (the root's file), "source", "changes"}
_versions_lock = threading.Lock()


def _resource_of(ex, path):
    """What `path` serves: its version set through /__install/version, else the root's file (None
    when missing, False outside the root)."""
    with _versions_lock:
        version = _versions.get(path)
    if version is not None and version["resource"] is not None:
        return version["resource"]
    full = routes.file_under_root(ex.endpoint.root, path)
    if not full:
        return full
    # A path that served another version keeps its Last-Modified from going back.
    return routes.file_resource(full, not_before=version and version["last_modified"])


@route("/")
def file_path(ex):
    """Files under the root and the versions set at their paths, with the fault modes."""

    def serve():
        res = _resource_of(ex, ex.path)
        if res is False:
            ex.send_error_page(403)
        elif res is None:
            ex.send_error_page(404, ex.path)
        else:
            routes.serve_resource(ex, res)

    def body_of():
        res = _resource_of(ex, ex.path)
        return (res.read(0, res.length), res.length, "application/zip") if res else None

    _answer_with_fault(ex, _take_fault(ex.path), serve, body_of,
                       lambda: _resource_of(ex, ex.path))


def _version_state(ex, path):
    res = _resource_of(ex, path)
    with _versions_lock:
        version = _versions.get(path, {})
    state = {"path": path, "source": version.get("source", "file") if res else "none",
             "changes": version.get("changes", 0), "length": None, "etag": None,
             "last_modified": None}
    if res:
        state.update(length=res.length, etag=res.etag,
                     last_modified=routes.http_date(res.last_modified))
    return state


def _bytes_of(raw_query, name):
    """The bytes of query parameter `name`, percent-decoded as they are ('+' a space)."""
    values = urllib.parse.parse_qs(raw_query, keep_blank_values=True, encoding="latin-1")
    return values[name][-1].encode("latin-1") if name in values else None


@route("/__install/version")
def set_version(ex):
    """/__install/version?path=P[&content=C | &from=Q | &zip=<size>[&start=<n>] | &restore=1]"""
    q = {k: v[-1] for k, v in ex.query.items()}
    if q.get("clear") == "all":
        with _versions_lock:
            changed = [p for p, v in _versions.items() if v["resource"] is not None]
        for path in changed:
            _change_version(ex, path, None, "file")
        ex.send(200, b"ok", [("Content-Type", "text/plain")])
        return
    path = q.get("path")
    if not path:
        ex.send(400, b"path expected", [("Content-Type", "text/plain")])
        return
    content_type = mimetypes.guess_type(path)[0] or "application/octet-stream"
    resource, source = False, None
    if "content" in q:
        resource = routes.bytes_resource(_bytes_of(ex.raw_query, "content"), content_type)
        source = "content"
    elif "from" in q:
        other = _resource_of(ex, q["from"])
        if not other:
            ex.send(404, f"no file {q['from']}".encode("utf-8"),
                    [("Content-Type", "text/plain; charset=utf-8")])
            return
        data = b"".join(other.read(0, other.length))
        resource, source = routes.bytes_resource(data, content_type), "from " + q["from"]
    elif "zip" in q:
        size = routes.parse_size(q["zip"])
        start = routes.parse_size(q.get("start", "0"))
        if size is None or start is None:
            ex.send(400, b"size expected", [("Content-Type", "text/plain")])
            return
        resource, source = PatternZip(size, start).resource(None), f"zip {size} from {start}"
    elif q.get("restore") == "1":
        resource, source = None, "file"
    if resource is not False:
        _change_version(ex, path, resource, source)
    body = json.dumps(_version_state(ex, path), ensure_ascii=False).encode("utf-8")
    ex.send(200, body, [("Content-Type", "application/json; charset=utf-8")])


def _change_version(ex, path, resource, source):
    """Makes `path` serve `resource` (None: the root's file), last modified now, and always later
    than what it served before, so that each change has a Last-Modified of its own."""
    before = _resource_of(ex, path)
    with _versions_lock:
        previous = _versions.get(path, {})
        floor = max(previous.get("last_modified") or 0,
                    before.last_modified if before and before.last_modified else 0)
        modified = max(int(time.time()), floor + 1)
        if resource is not None:
            resource.last_modified = modified
        _versions[path] = {"resource": resource, "source": source, "last_modified": modified,
                           "changes": previous.get("changes", 0) + 1}


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

    def resource_of():
        body = body_of()
        if body is None:
            return None
        data = body[0][0]
        return routes.Resource(len(data), lambda offset, size: [data[offset:offset + size]],
                               body[2])

    _answer_with_fault(ex, _take_fault(ex.path), serve, body_of, resource_of, ranges=False)


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
    return endpoint.run_script(__file__, argv)


if __name__ == "__main__":
    sys.exit(main())
