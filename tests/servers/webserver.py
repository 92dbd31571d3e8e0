#!/usr/bin/env python3
"""A local stand-in for the auction site's pages, on 127.0.0.1 only.

  /             a page with the site logo as an <img>, as a signed-in page shows it
  /nologo/      the same page without the logo (the site is down or changed)
  /slow/        answers after 15 seconds, for time-outs
  /error/       500
  /Lotwise.htm  a small page of our own
  /aw/pics/navbar/eBayLogoTM.gif  the logo itself

Usage: webserver.py PORT
"""

import http.server
import sys
import time

LOGO_PATH = "/aw/pics/navbar/eBayLogoTM.gif"

# A 1 x 1 transparent GIF.
LOGO = bytes.fromhex(
    "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b")


def page(title, body):
    return ("<!DOCTYPE html>\n<html><head><title>%s</title></head>\n<body>\n%s\n</body></html>\n"
            % (title, body)).encode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "LotwiseTestWeb/1.0"

    def send(self, status, body, content_type="text/html; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        port = self.server.server_address[1]
        if path == "/":
            self.send(200, page("Auctions", (
                '<a href="/"><img src="http://127.0.0.1:%d%s" width="1" height="1" alt="Home"></a>\n'
                "<p>Welcome back.</p>") % (port, LOGO_PATH)))
        elif path == "/nologo/":
            self.send(200, page("Auctions", "<p>This page has no logo.</p>"))
        elif path == "/slow/":
            time.sleep(15)
            self.send(200, page("Slow", "<p>Sorry for the wait.</p>"))
        elif path == "/error/":
            self.send(500, page("Server error", "<p>Something went wrong.</p>"))
        elif path == "/Lotwise.htm":
            self.send(200, page("Lotwise", "<h1>Lotwise</h1>\n<p>Help for auction sellers.</p>"))
        elif path == LOGO_PATH:
            self.send(200, LOGO, "image/gif")
        else:
            self.send(404, page("Not found", "<p>No such page.</p>"))

    do_HEAD = do_GET

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), format % args))
        sys.stderr.flush()


def main():
    if len(sys.argv) != 2 or not sys.argv[1].isdigit():
        sys.exit("usage: webserver.py PORT")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
    # A slow request still running must not hold up stopping the server.
    server.daemon_threads = True
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
