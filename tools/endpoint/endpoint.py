#!/usr/bin/env python3
"""Local HTTP test endpoint on 127.0.0.1.

    endpoint.py --port N --root DIR [--record FILE]           serve in the foreground
    endpoint.py --background --state-dir D --port N --root DIR  start detached, wait until it
                                                               listens, print the port, exit
    endpoint.py --stop --state-dir D                          stop the one started with D

--port 0 picks a free port. With --state-dir the server writes D/port, D/control_port and D/pid
once it listens and logs to D/log. The control port (--control-port, free by default) answers like
the port but keeps listening while /__host/down has the port refused. Routes are in routes.py (see
README.md).
"""

import argparse
import base64
import errno
import http.server
import io
import os
import select
import signal
import socket
import subprocess
import sys
import threading
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
        self.host = None  # the Server of the port that /__host/down closes


class CountingWriter(io.BufferedIOBase):
    """The connection's output stream: writes straight to the socket and counts the bytes of body
    the socket took, everything after the first blank line of the answer, into the request's
    record ("body_bytes_sent")."""

    def __init__(self, sock):
        self._sock = sock
        self.start(None)

    def start(self, record):
        """Counts from here for the request whose kept record is `record` (None: none)."""
        self.record = record
        self.body = 0
        self._head_tail = b""  # the last bytes of the head so far; None once the head is over

    def writable(self):
        return True

    def write(self, b):
        with memoryview(b) as view, view.cast("B") as data:
            total = len(data)
            sent = 0
            while sent < total:
                n = self._sock.send(data[sent:])
                self._count(data[sent:sent + n])
                sent += n
        return total

    def _count(self, data):
        if self._head_tail is not None:
            seen = self._head_tail + bytes(data)
            end = seen.find(b"\r\n\r\n")
            if end < 0:
                self._head_tail = seen[-3:]
                return
            self._head_tail = None
            self.body += len(seen) - end - 4
        else:
            self.body += len(data)
        if self.record is not None:
            self.record["body_bytes_sent"] = self.body

    def fileno(self):
        return self._sock.fileno()


def printable_target(target):
    """The request target as sent, with bytes beyond ASCII written as %XX."""
    return "".join(c if ord(c) < 0x80 else "%%%02X" % ord(c) for c in target)


_CUT_ERRNOS = (errno.EBADF, errno.ENOTCONN, errno.EPIPE, errno.ESHUTDOWN)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "lq-endpoint"
    verbose = False

    def setup(self):
        super().setup()
        self.wfile = CountingWriter(self.connection)
        self.server.track(self.connection, True)

    def finish(self):
        self.server.track(self.connection, False)
        super().finish()

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
        kept = None
        counter = self.wfile
        if not ex.path.startswith("/__"):
            kept = self.server.endpoint.recorder.add(record)
            counter.start(kept)
            number = self.server.endpoint.connections.opened(record["path"])
        try:
            ex.route(ex)
        except OSError as e:
            # The client went, or the connection was cut (a reset, /__host/down?cut=1).
            if not isinstance(e, ConnectionError) and e.errno not in _CUT_ERRNOS:
                raise
            self.close_connection = True
        finally:
            if kept is not None:
                kept["status"] = ex.sent_status
                kept["done"] = True
            counter.start(None)
            if number is not None:
                self.server.endpoint.connections.closed(record["path"], number)

    do_GET = do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = _serve

    def log_message(self, fmt, *args):
        if self.verbose:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))


