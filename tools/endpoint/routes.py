"""Routes of the local test endpoint.

A route is a function taking an Exchange; it is registered for a path prefix with @route. The
longest matching prefix wins; paths that match no route are served from the root directory.

    @route("/share/")
    def share_page(ex):
        ex.send(200, "<html>...</html>".encode("utf-8"), [("Content-Type", "text/html")])

Inside a route: ex.method, ex.path (decoded), ex.rest (the path after the prefix), ex.query
(dict of lists), ex.headers (list of (name, value) as sent), ex.body (bytes), ex.endpoint (root,
recorder, options). Answer with ex.send(...) for a whole body, or ex.send_head(...) and
ex.write(...) to stream, ex.close_now() to end the connection early, ex.redispatch(path) to hand
the request to another route.
"""

import email.utils
import hashlib
import html
import json
import mimetypes
import os
import re
import select
import socket
import struct
import threading
import time
import urllib.parse

_ROUTES = []  # (prefix, function), longest prefix first


def route(prefix):
    """Registers the decorated function for paths starting with `prefix`."""

    def register(fn):
        _ROUTES.append((prefix, fn))
        _ROUTES.sort(key=lambda r: len(r[0]), reverse=True)
        return fn

    return register


def find_route(path):
    for prefix, fn in _ROUTES:
        if path.startswith(prefix):
            return prefix, fn
    return "/", serve_file


# --- the deterministic byte pattern of generated bodies -------------------------------------------
#
# byte(i) = (base(i mod 65536) + i div 65536) mod 256, base(j) = ((j * 167) xor (j div 256)) mod 256.
# tests/support/pattern.h computes the same bytes.

_BLOCK = 65536
_BASE = bytes(((j * 167) ^ (j >> 8)) & 0xFF for j in range(_BLOCK))
_SHIFT = [bytes((b + k) & 0xFF for b in range(256)) for k in range(256)]


def pattern_block(index):
    """Block `index` (65536 bytes) of the pattern."""
    return _BASE.translate(_SHIFT[index & 0xFF])


def pattern_bytes(offset, size):
    """`size` pattern bytes from `offset`, generated block by block."""
    out = bytearray()
    while size > 0:
        block, start = divmod(offset, _BLOCK)
        piece = pattern_block(block)[start:start + size]
        out += piece
        offset += len(piece)
        size -= len(piece)
    return bytes(out)


