#!/usr/bin/env python3
"""The local test endpoint (endpoint.py) with the routes of web_routes.py added.

Takes the same arguments as endpoint.py; --background starts this script again, detached.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import endpoint  # noqa: E402
import web_routes  # noqa: E402,F401  (registers the routes)

if __name__ == "__main__":
    # The detached server that --background starts must load these routes too.
    endpoint.__file__ = os.path.abspath(__file__)
    sys.exit(endpoint.main())
