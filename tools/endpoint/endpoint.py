#!/usr/bin/env python3
"""Local HTTP test endpoint on 127.0.0.1.

    endpoint.py --port N --root DIR [--record FILE]           serve in the foreground
    endpoint.py --background --state-dir D --port N --root DIR  start detached, wait until it
                                                               listens, print the port, exit
    endpoint.py --stop --state-dir D                          stop the one started with D

--port 0 picks a free port. With --state-dir the server writes D/port and D/pid once it listens
and logs to D/log. Routes are in routes.py (see README.md).
"""

import argparse
import base64
import http.server
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import routes  # noqa: E402


class Endpoint:
    """What the routes share: the root directory, the request record, the options and the
    connections per path."""

    def __init__(self, root, recorder, options=None):
        self.root = root
        self.recorder = recorder
        self.options = options or {}
        self.connections = routes.Connections()


def printable_target(target):
    """The request target as sent, with bytes beyond ASCII written as %XX."""
    return "".join(c if ord(c) < 0x80 else "%%%02X" % ord(c) for c in target)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "lq-endpoint"
    verbose = False

    def handle_one_request(self):
        # The base class reads the request line and headers; everything else happens in _serve.
        try:
            super().handle_one_request()
        except (ConnectionError, BrokenPipeError):
            self.close_connection = True

    def _serve(self):
        length = self.headers.get("Content-Length")
        body = b""
        if length and length.strip().isdigit():
            body = self.rfile.read(int(length))
        record = {
            "time": time.time(),
            "client": self.client_address[0],
            "method": self.command,
            "target": printable_target(self.path),
            "path": routes.decode_path(self.path.split("?", 1)[0]),
            "version": self.request_version,
            "headers": [[n, v] for n, v in self.headers.items()],
            "body": body.decode("utf-8", "replace"),
            "body_base64": base64.b64encode(body).decode("ascii"),
            "body_bytes": body,
        }
        ex = routes.Exchange(self, self.server.endpoint, record)
        number = None
        if not ex.path.startswith("/__"):
            self.server.endpoint.recorder.add(record)
            number = self.server.endpoint.connections.opened(record["path"])
        try:
            ex.route(ex)
        except (ConnectionError, BrokenPipeError):
            self.close_connection = True
        finally:
            if number is not None:
                self.server.endpoint.connections.closed(record["path"], number)

    do_GET = do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = _serve

    def log_message(self, fmt, *args):
        if self.verbose:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    # Connections held open on purpose (silent routes) must not hold up the server's end.
    block_on_close = False
    allow_reuse_address = True
    request_queue_size = 64

    def server_close(self):
        super().server_close()
        # Absent when binding failed: the base class closes the socket before make_server sets it.
        endpoint = getattr(self, "endpoint", None)
        if endpoint is not None:
            endpoint.recorder.close()


def make_server(port, root, record=None, verbose=False):
    """A server bound to 127.0.0.1:port (0 picks one); run it with serve_forever()."""
    handler = type("BoundHandler", (Handler,), {"verbose": verbose})
    server = Server(("127.0.0.1", port), handler)
    server.endpoint = Endpoint(root, routes.Recorder(record))
    return server


def _write_atomically(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text)
    os.replace(tmp, path)


def _state(state_dir, name):
    return os.path.join(state_dir, name)


def _read(path):
    with open(path) as f:
        return f.read().strip()


def _is_ours(pid, state_dir, script="endpoint.py"):
    """True when pid runs `script` (this server or one that extends it) with this state directory."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            args = f.read().split(b"\0")
    except OSError:
        return False
    return (any(a.endswith(os.fsencode(script)) for a in args)
            and os.fsencode(os.path.abspath(state_dir)) in args)


def stop(state_dir, script="endpoint.py"):
    pid_file = _state(state_dir, "pid")
    try:
        pid = int(_read(pid_file))
    except (OSError, ValueError):
        return 0
    if _is_ours(pid, state_dir, script):
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            if not _is_ours(pid, state_dir, script):
                break
            time.sleep(0.05)
        else:
            os.kill(pid, signal.SIGKILL)
    for name in ("pid", "port"):
        try:
            os.remove(_state(state_dir, name))
        except OSError:
            pass
    return 0


def start_background(args):
    state_dir = os.path.abspath(args.state_dir)
    os.makedirs(state_dir, exist_ok=True)
    stop(state_dir)  # a server left over from an interrupted run
    command = [sys.executable, os.path.abspath(__file__), "--port", str(args.port),
               "--root", os.path.abspath(args.root), "--state-dir", state_dir]
    if args.record:
        command += ["--record", os.path.abspath(args.record)]
    if args.verbose:
        command.append("--verbose")
    with open(_state(state_dir, "log"), "ab") as log:
        child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                 start_new_session=True, close_fds=True)
    port_file = _state(state_dir, "port")
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if child.poll() is not None:
            sys.stderr.write(f"endpoint exited with {child.returncode}; see {state_dir}/log\n")
            return 1
        if os.path.exists(port_file):
            print(_read(port_file))
            return 0
        time.sleep(0.05)
    child.kill()
    sys.stderr.write("endpoint did not start listening in time\n")
    return 1


def serve(args):
    try:
        server = make_server(args.port, args.root, args.record, args.verbose)
    except OSError as e:
        print(f"cannot listen on 127.0.0.1:{args.port}: {e.strerror}", file=sys.stderr, flush=True)
        return 1
    if args.state_dir:
        state_dir = os.path.abspath(args.state_dir)
        _write_atomically(_state(state_dir, "pid"), str(os.getpid()))
        _write_atomically(_state(state_dir, "port"), str(server.server_address[1]))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print(f"listening on 127.0.0.1:{server.server_address[1]}", file=sys.stderr, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--root", default=".")
    p.add_argument("--record", help="write every request as a JSON line to this file (emptied at start)")
    p.add_argument("--state-dir", help="where the port, pid and log files go")
    p.add_argument("--background", action="store_true")
    p.add_argument("--stop", action="store_true")
    p.add_argument("--verbose", action="store_true")
    args = p.parse_args(argv)
    if args.stop or args.background:
        if not args.state_dir:
            p.error("--background and --stop need --state-dir")
        return stop(os.path.abspath(args.state_dir)) if args.stop else start_background(args)
    return serve(args)


if __name__ == "__main__":
    sys.exit(main())
