"""Routes for the tests of the HTTP request and the version notice's page.

    /web/echo/<any>          200, "ok <METHOD>" as text (no body for HEAD)
    /web/set-cookie/<any>    200 with a "Set-Cookie: v" header for each query value c=v and a
                             "set-cookie: v" header (small letters) for each lc=v
    /web/long-headers/<n>    200 whose headers take about n bytes (default 6000), then
                             "Set-Cookie: z=9"
    /web/share/<variant>     the share page in UTF-8; variants below (SHARE_VARIANTS)
    /web/last?path=P         the head of the last recorded request whose path is P (UTF-8 or GBK
                             bytes, percent-encoded) as the server read it, a blank line, then
                             that request's body bytes; 404 without one

Requests in absolute form ("GET http://host/path HTTP/1.1", as a client sends them to a proxy)
are answered like requests for their path and recorded with the absolute target, so the endpoint
also plays an HTTP proxy for any host name.
"""

import base64
import os
import sys
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from routes import raw_head, route, text_of  # noqa: E402

# The share service's fixed title suffix and the shared item's name on the test pages.
SHARE_TITLE_SUFFIX = "_免费高速下载|百度云 网盘-分享无限制</title>"
SHARE_ITEM_NAME = "LOLQuillet V2.3 皮肤合集"


def _page(head, body="<p>分享文件</p>"):
    return (f'<!DOCTYPE html><html><head><meta charset="utf-8">{head}</head>'
            f"<body>{body}</body></html>")


SHARE_VARIANTS = {
    # The usual page: the item's name followed by the suffix.
    "ok": _page(f"<title>{SHARE_ITEM_NAME}{SHARE_TITLE_SUFFIX}"),
    # Spaces and a line break inside the title are part of the name.
    "spaces": _page(f"<title> {SHARE_ITEM_NAME}\r\n{SHARE_TITLE_SUFFIX}"),
    "no-title": _page('<meta name="x" content="y">'),
    "caps": _page(f"<TITLE>{SHARE_ITEM_NAME}{SHARE_TITLE_SUFFIX.replace('title', 'TITLE')}"),
    # The suffix only before the title element.
    "suffix-before": _page(f'<meta name="d" content="{SHARE_ITEM_NAME}{SHARE_TITLE_SUFFIX}">'
                           f"<title>{SHARE_ITEM_NAME}</title>"),
    "two-titles": _page(f"<title>第一{SHARE_TITLE_SUFFIX}<title>第二{SHARE_TITLE_SUFFIX}"),
}


@route("/web/echo/")
def echo(ex):
    ex.send(200, f"ok {ex.method}".encode("ascii"), [("Content-Type", "text/plain")])


@route("/web/set-cookie/")
def set_cookie(ex):
    # Query bytes one character each, so that any bytes reach the header as they are.
    query = urllib.parse.parse_qs(ex.raw_query, keep_blank_values=True, encoding="latin-1")
    headers = [("Content-Type", "text/plain")]
    headers += [("Set-Cookie", v) for v in query.get("c", [])]
    headers += [("set-cookie", v) for v in query.get("lc", [])]
    ex.send(200, b"cookies", headers)


@route("/web/long-headers/")
def long_headers(ex):
    total = int(ex.rest) if ex.rest.isdigit() else 6000
    headers = [("Content-Type", "text/plain")]
    size = 0
    index = 0
    while size < total:
        value = "x" * 90
        headers.append((f"X-Filler-{index:03d}", value))
        size += len(value) + 16
        index += 1
    headers.append(("Set-Cookie", "z=9; path=/"))
    ex.send(200, b"long headers", headers)


@route("/web/share/")
def share_page(ex):
    page = SHARE_VARIANTS.get(ex.rest)
    if page is None:
        ex.send_error_page(404, ex.path)
        return
    ex.send(200, page.encode("utf-8"), [("Content-Type", "text/html; charset=utf-8")])


@route("/web/last")
def last_request(ex):
    query = urllib.parse.parse_qs(ex.raw_query, keep_blank_values=True, encoding="latin-1")
    path = text_of(query.get("path", [""])[-1].encode("latin-1"))
    found = ex.endpoint.recorder.matching(path=path) if path else []
    if not found:
        ex.send(404, b"no such request", [("Content-Type", "text/plain")])
        return
    record = found[-1]
    # The head as the server read it: its text is the bytes of the request, one character each.
    head = raw_head(record).encode("latin-1", "replace")
    ex.send(200, head + base64.b64decode(record["body_base64"]),
            [("Content-Type", "application/octet-stream")])