class Server(http.server.ThreadingHTTPServer):
    """The threaded server, with a port that can stop listening and listen again (go_down,
    go_up) while the connections it accepted go on."""

    daemon_threads = True
    # Connections held open on purpose (silent routes) must not hold up the server's end.
    block_on_close = False
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, handler):
        # Set before the base class binds: it calls server_close() when that fails.
        self._cond = threading.Condition()
        self._want_listening = True
        self._listening = True
        self._stopping = False
        self._loop_ended = threading.Event()
        self._loop_ended.set()
        self._wake_r, self._wake_w = socket.socketpair()
        self._live = set()
        self._timer = None
        self.downs = 0
        self.bind_error = None
        self.control = None  # the Server of the control port, when there is one
        super().__init__(address, handler)

    def track(self, connection, alive):
        with self._cond:
            if alive:
                self._live.add(connection)
            else:
                self._live.discard(connection)

    def _wake(self):
        try:
            self._wake_w.send(b"x")
        except OSError:
            pass

    def _switch(self):
        """Closes or opens the listening socket as wanted (in the serving loop, _cond held)."""
        if not self._want_listening:
            self.socket.close()
            self._listening = False
            self.downs += 1
        else:
            sock = socket.socket(self.address_family, self.socket_type)
            try:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
                sock.bind(self.server_address)
                sock.listen(self.request_queue_size)
            except OSError as e:
                sock.close()
                self.bind_error = e.strerror  # tried again on the next round
                return
            self.socket = sock
            self.bind_error = None
            self._listening = True
        self._cond.notify_all()

    def serve_forever(self, poll_interval=0.2):
        self._loop_ended.clear()
        try:
            while True:
                with self._cond:
                    if self._stopping:
                        return
                    if self._listening != self._want_listening:
                        self._switch()
                    listening = self._listening
                watched = [self._wake_r] + ([self.socket] if listening else [])
                readable, _, _ = select.select(watched, [], [], poll_interval)
                if self._wake_r in readable:
                    self._wake_r.recv(4096)
                if listening and self.socket in readable:
                    self._handle_request_noblock()
                self.service_actions()
        finally:
            self._loop_ended.set()

    def shutdown(self):
        with self._cond:
            self._stopping = True
        self._wake()
        self._loop_ended.wait()

    def _listen(self, want, timeout=5.0):
        with self._cond:
            self._want_listening = want
        self._wake()
        with self._cond:
            return self._cond.wait_for(lambda: self._listening == want or self._stopping, timeout)

    def go_down(self, ms=None, cut=False, keep=None):
        """Stops listening, so that connections are refused; with `ms`, listens again after that
        long. cut=True also shuts the connections being answered, except `keep`. True once the
        port is closed."""
        with self._cond:
            if self._timer is not None:
                self._timer.cancel()
                self._timer = None
        ok = self._listen(False)
        if cut:
            with self._cond:
                live = [c for c in self._live if c is not keep]
            for connection in live:
                try:
                    connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
        if ms is not None:
            with self._cond:
                self._timer = threading.Timer(ms / 1000.0, self.go_up)
                self._timer.daemon = True
                self._timer.start()
        return ok

    def go_up(self):
        """Listens again on the same port; True once it does."""
        with self._cond:
            if self._timer is not None:
                self._timer.cancel()
                self._timer = None
        return self._listen(True)

    def host_state(self):
        with self._cond:
            return {"listening": self._listening, "port": self.server_address[1],
                    "control_port": self.control.server_address[1] if self.control else None,
                    "downs": self.downs, "error": self.bind_error}

    def server_close(self):
        with self._cond:
            if self._timer is not None:
                self._timer.cancel()
        super().server_close()
        self._wake_r.close()
        self._wake_w.close()
        if self.control is not None:
            self.control.shutdown()
            self.control.server_close()
        # Absent when binding failed: the base class closes the socket before make_server sets it.
        endpoint = getattr(self, "endpoint", None)
        if endpoint is not None:
            endpoint.recorder.close()


def make_server(port, root, record=None, verbose=False, control_port=0):
    """A server bound to 127.0.0.1:port (0 picks one); run it with serve_forever(). Its control
    port (server.control, 0 picks one) answers the same routes from a thread of its own and goes
    on listening while the port is down."""
    handler = type("BoundHandler", (Handler,), {"verbose": verbose})
    server = Server(("127.0.0.1", port), handler)
    server.endpoint = Endpoint(root, routes.Recorder(record))
    server.endpoint.host = server
    try:
        control = Server(("127.0.0.1", control_port), handler)
    except OSError as e:
        server.server_close()
        raise OSError(e.errno, e.strerror, str(control_port)) from e
    control.endpoint = server.endpoint
    server.control = control
    threading.Thread(target=control.serve_forever, daemon=True, name="control port").start()
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
    for name in ("pid", "port", "control_port"):
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
               "--control-port", str(args.control_port), "--root", os.path.abspath(args.root),
               "--state-dir", state_dir]
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
        server = make_server(args.port, args.root, args.record, args.verbose, args.control_port)
    except OSError as e:
        port = args.port if e.filename is None else e.filename
        print(f"cannot listen on 127.0.0.1:{port}: {e.strerror}", file=sys.stderr, flush=True)
        return 1
    if args.state_dir:
        state_dir = os.path.abspath(args.state_dir)
        _write_atomically(_state(state_dir, "pid"), str(os.getpid()))
        _write_atomically(_state(state_dir, "control_port"), str(server.control.server_address[1]))
        # Last: the port file tells --background that the server is ready.
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
    p.add_argument("--control-port", type=int, default=0,
                   help="the port that stays open while /__host/down refuses --port (0: free)")
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


def run_script(script_file, argv=None):
    """main() for a script that adds routes and serves them with this endpoint: its detached
    server (--background) runs that script again, and --stop recognises it by its name."""
    argv = sys.argv[1:] if argv is None else argv
    script = os.path.basename(script_file)
    state_dir = None
    if "--state-dir" in argv:
        state_dir = os.path.abspath(argv[argv.index("--state-dir") + 1])
    if "--stop" in argv:
        return stop(state_dir, script=script) if state_dir else 2
    if "--background" in argv and state_dir:
        stop(state_dir, script=script)  # one left over from an interrupted run
    global __file__
    __file__ = os.path.abspath(script_file)
    return main(argv)


if __name__ == "__main__":
    sys.exit(main())
