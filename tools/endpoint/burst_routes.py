#!/usr/bin/env python3
"""A route for a body that comes fast and then slowly, with the endpoint (endpoint.py) around it.

    burst_routes.py [endpoint.py arguments]   serve, start detached (--background) or stop (--stop)

    /fault/burst/<burst>/<tail>/<bytes per second>
        200 announcing <burst> + <tail> pattern bytes: the first <burst> at once, then the
        <tail> in pieces of 256 bytes at <bytes per second> (sizes as "123", "64k", "4m")

The tail ends early when the client goes away.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import endpoint  # noqa: E402
from routes import iter_pattern, parse_size, pattern_bytes, route  # noqa: E402

_PIECE = 256


@route("/fault/burst/")
def fault_burst(ex):
    parts = ex.rest.split("/")
    sizes = [parse_size(p) for p in parts[:2]] if len(parts) >= 3 else []
    rate = int(parts[2]) if len(parts) >= 3 and parts[2].isdigit() else 0
    if len(sizes) != 2 or None in sizes or rate <= 0:
        ex.send_error_page(400, "/fault/burst/<burst>/<tail>/<bytes per second> expected")
        return
    burst, tail = sizes
    ex.send_head(200, [("Content-Type", "application/octet-stream")], burst + tail)
    for block in iter_pattern(burst):
        ex.write(block)
    ex.handler.wfile.flush()
    start = time.monotonic()
    for sent in range(0, tail, _PIECE):
        # Piece by piece on a schedule of its own, so that the rate holds whatever a write costs.
        wait = start + sent / rate - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        try:
            ex.write(pattern_bytes(burst + sent, min(_PIECE, tail - sent)))
            ex.handler.wfile.flush()
        except OSError:
            return


if __name__ == "__main__":
    sys.exit(endpoint.run_script(__file__))
