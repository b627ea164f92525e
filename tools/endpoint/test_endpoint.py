"""Checks of the test endpoint itself: files, fault modes, the record, start and stop."""

import http.client
import json
import os
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse
import zipfile
import io

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import endpoint  # noqa: E402
import routes  # noqa: E402


def raw_exchange(port, request_bytes):
    """Sends request_bytes as they are and returns everything the server sends until it closes."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(request_bytes)
        chunks = []
        while True:
            data = s.recv(65536)
            if not data:
                break
            chunks.append(data)
    head, _, body = b"".join(chunks).partition(b"\r\n\r\n")
    return head.decode("latin-1"), body


def read_all(s):
    chunks = []
    while True:
        data = s.recv(65536)
        if not data:
            return b"".join(chunks)
        chunks.append(data)


def without_date(head):
    return "\r\n".join(line for line in head.split("\r\n") if not line.startswith("Date:"))


def open_request(port, path):
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.sendall(f"GET {path} HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n".encode("latin-1"))
    return s


def read_head_and(s, body_bytes):
    """Reads the head and then exactly `body_bytes` bytes of body (fails on an early close)."""
    data = b""
    while b"\r\n\r\n" not in data or len(data.partition(b"\r\n\r\n")[2]) < body_bytes:
        chunk = s.recv(65536)
        if not chunk:
            raise AssertionError(f"closed after {data!r}")
        data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    return head.decode("latin-1"), body


def parse_head(head):
    """The status and the headers (names in small letters) of an answer's head."""
    lines = head.split("\r\n")
    fields = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        fields[name.strip().lower()] = value.strip()
    return int(lines[0].split()[1]), fields


def get_json(port, path):
    head, body = raw_exchange(port, f"GET {path} HTTP/1.0\r\n\r\n".encode("latin-1"))
    return parse_head(head)[0], json.loads(body)


# The modification time of the files whose validators the checks know.
MTIME = 1600000000
MTIME_TEXT = "Sun, 13 Sep 2020 12:26:40 GMT"
SECOND_BEFORE = "Sun, 13 Sep 2020 12:26:39 GMT"
SECOND_AFTER = "Sun, 13 Sep 2020 12:26:41 GMT"


def still_silent(test, s, wait=0.2):
    """Checks that the server sends nothing more and keeps the connection open for `wait`."""
    readable, _, _ = select.select([s], [], [], wait)
    test.assertEqual(readable, [], "the server sent more or closed")


def serving_threads():
    return [t for t in threading.enumerate() if "process_request_thread" in t.name]


def wait_until(predicate, seconds=20):
    deadline = time.monotonic() + seconds
    while not predicate():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


class EndpointTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.TemporaryDirectory()
        os.makedirs(os.path.join(cls.root.name, "lolbf", "pf"))
        with open(os.path.join(cls.root.name, "lolbf", "pf", "悍警巨魔.zip"), "wb") as f:
            f.write(b"PK\x03\x04zip")
        with open(os.path.join(cls.root.name, "plain.txt"), "wb") as f:
            f.write(b"hello")
        cls.data = bytes((i * 7 + i // 256) & 0xFF for i in range(1000))
        cls.range_file = os.path.join(cls.root.name, "range.bin")
        with open(cls.range_file, "wb") as f:
            f.write(cls.data)
        os.utime(cls.range_file, (MTIME, MTIME))
        cls.server = endpoint.make_server(0, cls.root.name)
        cls.port = cls.server.server_address[1]
        cls.thread = threading.Thread(target=cls.server.serve_forever, daemon=True)
        cls.thread.start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        cls.root.cleanup()

    def get(self, path, version="HTTP/1.0", headers=()):
        lines = [f"GET {path} {version}", "Host: 127.0.0.1"] + [f"{n}: {v}" for n, v in headers]
        return raw_exchange(self.port, ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))

    def test_files_by_utf8_percent_encoded_and_gbk_paths(self):
        quoted = urllib.parse.quote("/lolbf/pf/悍警巨魔.zip")
        head, body = self.get(quoted)
        self.assertIn("200", head.splitlines()[0])
        self.assertEqual(body, b"PK\x03\x04zip")
        raw = "/lolbf/pf/悍警巨魔.zip".encode("gbk")
        raw_exchange(self.port, b"GET " + raw + b"?gbk HTTP/1.0\r\n\r\n")
        seen = json.loads(self.get("/__requests?path=" + quoted)[1])
        escaped = "".join("%%%02X" % b for b in "悍警巨魔".encode("gbk"))
        self.assertEqual(seen[-1]["target"], f"/lolbf/pf/{escaped}.zip?gbk")
        gbk = urllib.parse.quote("/lolbf/pf/悍警巨魔.zip".encode("gbk"))
        self.assertEqual(self.get(gbk)[1], b"PK\x03\x04zip")
        # Raw UTF-8 bytes in the request line, as some clients send them.
        head, body = raw_exchange(
            self.port, "GET /lolbf/pf/悍警巨魔.zip HTTP/1.0\r\n\r\n".encode("utf-8"))
        self.assertEqual(body, b"PK\x03\x04zip")

    def test_validators_conditional_requests_and_ranges(self):
        data = self.data
        status, fields = parse_head(self.get("/range.bin")[0])
        etag = fields["etag"]
        self.assertRegex(etag, r'^"[^"]+"$')
        self.assertEqual(fields["last-modified"], MTIME_TEXT)
        self.assertEqual(fields["accept-ranges"], "bytes")
        with open(os.path.join(self.root.name, "range.bin"), "r+b") as f:
            f.write(b"changed")
        os.utime(self.range_file, (MTIME, MTIME))
        self.assertNotEqual(parse_head(self.get("/range.bin")[0])[1]["etag"], etag)
        with open(self.range_file, "wb") as f:
            f.write(data)
        os.utime(self.range_file, (MTIME, MTIME))
        whole = (200, None, data)
        not_modified = (304, None, b"")
        cases = [
            ((), whole),
            ((("If-None-Match", etag),), not_modified),
            ((("If-None-Match", f'"other", {etag}'),), not_modified),
            ((("If-None-Match", "W/" + etag),), not_modified),
            ((("If-None-Match", "*"),), not_modified),
            ((("If-None-Match", '"other"'),), whole),
            ((("If-Modified-Since", MTIME_TEXT),), not_modified),
            ((("If-Modified-Since", SECOND_AFTER),), not_modified),
            ((("If-Modified-Since", SECOND_BEFORE),), whole),
            ((("If-Modified-Since", "yesterday"),), whole),
            # If-None-Match decides alone when it is there.
            ((("If-None-Match", '"other"'), ("If-Modified-Since", SECOND_AFTER)), whole),
            ((("Range", "bytes=990-"),), (206, "bytes 990-999/1000", data[990:])),
            ((("Range", "bytes=10-19"),), (206, "bytes 10-19/1000", data[10:20])),
            ((("Range", "bytes=-5"),), (206, "bytes 995-999/1000", data[995:])),
            ((("Range", "bytes=-5000"),), (206, "bytes 0-999/1000", data)),
            ((("Range", "bytes=500-5000"),), (206, "bytes 500-999/1000", data[500:])),
            ((("Range", "bytes=1000-"),), (416, "bytes */1000", b"")),
            ((("Range", "bytes=-0"),), (416, "bytes */1000", b"")),
            ((("Range", "bytes=0-1,5-6"),), whole),
            ((("Range", "bytes=abc"),), whole),
            ((("Range", "bytes=9-3"),), whole),
            ((("Range", "lines=1-2"),), whole),
            ((("Range", "bytes=600-"), ("If-Range", etag)),
             (206, "bytes 600-999/1000", data[600:])),
            ((("Range", "bytes=600-"), ("If-Range", MTIME_TEXT)),
             (206, "bytes 600-999/1000", data[600:])),
            ((("Range", "bytes=600-"), ("If-Range", '"other"')), whole),
            ((("Range", "bytes=600-"), ("If-Range", "W/" + etag)), whole),
            ((("Range", "bytes=600-"), ("If-Range", SECOND_BEFORE)), whole),
            ((("Range", "bytes=600-"), ("If-None-Match", etag)), not_modified),
        ]
        for headers, (status, content_range, body) in cases:
            with self.subTest(headers=headers):
                head, got = self.get("/range.bin", headers=headers)
                got_status, fields = parse_head(head)
                self.assertEqual(got_status, status)
                self.assertEqual(fields.get("content-range"), content_range)
                self.assertEqual(got, body)
                self.assertEqual((fields["etag"], fields["last-modified"]), (etag, MTIME_TEXT))
                self.assertEqual(fields.get("content-length"),
                                 None if status == 304 else str(len(body)))
        head, body = raw_exchange(
            self.port, b"HEAD /range.bin HTTP/1.0\r\nRange: bytes=10-19\r\n\r\n")
        self.assertEqual(parse_head(head)[0], 200)
        self.assertEqual(parse_head(head)[1]["content-length"], "1000")
        self.assertEqual(body, b"")

    def test_body_bytes_sent_per_request_path_and_prefix(self):
        folder = "sent-%d" % time.monotonic_ns()
        os.makedirs(os.path.join(self.root.name, folder))
        for name, size in (("a.bin", 600), ("b.bin", 400)):
            with open(os.path.join(self.root.name, folder, name), "wb") as f:
                f.write(bytes(size))
        etag = parse_head(self.get(f"/{folder}/a.bin")[0])[1]["etag"]
        received = [600]
        for path, headers in ((f"/{folder}/b.bin", [("Range", "bytes=100-")]),
                              (f"/{folder}/a.bin", [("If-None-Match", etag)]),
                              (f"/{folder}/missing", []),
                              (f"/fault/drop/1000/{folder}", []),
                              (f"/fault/trickle/1/fault/pattern/20/{folder}", [])):
            received.append(len(self.get(path, headers=headers)[1]))
        raw_exchange(self.port, f"HEAD /{folder}/b.bin HTTP/1.0\r\n\r\n".encode())
        self.assertEqual(received[:5], [600, 300, 0, received[3], 500])
        self.assertEqual(get_json(self.port, f"/__sent?prefix=/{folder}/")[1], {
            "requests": 5, "done": 5, "body_bytes": 900 + received[3],
            "statuses": [200, 206, 304, 404, 200]})
        self.assertEqual(get_json(self.port, f"/__sent?path=/{folder}/a.bin")[1], {
            "requests": 2, "done": 2, "body_bytes": 600, "statuses": [200, 304]})
        for path, sent in ((f"/fault/drop/1000/{folder}", 500),
                           (f"/fault/trickle/1/fault/pattern/20/{folder}", 20)):
            self.assertEqual(get_json(self.port, "/__sent?path=" + path)[1]["body_bytes"], sent)
        last = self.recorded(f"/{folder}/b.bin")[-1]
        self.assertEqual((last["status"], last["body_bytes_sent"], last["done"]), (200, 0, True))
        # A client that stops reading and goes: what the socket took, more than it read.
        path = f"/fault/pattern/64m/{folder}"
        with open_request(self.port, path) as s:
            got = len(read_head_and(s, 100000)[1])
        self.assertTrue(wait_until(lambda: get_json(self.port, "/__sent?path=" + path)[1]["done"]))
        sent = get_json(self.port, "/__sent?path=" + path)[1]["body_bytes"]
        self.assertGreaterEqual(sent, got)
        self.assertLess(sent, 64 << 20)
        # A request still being answered counts, with no status before its head.
        path = f"/fault/silent/{folder}"
        with open_request(self.port, path):
            self.assertTrue(wait_until(lambda: self.recorded(path)))
            self.assertEqual(get_json(self.port, "/__sent?path=" + path)[1], {
                "requests": 1, "done": 0, "body_bytes": 0, "statuses": [None]})

    def test_reset_answers_nothing(self):
        with open_request(self.port, "/fault/reset/x") as s:
            with self.assertRaises(ConnectionResetError):
                s.recv(100)

    def test_host_goes_down_and_up_again(self):
        server = endpoint.make_server(0, self.root.name)
        thread = threading.Thread(target=server.serve_forever, daemon=True)
        thread.start()
        port, control = server.server_address[1], server.control.server_address[1]
        try:
            held = open_request(port, "/fault/silent/held-over")
            self.assertTrue(wait_until(lambda: json.loads(raw_exchange(
                control, b"GET /__connections?path=/fault/silent/held-over HTTP/1.0\r\n\r\n"
            )[1])["open"]))
            # Asked on the port itself: it answers, then refuses.
            self.assertEqual(get_json(port, "/__host/down"), (200, {
                "listening": False, "port": port, "control_port": control, "downs": 1,
                "error": None}))
            with self.assertRaises(ConnectionRefusedError):
                socket.create_connection(("127.0.0.1", port), timeout=5).close()
            still_silent(self, held)
            self.assertEqual(raw_exchange(control, b"GET /plain.txt HTTP/1.0\r\n\r\n")[1],
                             b"hello")
            self.assertEqual(get_json(control, "/__host/up")[1]["listening"], True)
            self.assertEqual(raw_exchange(port, b"GET /plain.txt HTTP/1.0\r\n\r\n")[1], b"hello")
            # cut=1 ends the connections being answered; ms=N listens again by itself.
            status, state = get_json(control, "/__host/down?cut=1&ms=300")
            self.assertEqual((status, state["downs"]), (200, 2))
            held.settimeout(10)
            self.assertEqual(held.recv(100), b"")
            held.close()
            self.assertTrue(wait_until(lambda: get_json(control, "/__host")[1]["listening"]))
            self.assertEqual(raw_exchange(port, b"GET /plain.txt HTTP/1.0\r\n\r\n")[1], b"hello")
            self.assertEqual(get_json(control, "/__host/down")[1]["downs"], 3)
        finally:
            # A server whose port is down stops as well.
            server.shutdown()
            server.server_close()
        with self.assertRaises(OSError):
            socket.create_connection(("127.0.0.1", control), timeout=2).close()

    def test_missing_file_and_escape_attempt(self):
        head, body = self.get("/nothing.here")
        self.assertTrue(head.startswith("HTTP/1.0 404"))
        self.assertIn(b"<html>", body)
        head, _ = self.get("/../../etc/passwd")
        self.assertNotIn("200", head.splitlines()[0])

    def test_status_page_has_html_body_and_length(self):
        head, body = self.get("/fault/status/404")
        self.assertTrue(head.startswith("HTTP/1.0 404"))
        self.assertIn(f"Content-Length: {len(body)}", head)
        self.assertIn(b"404", body)

    def test_no_length_body_ends_with_the_connection(self):
        head, body = self.get("/fault/no-length/100000")
        self.assertNotIn("Content-Length", head)
        self.assertEqual(body, routes.pattern_bytes(0, 100000))

    def test_redirect(self):
        head, _ = self.get("/fault/redirect/302/plain.txt?a=1")
        self.assertTrue(head.startswith("HTTP/1.0 302"))
        self.assertIn("Location: /plain.txt?a=1", head)

    def test_slow_first_byte(self):
        start = time.monotonic()
        _, body = self.get("/fault/slow/300/plain.txt")
        self.assertGreaterEqual(time.monotonic() - start, 0.3)
        self.assertEqual(body, b"hello")

    def test_drop_sends_half_of_what_it_promised(self):
        head, body = self.get("/fault/drop/1000")
        self.assertIn("Content-Length: 1000", head)
        self.assertEqual(body, routes.pattern_bytes(0, 500))

    def test_pattern_sizes_and_content(self):
        head, body = self.get("/fault/pattern/3m")
        self.assertIn(f"Content-Length: {3 << 20}", head)
        self.assertEqual(len(body), 3 << 20)
        self.assertEqual(body[:70000], routes.pattern_bytes(0, 70000))
        # Block boundaries shift every byte by one.
        self.assertEqual(body[65536], (body[0] + 1) & 0xFF)
        self.assertEqual(routes.pattern_bytes(65530, 12), body[65530:65542])
        self.assertIn("400", self.get("/fault/pattern/lots")[0].splitlines()[0])

    def test_empty_body(self):
        head, body = self.get("/fault/empty")
        self.assertIn("Content-Length: 0", head)
        self.assertEqual(body, b"")

    def test_length_header_verbatim(self):
        head, body = self.get("/fault/length/-5/10")
        self.assertIn("Content-Length: -5", head)
        self.assertEqual(body, routes.pattern_bytes(0, 10))

    def recorded(self, path):
        return json.loads(self.get("/__requests?path=" + urllib.parse.quote(path))[1])

    def test_silent_reads_the_request_and_never_answers(self):
        path = "/fault/silent/%d" % time.monotonic_ns()
        with open_request(self.port, path) as s:
            self.assertTrue(wait_until(lambda: self.recorded(path)))
            still_silent(self, s)

    def test_trickle_sends_the_whole_response_a_byte_at_a_time(self):
        normal_head, normal_body = self.get("/plain.txt?q=1")
        start = time.monotonic()
        head, body = self.get("/fault/trickle/5/plain.txt?q=1")
        elapsed = time.monotonic() - start
        self.assertEqual(without_date(head), without_date(normal_head))
        self.assertEqual(body, normal_body)
        # Every byte, those of the head too, waited its turn.
        self.assertGreaterEqual(elapsed, (len(head) + 4 + len(body)) * 0.005)

    def test_lie_announces_the_value_verbatim_and_sends_the_real_body(self):
        for value in ("2147483647", "10", "99999999999999999999"):
            with self.subTest(value=value):
                head, body = self.get(f"/fault/lie/{value}/plain.txt")
                self.assertTrue(head.startswith("HTTP/1.0 200"))
                lengths = [line for line in head.split("\r\n") if line.startswith("Content-Length")]
                self.assertEqual(lengths, [f"Content-Length: {value}"])
                self.assertEqual(body, b"hello")
        head, body = self.get("/fault/lie/5000/fault/pattern/100")
        self.assertIn("Content-Length: 5000\r\n", head + "\r\n")
        self.assertEqual(body, routes.pattern_bytes(0, 100))

    def test_half_silent_sends_half_and_holds_the_connection(self):
        with open_request(self.port, "/fault/half-silent/1001") as s:
            head, body = read_head_and(s, 500)
            self.assertIn("Content-Length: 1001", head)
            self.assertEqual(body, routes.pattern_bytes(0, 500))
            still_silent(self, s)

    def test_held_connections_end_when_their_clients_close(self):
        # Exchanges of the other checks end as their clients close.
        self.assertTrue(wait_until(lambda: not serving_threads()))
        paths = ["/fault/silent/held-%d" % i for i in range(4)]
        paths += ["/fault/trickle/60000/held-%d" % i for i in range(4)]
        paths += ["/fault/half-silent/64k/held-%d" % i for i in range(4)]
        sockets = [open_request(self.port, p) for p in paths]
        self.assertTrue(wait_until(lambda: all(
            self.connections(p) == {"seen": 1, "open": 1, "open_requests": [1]} for p in paths)))
        # A second request for one path counts apart from the first.
        again = open_request(self.port, paths[0])
        self.assertTrue(wait_until(lambda: self.connections(paths[0])["seen"] == 2))
        sockets[0].close()
        self.assertTrue(wait_until(lambda: self.connections(paths[0]) == {
            "seen": 2, "open": 1, "open_requests": [2]}))
        for s in sockets[1:] + [again]:
            s.close()
        self.assertTrue(wait_until(lambda: not serving_threads()),
                        [t.name for t in serving_threads()])
        for p in paths[1:]:
            self.assertEqual(self.connections(p), {"seen": 1, "open": 0, "open_requests": []})
        self.assertEqual(self.connections("/never/asked"),
                         {"seen": 0, "open": 0, "open_requests": []})

    def connections(self, path):
        return json.loads(self.get("/__connections?path=" + urllib.parse.quote(path))[1])

    def test_record_keeps_order_case_version_and_body(self):
        path = "/record/check-%d" % time.monotonic_ns()
        self.get(path, "HTTP/1.0", [("User-Agent", "UA x"), ("accept", "*/*"), ("X-Two", "2")])
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        conn.request("POST", path, body=b"a=1&b=2", headers={"Content-Type": "text/plain"})
        conn.getresponse().read()
        conn.close()
        _, body = self.get("/__requests?path=" + urllib.parse.quote(path))
        found = json.loads(body)
        self.assertEqual([r["method"] for r in found], ["GET", "POST"])
        self.assertEqual(found[0]["version"], "HTTP/1.0")
        self.assertEqual([n for n, _ in found[0]["headers"]],
                         ["Host", "User-Agent", "accept", "X-Two"])
        self.assertEqual(found[1]["version"], "HTTP/1.1")
        self.assertEqual(found[1]["body"], "a=1&b=2")
        _, raw = self.get("/__requests?format=raw&path=" + urllib.parse.quote(path))
        self.assertTrue(raw.startswith(
            f"GET {path} HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: UA x\r\n".encode()))

    def test_record_file_and_reset(self):
        with tempfile.TemporaryDirectory() as d:
            record = os.path.join(d, "requests.jsonl")
            server = endpoint.make_server(0, self.root.name, record)
            threading.Thread(target=server.serve_forever, daemon=True).start()
            try:
                port = server.server_address[1]
                raw_exchange(port, b"GET /plain.txt HTTP/1.0\r\n\r\n")
                raw_exchange(port, b"GET /__reset HTTP/1.0\r\n\r\n")
                _, body = raw_exchange(port, b"GET /__requests HTTP/1.0\r\n\r\n")
                self.assertEqual(json.loads(body), [])
                with open(record, encoding="utf-8") as f:
                    lines = [json.loads(line) for line in f]
                self.assertEqual([r["path"] for r in lines], ["/plain.txt"])
            finally:
                server.shutdown()
                server.server_close()

    def test_background_start_and_stop(self):
        with tempfile.TemporaryDirectory() as state:
            script = os.path.join(HERE, "endpoint.py")
            out = subprocess.run(
                [sys.executable, script, "--background", "--port", "0", "--root",
                 self.root.name, "--state-dir", state],
                capture_output=True, text=True, timeout=30)
            self.assertEqual(out.returncode, 0, out.stderr)
            port = int(out.stdout.strip())
            pid = int(endpoint._read(os.path.join(state, "pid")))
            control = int(endpoint._read(os.path.join(state, "control_port")))
            self.assertEqual(raw_exchange(port, b"GET /plain.txt HTTP/1.0\r\n\r\n")[1], b"hello")
            self.assertEqual(get_json(control, "/__host")[1]["port"], port)
            subprocess.run([sys.executable, script, "--stop", "--state-dir", state],
                           check=True, timeout=30)
            self.assertFalse(os.path.exists(os.path.join(state, "port")))
            self.assertFalse(os.path.exists(os.path.join(state, "control_port")))
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", port), timeout=2).close()
            self.assertFalse(endpoint._is_ours(pid, state))

    def test_a_taken_port_is_reported_and_the_start_fails(self):
        with socket.socket() as taken, tempfile.TemporaryDirectory() as state:
            taken.bind(("127.0.0.1", 0))
            taken.listen(1)
            port = taken.getsockname()[1]
            out = subprocess.run(
                [sys.executable, os.path.join(HERE, "endpoint.py"), "--background", "--port",
                 str(port), "--root", self.root.name, "--state-dir", state],
                capture_output=True, text=True, timeout=30)
            self.assertEqual(out.returncode, 1)
            with open(os.path.join(state, "log"), encoding="utf-8") as f:
                log = f.read()
            self.assertIn(f"cannot listen on 127.0.0.1:{port}", log)
            self.assertNotIn("Traceback", log)
            self.assertFalse(os.path.exists(os.path.join(state, "port")))


class ShareLatestTest(unittest.TestCase):
    """install_routes.py started as the end-to-end tests start it: which share page /share/latest
    serves, as chosen through /__share/latest, and the fault modes of the catalogue paths and the
    share page."""

    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.TemporaryDirectory()
        cls.addClassCleanup(cls.root.cleanup)
        for folder, name, size in (("pf", "悍警巨魔.zip", 301), ("imgs", "悍警巨魔.jpg", 120)):
            os.makedirs(os.path.join(cls.root.name, "lolbf", folder))
            with open(os.path.join(cls.root.name, "lolbf", folder, name), "wb") as f:
                f.write(routes.pattern_bytes(0, size))
        cls.state = tempfile.TemporaryDirectory()
        cls.addClassCleanup(cls.state.cleanup)
        script = os.path.join(HERE, "install_routes.py")
        # Stopped even when the rest of this set-up fails (cleanups run in reverse order).
        cls.addClassCleanup(subprocess.run, [sys.executable, script, "--stop", "--state-dir",
                                             cls.state.name], check=True, timeout=30)
        out = subprocess.run(
            [sys.executable, script, "--background", "--port", "0", "--root", cls.root.name,
             "--state-dir", cls.state.name],
            capture_output=True, text=True, timeout=30)
        if out.returncode != 0:
            raise RuntimeError(out.stderr)
        cls.port = int(out.stdout.strip())
        # What a new server does before anyone chooses: the usual page, counted.
        cls.first_page = cls.get("/share/latest")
        cls.first_state = cls.control()

    @classmethod
    def get(cls, path):
        head, body = raw_exchange(cls.port, f"GET {path} HTTP/1.0\r\n\r\n".encode("latin-1"))
        return int(head.split()[1]), body

    @classmethod
    def control(cls, query=""):
        status, body = cls.get("/__share/latest" + query)
        return status, json.loads(body) if status == 200 else body

    def test_starts_with_the_usual_page(self):
        self.assertEqual(self.first_page, self.get("/web/share/ok"))
        self.assertIn("<title>LOLQuillet V2.3 皮肤合集_免费高速下载".encode("utf-8"),
                      self.first_page[1])
        self.assertEqual(self.first_state, (200, {"variant": "ok", "served": 1}))

    def test_each_variant_and_missing(self):
        for variant in ("spaces", "no-title", "caps", "suffix-before", "two-titles", "ok"):
            with self.subTest(variant=variant):
                self.assertEqual(self.control("?variant=" + variant),
                                 (200, {"variant": variant, "served": 0}))
                page = self.get("/web/share/" + variant)
                self.assertEqual(page[0], 200)
                self.assertEqual(self.get("/share/latest"), page)
                self.assertEqual(self.get("/share/latest"), page)
                self.assertEqual(self.control(), (200, {"variant": variant, "served": 2}))
        self.assertEqual(self.control("?variant=missing")[0], 200)
        status, body = self.get("/share/latest")
        self.assertEqual(status, 404)
        self.assertNotIn("_免费高速下载".encode("utf-8"), body)
        self.assertEqual(self.control(), (200, {"variant": "missing", "served": 1}))
        self.control("?variant=ok")

    def test_misbehaving_packages_previews_and_share_page(self):
        targets = ["/lolbf/pf/悍警巨魔.zip", "/lolbf/imgs/悍警巨魔.jpg", "/share/latest"]
        for target in targets:
            quoted = urllib.parse.quote(target)
            normal_head, normal_body = raw_exchange(
                self.port, f"GET {quoted} HTTP/1.0\r\n\r\n".encode("latin-1"))
            self.assertTrue(normal_head.startswith("HTTP/1.0 200"), target)
            prefix = urllib.parse.quote(target.rsplit("/", 1)[0] + "/")
            if target == "/share/latest":
                prefix = quoted
            for mode in ("silent", "trickle:1", "lie:2147483647", "lie:999", "half-silent"):
                with self.subTest(target=target, mode=mode):
                    self.assertEqual(
                        self.get(f"/__install/fault?mode={mode}&prefix={prefix}&count=1")[0], 200)
                    with open_request(self.port, quoted) as s:
                        if mode == "silent":
                            self.assertTrue(wait_until(lambda: self.get(
                                "/__install/faults")[1] == b"{}"))
                            still_silent(self, s)
                        elif mode == "half-silent":
                            half = len(normal_body) // 2
                            head, body = read_head_and(s, half)
                            self.assertEqual(without_date(head), without_date(normal_head))
                            self.assertEqual(body, normal_body[:half])
                            still_silent(self, s)
                        else:
                            head, _, body = read_all(s).partition(b"\r\n\r\n")
                            head = head.decode("latin-1")
                            if mode.startswith("lie:"):
                                normal = without_date(normal_head).replace(
                                    f"Content-Length: {len(normal_body)}", "")
                                self.assertIn(f"Content-Length: {mode[4:]}", head)
                                self.assertNotIn(f"Content-Length: {len(normal_body)}\r", head)
                                for line in normal.split("\r\n"):
                                    self.assertIn(line, head)
                            else:
                                self.assertEqual(without_date(head), without_date(normal_head))
                            self.assertEqual(body, normal_body)
                    # count=1: the next request is served normally again.
                    self.assertEqual(raw_exchange(
                        self.port, f"GET {quoted} HTTP/1.0\r\n\r\n".encode("latin-1"))[1],
                        normal_body)
        self.assertEqual(self.get("/__install/fault?mode=hush&prefix=/share/latest")[0], 400)
        self.assertEqual(self.get("/__install/faults"), (200, b"{}"))
        for prefix in targets:
            self.get(f"/__install/fault?mode=silent&prefix={urllib.parse.quote(prefix)}")
        self.assertEqual(self.get("/__install/fault?clear=all")[0], 200)
        self.assertEqual(self.get("/__install/faults"), (200, b"{}"))

    def exchange(self, path, headers=()):
        """Status, headers (small letters) and body of a GET with these request headers."""
        lines = [f"GET {urllib.parse.quote(path, safe='/?&=%+:@')} HTTP/1.0"]
        lines += [f"{n}: {v}" for n, v in headers]
        head, body = raw_exchange(self.port, ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))
        status, fields = parse_head(head)
        return status, fields, body

    def version(self, query):
        status, body = self.get("/__install/version?" + query)
        self.assertEqual(status, 200, body)
        return json.loads(body)

    def test_a_new_version_at_a_path_has_validators_of_its_own(self):
        for path, size in (("/lolbf/pf/悍警巨魔.zip", 301), ("/lolbf/imgs/悍警巨魔.jpg", 120)):
            quoted = urllib.parse.quote(path)
            with self.subTest(path=path):
                status, first, body = self.exchange(path)
                self.assertEqual((status, body), (200, routes.pattern_bytes(0, size)))
                state = self.version(f"path={quoted}&content=v2%00%FF%2B+")
                self.assertEqual((state["source"], state["length"]), ("content", 6))
                self.assertNotEqual(state["etag"], first["etag"])
                dates = [routes.parse_http_date(first["last-modified"]),
                         routes.parse_http_date(state["last_modified"])]
                self.assertLess(dates[0], dates[1])
                status, fields, body = self.exchange(path, [("If-None-Match", first["etag"])])
                self.assertEqual((status, body), (200, b"v2\x00\xff+ "))
                self.assertEqual((fields["etag"], fields["last-modified"]),
                                 (state["etag"], state["last_modified"]))
                for condition, status in ((("If-None-Match", state["etag"]), 304),
                                          (("If-Modified-Since", state["last_modified"]), 304),
                                          (("If-Modified-Since", first["last-modified"]), 200)):
                    self.assertEqual(self.exchange(path, [condition])[0], status, condition)
                # A resumption against the old version gets the whole new one.
                self.assertEqual(self.exchange(path, [("Range", "bytes=2-"),
                                                      ("If-Range", first["etag"])])[::2],
                                 (200, b"v2\x00\xff+ "))
                # Each change, however quick, is later than the one before.
                stamps = [state["last_modified"]]
                for content in ("a", "b", "a"):
                    stamps.append(self.version(f"path={quoted}&content={content}")["last_modified"])
                seconds = [routes.parse_http_date(t) for t in stamps]
                self.assertEqual(seconds, sorted(set(seconds)))
                restored = self.version(f"path={quoted}&restore=1")
                self.assertEqual((restored["source"], restored["etag"]), ("file", first["etag"]))
                self.assertGreater(routes.parse_http_date(restored["last_modified"]), seconds[-1])
                self.assertEqual(self.exchange(path)[2], routes.pattern_bytes(0, size))
        # A path with no file: a stored zip of pattern bytes, a copy of another file, then none.
        path = "/lolbf/pf/new-%d.zip" % time.monotonic_ns()
        self.assertEqual(self.version("path=" + path)["source"], "none")
        self.assertEqual(self.exchange(path)[0], 404)
        state = self.version(f"path={path}&zip=1000&start=5")
        status, fields, body = self.exchange(path)
        self.assertEqual((status, fields["etag"], len(body)), (200, state["etag"], state["length"]))
        with zipfile.ZipFile(io.BytesIO(body)) as z:
            self.assertEqual(z.read("skin.bin"), routes.pattern_bytes(5, 1000))
        copy = self.version(f"path={path}&from={urllib.parse.quote('/lolbf/imgs/悍警巨魔.jpg')}")
        self.assertEqual(copy["etag"], self.exchange("/lolbf/imgs/悍警巨魔.jpg")[1]["etag"])
        self.assertEqual(self.exchange(path)[2], routes.pattern_bytes(0, 120))
        self.assertEqual(self.get("/__install/version?path=/x&from=/lolbf/none")[0], 404)
        self.assertEqual(self.version(f"path={path}&restore=1")["source"], "none")
        self.assertEqual(self.exchange(path)[0], 404)
        self.version(f"path={path}&content=x")
        self.assertEqual(self.get("/__install/version?clear=all"), (200, b"ok"))
        self.assertEqual(self.exchange(path)[0], 404)

    def test_broken_stalled_and_range_ignoring_transfers(self):
        path = "/lolbf/pf/悍警巨魔.zip"
        quoted = urllib.parse.quote(path)
        data = routes.pattern_bytes(0, 301)
        cases = [
            # mode, Range, status, Content-Range, body sent, then silence (else the close)
            ("break:100", None, 200, None, data[:100], False),
            ("break:100", "200-", 206, "bytes 200-300/301", data[200:300], False),
            ("break:50%", None, 200, None, data[:150], False),
            ("break:50%", "101-", 206, "bytes 101-300/301", data[101:201], False),
            ("break:@120", None, 200, None, data[:120], False),
            ("break:@120", "100-", 206, "bytes 100-300/301", data[100:120], False),
            ("break:@120", "150-", 206, "bytes 150-300/301", b"", False),
            ("break:1k", None, 200, None, data, False),
            ("stall:64", None, 200, None, data[:64], True),
            ("stall:10", "290-", 206, "bytes 290-300/301", data[290:300], True),
            ("norange", "100-", 200, None, data, False),
            ("norange+break:30", "100-", 200, None, data[:30], False),
        ]
        for mode, wanted, status, content_range, body, stalls in cases:
            with self.subTest(mode=mode, range=wanted):
                before = get_json(self.port, "/__sent?path=" + quoted)[1]["body_bytes"]
                self.assertEqual(self.get(f"/__install/fault?mode={urllib.parse.quote(mode)}"
                                          f"&prefix={quoted}&count=1")[0], 200)
                request = f"GET {quoted} HTTP/1.0\r\n" + (
                    f"Range: bytes={wanted}\r\n" if wanted else "") + "\r\n"
                with socket.create_connection(("127.0.0.1", self.port), timeout=10) as s:
                    s.sendall(request.encode("latin-1"))
                    if stalls:
                        head, got = read_head_and(s, len(body))
                        still_silent(self, s)
                    else:
                        head, _, got = read_all(s).partition(b"\r\n\r\n")
                        head = head.decode("latin-1")
                got_status, fields = parse_head(head)
                self.assertEqual((got_status, fields.get("content-range"), got),
                                 (status, content_range, body))
                whole = len(data) if status == 200 else len(data) - int(wanted[:-1])
                self.assertEqual(fields["content-length"], str(whole))
                self.assertEqual("accept-ranges" in fields, not mode.startswith("norange"))
                self.assertTrue(wait_until(lambda: get_json(
                    self.port, "/__sent?path=" + quoted)[1]["body_bytes"] == before + len(body)))
        # A transfer broken twice, then resumed where it stopped.
        self.get(f"/__install/fault?mode=break:@100&prefix={quoted}&count=2")
        status, fields, first = self.exchange(path)
        status, fields, second = self.exchange(path, [("Range", "bytes=50-")])
        self.assertEqual((first, second), (data[:100], data[50:100]))
        status, _, rest = self.exchange(path, [("Range", "bytes=100-"),
                                               ("If-Range", fields["etag"])])
        self.assertEqual((status, first + rest), (206, data))
        self.get(f"/__install/fault?mode=reset&prefix={quoted}&count=1")
        with open_request(self.port, quoted) as s:
            with self.assertRaises(ConnectionResetError):
                s.recv(100)
        for bad in ("break", "break:x", "stall:101%", "norange+norange", "break:1+stall:2",
                    "norange:1", "break:5+"):
            with self.subTest(mode=bad):
                self.assertEqual(self.get(f"/__install/fault?mode={urllib.parse.quote(bad)}"
                                          f"&prefix={quoted}")[0], 400)
        self.assertEqual(self.get("/__install/faults"), (200, b"{}"))

    def test_generated_packages_answer_ranges(self):
        path = "/install/zip/70000/ranges"
        status, fields, whole = self.exchange(path)
        with zipfile.ZipFile(io.BytesIO(whole)) as z:
            self.assertEqual(z.read("skin.bin"), routes.pattern_bytes(0, 70000))
        self.assertEqual(fields["last-modified"], "Mon, 01 Jan 2024 00:00:00 GMT")
        last = len(whole) - 1
        # Pieces within and across the zip's head, its entry's blocks and its tail.
        for first, end in ((0, 9), (25, 40), (65560, 65600), (last - 60, last), (70030, last)):
            with self.subTest(first=first, end=end):
                status, got, body = self.exchange(path, [("Range", f"bytes={first}-{end}"),
                                                         ("If-Range", fields["etag"])])
                self.assertEqual((status, got["content-range"], body),
                                 (206, f"bytes {first}-{end}/{len(whole)}", whole[first:end + 1]))
        self.assertEqual(self.exchange(path, [("If-None-Match", fields["etag"])])[0], 304)
        self.get("/__install/fault?mode=break:@1000&prefix=/install/zip/70000/ranges&count=1")
        self.assertEqual(self.exchange(path)[2], whole[:1000])

    def test_unknown_variant_is_refused_and_changes_nothing(self):
        self.control("?variant=caps")
        self.get("/share/latest")
        for bad in ("nothing", "", "..%2Fok", "ok%2F"):
            with self.subTest(variant=bad):
                self.assertEqual(self.control("?variant=" + bad)[0], 400)
                self.assertEqual(self.control(), (200, {"variant": "caps", "served": 1}))
        self.control("?variant=ok")
        self.assertEqual(self.get("/share/latest"), self.get("/web/share/ok"))


if __name__ == "__main__":
    unittest.main()