def iter_pattern(size):
    offset = 0
    while offset < size:
        n = min(_BLOCK - offset % _BLOCK, size - offset)
        yield pattern_bytes(offset, n) if n != _BLOCK else pattern_block(offset // _BLOCK)
        offset += n


def parse_size(text):
    """"123", "64k" (KiB) or "256m" (MiB); None when it is none of these."""
    text = text.strip().lower()
    scale = 1
    if text.endswith("k"):
        scale, text = 1024, text[:-1]
    elif text.endswith("m"):
        scale, text = 1024 * 1024, text[:-1]
    return int(text) * scale if text.isdigit() else None


# --- the request as one route sees it ----------------------------------------------------------------


class Exchange:
    def __init__(self, handler, endpoint, record):
        self.handler = handler
        self.endpoint = endpoint
        self.record = record
        self.method = handler.command
        self.target = handler.path
        self.headers = list(handler.headers.items())
        self.body = record["body_bytes"]
        self.sent_status = None
        self._set_path(self.target)

    def _set_path(self, target):
        split = urllib.parse.urlsplit(target)
        self.path = decode_path(split.path)
        self.query = urllib.parse.parse_qs(split.query, keep_blank_values=True)
        self.raw_query = split.query
        self.prefix, self.route = find_route(self.path)
        self.rest = self.path[len(self.prefix):]

    def header(self, name, default=None):
        for n, v in self.headers:
            if n.lower() == name.lower():
                return v
        return default

    def send_head(self, status, headers=(), content_length=None, reason=None):
        h = self.handler
        self.sent_status = status
        h.send_response_only(status, reason)
        h.send_header("Server", "lq-endpoint")
        h.send_header("Date", email.utils.formatdate(usegmt=True))
        for name, value in headers:
            h.send_header(name, value)
        if content_length is not None:
            h.send_header("Content-Length", str(content_length))
        h.end_headers()
        h.wfile.flush()

    def write(self, data):
        if self.method != "HEAD":
            self.handler.wfile.write(data)

    def send(self, status, body=b"", headers=(), content_length=True, reason=None):
        """A whole response; content_length=False leaves the length out (close-delimited)."""
        self.send_head(status, headers, len(body) if content_length else None, reason)
        self.write(body)
        if not content_length:
            self.handler.close_connection = True

    def send_error_page(self, status, message=None):
        reason = self.handler.responses.get(status, ("Error",))[0]
        text = html.escape(message or reason)
        body = (f"<html><head><title>{status} {html.escape(reason)}</title></head>"
                f"<body><h1>{status} {html.escape(reason)}</h1><p>{text}</p></body></html>")
        self.send(status, body.encode("utf-8"), [("Content-Type", "text/html; charset=utf-8")])

    def close_now(self):
        """Ends the connection at once (after what was written), whatever the response promised."""
        h = self.handler
        h.close_connection = True
        try:
            h.wfile.flush()
            h.connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def redispatch(self, target):
        self._set_path(target)
        self.route(self)


def text_of(raw):
    """Bytes as UTF-8, else as GBK, else one character each."""
    for encoding in ("utf-8", "gbk"):
        try:
            return raw.decode(encoding)
        except UnicodeDecodeError:
            pass
    return raw.decode("latin-1")


def decode_path(path):
    """Percent-decodes a path and reads its bytes as text_of does."""
    return text_of(urllib.parse.unquote_to_bytes(path.encode("latin-1", "replace")))


# --- files under the root ----------------------------------------------------------------------------


def file_under_root(root, path):
    """The file of the root directory at the decoded request path (index.html for a folder); None
    for a missing one, False for a path that leaves the root."""
    root = os.path.realpath(root)
    full = os.path.realpath(os.path.join(root, path.lstrip("/")))
    if full != root and not full.startswith(root + os.sep):
        return False
    if os.path.isdir(full):
        full = os.path.join(full, "index.html")
    return full if os.path.isfile(full) else None


def serve_file(ex):
    full = file_under_root(ex.endpoint.root, ex.path)
    if full is False:
        ex.send_error_page(403)
    elif full is None:
        ex.send_error_page(404, ex.path)
    else:
        serve_resource(ex, file_resource(full))


# --- bodies with validators, conditional requests and byte ranges ----------------------------------


class Resource:
    """A body to answer with: its length, content type, validators (a strong ETag as sent, with its
    quotes, and the time of the last change in whole seconds; either may be None) and
    read(offset, size), its bytes from an offset as an iterable of pieces."""

    def __init__(self, length, read, content_type, etag=None, last_modified=None):
        self.length = length
        self.read = read
        self.content_type = content_type
        self.etag = etag
        self.last_modified = last_modified


def content_etag(data):
    return '"%s"' % hashlib.sha256(data).hexdigest()[:24]


def bytes_resource(data, content_type, last_modified=None):
    def read(offset, size):
        yield data[offset:offset + size]

    return Resource(len(data), read, content_type, content_etag(data), last_modified)


_file_tags = {}  # (path, inode, size, change times in ns) -> ETag
_file_tags_lock = threading.Lock()


def _file_etag(full, st):
    # The status change time moves with every write, even one whose modification time was set back.
    key = (full, st.st_ino, st.st_size, st.st_mtime_ns, st.st_ctime_ns)
    with _file_tags_lock:
        if key in _file_tags:
            return _file_tags[key]
    digest = hashlib.sha256()
    with open(full, "rb") as f:
        for data in iter(lambda: f.read(1 << 20), b""):
            digest.update(data)
    tag = '"%s"' % digest.hexdigest()[:24]
    with _file_tags_lock:
        _file_tags[key] = tag
    return tag


def file_resource(full, content_type=None, not_before=None):
    """The file as a resource: ETag from its content, Last-Modified its modification time (or
    `not_before` when that is later)."""
    st = os.stat(full)

    def read(offset, size):
        with open(full, "rb") as f:
            f.seek(offset)
            while size > 0:
                data = f.read(min(size, 1 << 20))
                if not data:
                    return
                size -= len(data)
                yield data

    modified = int(st.st_mtime)
    if not_before is not None:
        modified = max(modified, not_before)
    return Resource(st.st_size, read,
                    content_type or mimetypes.guess_type(full)[0] or "application/octet-stream",
                    _file_etag(full, st), modified)


def http_date(seconds):
    return email.utils.formatdate(seconds, usegmt=True)


def parse_http_date(text):
    """Seconds since the epoch of an HTTP date; None when it is none."""
    try:
        when = email.utils.parsedate_to_datetime(text.strip())
    except (TypeError, ValueError, IndexError):
        return None
    return None if when is None else int(when.timestamp())


_TAG = re.compile(r'(?:W/)?"[^"]*"|\*')


def not_modified(ex, res):
    """Whether a conditional GET is answered with 304: If-None-Match names the current ETag (weak
    comparison) or is *, or else If-Modified-Since is not older than the last change."""
    none_match = ex.header("If-None-Match")
    if none_match is not None:
        tags = _TAG.findall(none_match)
        if "*" in tags:
            return True
        return res.etag is not None and any(t.removeprefix("W/") == res.etag for t in tags)
    since = ex.header("If-Modified-Since")
    if since is None or res.last_modified is None:
        return False
    when = parse_http_date(since)
    return when is not None and res.last_modified <= when


def _if_range_holds(value, res):
    """If-Range: a strong ETag equal to the current one, or the exact Last-Modified date."""
    value = value.strip()
    if value.startswith("W/"):
        return False
    if value.startswith('"'):
        return value == res.etag
    when = parse_http_date(value)
    return when is not None and when == res.last_modified


UNSATISFIABLE = "unsatisfiable"


def requested_range(ex, res):
    """(first, last) byte of a single satisfiable Range, UNSATISFIABLE, or None for the whole
    body (no Range, one that does not parse, several ranges, or an If-Range that does not hold)."""
    value = ex.header("Range")
    if value is None:
        return None
    if_range = ex.header("If-Range")
    if if_range is not None and not _if_range_holds(if_range, res):
        return None
    unit, _, ranges = value.partition("=")
    first, dash, last = ranges.strip().partition("-")
    first, last = first.strip(), last.strip()
    if unit.strip().lower() != "bytes" or "," in ranges or not dash:
        return None
    total = res.length
    if first == "":
        if not last.isdigit():
            return None
        suffix = int(last)
        return UNSATISFIABLE if suffix == 0 or total == 0 else (max(0, total - suffix), total - 1)
    if not first.isdigit() or (last and not last.isdigit()):
        return None
    start = int(first)
    if last and int(last) < start:
        return None
    if start >= total:
        return UNSATISFIABLE
    return (start, min(int(last), total - 1) if last else total - 1)


def serve_resource(ex, res, ranges=True, stop_at=None, then="close"):
    """Answers with `res`: 304 for a conditional GET or HEAD that it satisfies (validators, no
    body), 206 with Content-Range for a single satisfiable Range of a GET, 416 with
    "Content-Range: bytes */<length>" for an unsatisfiable one, else 200 with the whole body.
    ranges=False ignores Range and If-Range and leaves Accept-Ranges out. With stop_at, only
    stop_at(first byte, body length) bytes of the body are sent, and then the connection is closed
    (then="close") or held silent (then="stall")."""
    validators = []
    if res.etag is not None:
        validators.append(("ETag", res.etag))
    if res.last_modified is not None:
        validators.append(("Last-Modified", http_date(res.last_modified)))
    if ex.method in ("GET", "HEAD") and not_modified(ex, res):
        ex.send_head(304, validators)
        return
    headers = [("Content-Type", res.content_type)] + validators
    if ranges:
        headers.append(("Accept-Ranges", "bytes"))
    status, start, length = 200, 0, res.length
    wanted = requested_range(ex, res) if ranges and ex.method == "GET" else None
    if wanted == UNSATISFIABLE:
        ex.send_head(416, headers + [("Content-Range", f"bytes */{res.length}")], 0)
        return
    if wanted is not None:
        status, start, length = 206, wanted[0], wanted[1] - wanted[0] + 1
        headers.append(("Content-Range", f"bytes {wanted[0]}-{wanted[1]}/{res.length}"))
    ex.send_head(status, headers, length)
    amount = length if stop_at is None else max(0, min(length, stop_at(start, length)))
    if ex.method != "HEAD":
        for piece in res.read(start, amount):
            ex.write(piece)
    if stop_at is None:
        return
    ex.handler.close_connection = True
    if then == "stall":
        hold_connection(ex, SILENCE_LIMIT)
    else:
        ex.close_now()


# --- fault modes -------------------------------------------------------------------------------------


def _split_first(rest):
    first, _, tail = rest.partition("/")
    return first, tail


@route("/fault/status/")
def fault_status(ex):
    """/fault/status/<code>[/...]: that status with a small HTML page as body."""
    code, _ = _split_first(ex.rest)
    ex.send_error_page(int(code) if code.isdigit() else 500)


@route("/fault/no-length/")
def fault_no_length(ex):
    """/fault/no-length/<size>: 200, pattern bytes, no Content-Length; the close ends the body."""
    size = parse_size(_split_first(ex.rest)[0]) or 0
    ex.send_head(200, [("Content-Type", "application/octet-stream")])
    for block in iter_pattern(size):
        ex.write(block)
    ex.close_now()


@route("/fault/redirect/")
def fault_redirect(ex):
    """/fault/redirect/<code>/<target path>: a redirect to /<target path> (query kept)."""
    code, target = _split_first(ex.rest)
    location = "/" + urllib.parse.quote(target, safe="/%")
    if ex.raw_query:
        location += "?" + ex.raw_query
    status = int(code) if code.isdigit() else 302
    body = f'<html><body><a href="{html.escape(location)}">moved</a></body></html>'.encode()
    ex.send(status, body, [("Location", location), ("Content-Type", "text/html")])


@route("/fault/slow/")
def fault_slow(ex):
    """/fault/slow/<ms>/<path>: waits before the first byte, then answers <path>."""
    ms, target = _split_first(ex.rest)
    time.sleep(int(ms) / 1000.0 if ms.isdigit() else 1.0)
    ex.redispatch("/" + target + ("?" + ex.raw_query if ex.raw_query else ""))


@route("/fault/drop/")
def fault_drop(ex):
    """/fault/drop/<size>: promises <size> pattern bytes, sends the first half and closes."""
    size = parse_size(_split_first(ex.rest)[0]) or 0
    ex.send_head(200, [("Content-Type", "application/octet-stream")], size)
    ex.write(pattern_bytes(0, size // 2))
    ex.close_now()


@route("/fault/pattern/")
def fault_pattern(ex):
    """/fault/pattern/<size>: 200 with <size> pattern bytes (e.g. 64m), generated as they go."""
    size = parse_size(_split_first(ex.rest)[0])
    if size is None:
        ex.send_error_page(400, "size expected")
        return
    ex.send_head(200, [("Content-Type", "application/octet-stream")], size)
    for block in iter_pattern(size):
        ex.write(block)


@route("/fault/empty")
def fault_empty(ex):
    """/fault/empty: 200 with an empty body."""
    ex.send(200, b"", [("Content-Type", "application/octet-stream")])


@route("/fault/length/")
def fault_length(ex):
    """/fault/length/<value>/<size>: <size> pattern bytes announced with Content-Length <value>
    taken verbatim (e.g. 0, -5, abc); the close ends the body."""
    value, size = _split_first(ex.rest)
    size = parse_size(size) or 0
    ex.send_head(200, [("Content-Type", "application/octet-stream"),
                       ("Content-Length", urllib.parse.unquote(value))])
    ex.write(pattern_bytes(0, size))
    ex.close_now()


# --- misbehaviours: silence, a trickle, a lying length, half a body then silence -------------------
#
# Each one spoils whatever another route would answer, by standing in for the handler's output
# stream while that route runs. A connection held open ends as soon as the client closes it (or
# after SILENCE_LIMIT), so abandoned exchanges never pile up threads in the server.

SILENCE_LIMIT = 120.0
MISBEHAVIOURS = ("silent", "trickle", "lie", "half-silent", "reset")


class ClientGone(ConnectionError):
    """The client closed the connection while the server held it."""


class _Enough(Exception):
    """The part of the response that is to be sent has been sent."""


def hold_connection(ex, seconds):
    """Keeps the connection open for `seconds`, sending nothing and discarding what the client
    sends; False as soon as the client has gone (a client that shuts its sending side counts as
    gone)."""
    conn = ex.handler.connection
    deadline = time.monotonic() + seconds
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            return True
        try:
            readable, _, _ = select.select([conn], [], [], left)
            if readable and not conn.recv(65536):
                return False
        except (OSError, ValueError):
            return False


def _content_length(head):
    for line in head.split(b"\r\n"):
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            value = value.strip()
            return int(value) if value.isdigit() else None
    return None


class _Spoiler:
    """Stands for the handler's output stream: the first write is the head, the rest the body."""

    def __init__(self, ex, inner):
        self.ex = ex
        self.inner = inner
        self.head = None

    def write(self, data):
        if self.head is None:
            self.head = bytes(data)
            self.write_head(self.head)
        else:
            self.write_body(bytes(data))
        return len(data)

    def write_head(self, head):
        self.inner.write(head)

    def write_body(self, data):
        self.inner.write(data)

    def flush(self):
        pass


class _Trickle(_Spoiler):
    def __init__(self, ex, inner, delay):
        super().__init__(ex, inner)
        self.delay = delay

    def write_head(self, head):
        self.write_body(head)

    def write_body(self, data):
        for i in range(len(data)):
            if not hold_connection(self.ex, self.delay):
                raise ClientGone()
            self.inner.write(data[i:i + 1])


class _Lie(_Spoiler):
    def __init__(self, ex, inner, value):
        super().__init__(ex, inner)
        self.value = value

    def write_head(self, head):
        lines = [line for line in head.split(b"\r\n")
                 if line.partition(b":")[0].strip().lower() != b"content-length"]
        # The head ends with two empty strings (the blank line); the claim goes before them.
        lines.insert(len(lines) - 2, b"Content-Length: " + self.value.encode("latin-1", "replace"))
        self.inner.write(b"\r\n".join(lines))


class _Half(_Spoiler):
    def write_head(self, head):
        length = _content_length(head)
        self.allowed = None if length is None else length // 2
        self.inner.write(head)

    def write_body(self, data):
        if self.allowed is None:
            self.inner.write(data)
            return
        part = data[:self.allowed]
        if part:
            self.inner.write(part)
        self.allowed -= len(part)
        if self.allowed <= 0:
            raise _Enough()


def misbehave(ex, mode, serve):
    """Answers what `serve()` would answer, spoilt by `mode`; False when `mode` is none of
    silent             read the request, never answer, hold the connection
    trickle:<ms>       the whole response, head included, one byte every <ms> milliseconds
    lie:<value>        the response with its Content-Length replaced by <value> verbatim, then the
                       connection closed after the real body
    half-silent        the head, half the body it announces, then silence on the open connection
    reset              read the request, then reset the connection (RST) without a byte of answer
    """
    kind, _, argument = mode.partition(":")
    if kind not in MISBEHAVIOURS:
        return False
    ex.handler.close_connection = True
    if kind == "silent":
        hold_connection(ex, SILENCE_LIMIT)
        return True
    if kind == "reset":
        conn = ex.handler.connection
        # Closing with a zero linger time sends RST instead of FIN.
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.close()
        return True
    handler = ex.handler
    inner = handler.wfile
    if kind == "trickle":
        spoiler = _Trickle(ex, inner, int(argument) / 1000.0 if argument.isdigit() else 1.0)
    elif kind == "lie":
        spoiler = _Lie(ex, inner, argument)
    else:
        spoiler = _Half(ex, inner)
    handler.wfile = spoiler
    try:
        serve()
    except _Enough:
        pass
    finally:
        handler.wfile = inner
    if kind == "half-silent":
        hold_connection(ex, SILENCE_LIMIT)
    else:
        ex.close_now()
    return True


def _with_query(ex, path):
    return path + ("?" + ex.raw_query if ex.raw_query else "")


@route("/fault/silent")
def fault_silent(ex):
    """/fault/silent[/...]: reads the request and never answers; the connection stays open until
    the client closes it (at most SILENCE_LIMIT)."""
    misbehave(ex, "silent", None)


@route("/fault/reset")
def fault_reset(ex):
    """/fault/reset[/...]: reads the request and resets the connection without an answer."""
    misbehave(ex, "reset", None)


@route("/fault/trickle/")
def fault_trickle(ex):
    """/fault/trickle/<ms>/<path>: the whole response of /<path>, one byte every <ms>."""
    ms, target = _split_first(ex.rest)
    misbehave(ex, "trickle:" + ms, lambda: ex.redispatch(_with_query(ex, "/" + target)))


@route("/fault/lie/")
def fault_lie(ex):
    """/fault/lie/<value>/<path>: the body of /<path> announced as Content-Length: <value>."""
    value, target = _split_first(ex.rest)
    misbehave(ex, "lie:" + urllib.parse.unquote(value),
              lambda: ex.redispatch(_with_query(ex, "/" + target)))


@route("/fault/half-silent/")
def fault_half_silent(ex):
    """/fault/half-silent/<size>: announces <size> pattern bytes, sends half, then silence."""
    size, _ = _split_first(ex.rest)
    misbehave(ex, "half-silent", lambda: ex.redispatch("/fault/pattern/" + size))


# --- the record of requests --------------------------------------------------------------------------


class Recorder:
    """Every request except those to /__*, in arrival order; optionally appended to a file."""

    def __init__(self, path=None):
        self._lock = threading.Lock()
        self._records = []
        self._file = open(path, "w", encoding="utf-8") if path else None

    def add(self, record):
        """Keeps the request; returns the record kept, where the answer's status, body bytes and
        end are written as they become known (not in the file, which gets the request alone)."""
        public = {k: v for k, v in record.items() if k != "body_bytes"}
        with self._lock:
            self._records.append(public)
            if self._file:
                self._file.write(json.dumps(public, ensure_ascii=False) + "\n")
                self._file.flush()
            public.update(status=None, body_bytes_sent=0, done=False)
        return public

    def matching(self, path=None, prefix=None):
        with self._lock:
            return [r for r in self._records
                    if (path is None or r["path"] == path)
                    and (prefix is None or r["path"].startswith(prefix))]

    def clear(self):
        with self._lock:
            self._records.clear()

    def close(self):
        with self._lock:
            if self._file:
                self._file.close()
                self._file = None


class Connections:
    """Per path: how many requests came ("seen"), how many are being answered now ("open") and
    which ones those are ("open_requests", by their arrival number for the path, from 1), so that
    a test can tell whether a client still waits for an answer or has given up."""

    def __init__(self):
        self._lock = threading.Lock()
        self._seen = {}
        self._open = {}

    def opened(self, path):
        """Counts a request for `path` as arrived and open; returns its arrival number."""
        with self._lock:
            number = self._seen.get(path, 0) + 1
            self._seen[path] = number
            self._open.setdefault(path, set()).add(number)
            return number

    def closed(self, path, number):
        with self._lock:
            self._open[path].discard(number)

    def of(self, path):
        with self._lock:
            open_requests = sorted(self._open.get(path, ()))
            return {"seen": self._seen.get(path, 0), "open": len(open_requests),
                    "open_requests": open_requests}


@route("/__connections")
def list_connections(ex):
    """/__connections?path=P: {"seen": n, "open": m, "open_requests": [...]} for the decoded
    path P."""
    path = ex.query.get("path", [""])[-1]
    body = json.dumps(ex.endpoint.connections.of(path)).encode("utf-8")
    ex.send(200, body, [("Content-Type", "application/json")])


def raw_head(record):
    lines = [f'{record["method"]} {record["target"]} {record["version"]}']
    lines += [f"{n}: {v}" for n, v in record["headers"]]
    return "\r\n".join(lines) + "\r\n\r\n"


@route("/__requests")
def list_requests(ex):
    """/__requests[?path=P][&prefix=P][&format=raw]: the recorded requests, as JSON (default) or
    as their heads one after another (format=raw)."""
    q = {k: v[-1] for k, v in ex.query.items()}
    found = ex.endpoint.recorder.matching(q.get("path"), q.get("prefix"))
    if q.get("format") == "raw":
        body = "".join(raw_head(r) for r in found).encode("utf-8")
        ex.send(200, body, [("Content-Type", "text/plain; charset=utf-8")])
    else:
        body = json.dumps(found, ensure_ascii=False, indent=1).encode("utf-8")
        ex.send(200, body, [("Content-Type", "application/json; charset=utf-8")])


@route("/__sent")
def sent_bytes(ex):
    """/__sent[?path=P][&prefix=P]: {"requests": n, "done": d, "body_bytes": m, "statuses": [...]}
    over the recorded requests of the decoded path P (or under the prefix): how many came, how
    many have been answered to their end, the body bytes written to their connections (those of
    answers still going on included) and each one's status in arrival order (null before a head
    was sent, or when none ever was)."""
    q = {k: v[-1] for k, v in ex.query.items()}
    found = ex.endpoint.recorder.matching(q.get("path"), q.get("prefix"))
    body = json.dumps({"requests": len(found), "done": sum(1 for r in found if r["done"]),
                       "body_bytes": sum(r["body_bytes_sent"] for r in found),
                       "statuses": [r["status"] for r in found]})
    ex.send(200, body.encode("utf-8"), [("Content-Type", "application/json")])


@route("/__host")
def host_control(ex):
    """/__host: whether the server listens on its port, as JSON.
    /__host/down[?ms=N][&cut=1]: stops listening (new connections are refused), for N ms or until
    /__host/up; cut=1 also ends the connections being answered. /__host/up: listens again."""
    host = ex.endpoint.host
    q = {k: v[-1] for k, v in ex.query.items()}
    action = ex.rest.strip("/")
    ok = True
    if action == "down":
        ms = int(q["ms"]) if q.get("ms", "").isdigit() else None
        ok = host.go_down(ms, cut=q.get("cut") == "1", keep=ex.handler.connection)
    elif action == "up":
        ok = host.go_up()
    elif action:
        ex.send_error_page(404, ex.path)
        return
    body = json.dumps(host.host_state()).encode("utf-8")
    ex.send(200 if ok else 503, body, [("Content-Type", "application/json")])


@route("/__reset")
def reset_requests(ex):
    ex.endpoint.recorder.clear()
    ex.send(200, b"ok", [("Content-Type", "text/plain")])


@route("/__echo")
def echo(ex):
    """/__echo...: answers with this request's record as JSON."""
    public = {k: v for k, v in ex.record.items() if k != "body_bytes"}
    ex.send(200, json.dumps(public, ensure_ascii=False).encode("utf-8"),
            [("Content-Type", "application/json; charset=utf-8")])
