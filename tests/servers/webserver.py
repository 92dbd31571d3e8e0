#!/usr/bin/env python3
"""A local stand-in for the auction site's pages, on loopback addresses only.

127.0.0.1 is the site itself: / is its home page (which, like the real one, changes; the
online check asks only for a successful answer), /slow/ answers after 15 seconds, /error/
with 500, /Lotwise.htm is a small page of our own and anything else is 404. The same port on
other loopback addresses stands for a site in trouble, every page alike: 127.0.0.2 has moved
(301 to the home page on 127.0.0.1), 127.0.0.3 answers 404, 127.0.0.4 500, and 127.0.0.5
answers after 15 seconds.

Usage: webserver.py PORT
"""

import http.server
import sys
import threading
import time

SITE = "127.0.0.1"
TROUBLED = {"127.0.0.2": "moved", "127.0.0.3": 404, "127.0.0.4": 500, "127.0.0.5": "slow"}


def page(title, body):
    return ("<!DOCTYPE html>\n<html><head><title>%s</title></head>\n<body>\n%s\n</body></html>\n"
            % (title, body)).encode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "LotwiseTestWeb/1.0"

    def send(self, status, body, headers=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        address, port = self.server.server_address
        trouble = TROUBLED.get(address)
        path = self.path.split("?", 1)[0]
        if trouble == "moved":
            self.send(301, page("Moved", "<p>We have moved.</p>"),
                      headers=[("Location", "http://%s:%d/" % (SITE, port))])
        elif trouble == 404 or (trouble is None and path not in ("/", "/slow/", "/error/",
                                                                 "/Lotwise.htm")):
            self.send(404, page("Not found", "<p>No such page.</p>"))
        elif trouble == 500 or path == "/error/":
            self.send(500, page("Server error", "<p>Something went wrong.</p>"))
        elif trouble == "slow" or path == "/slow/":
            time.sleep(15)
            self.send(200, page("Slow", "<p>Sorry for the wait.</p>"))
        elif path == "/Lotwise.htm":
            self.send(200, page("Lotwise", "<h1>Lotwise</h1>\n<p>Help for auction sellers.</p>"))
        else:
            self.send(200, page("Auctions", '<nav><a href="/">Home</a></nav>\n<p>Welcome back.</p>'))

    do_HEAD = do_GET

    def log_message(self, format, *args):
        sys.stderr.write("%s %s %s\n" % (self.log_date_time_string(),
                                         self.server.server_address[0], format % args))
        sys.stderr.flush()


def main():
    if len(sys.argv) != 2 or not sys.argv[1].isdigit():
        sys.exit("usage: webserver.py PORT")
    # The site's own address last: once it answers, every address is listening.
    servers = [http.server.ThreadingHTTPServer((address, int(sys.argv[1])), Handler)
               for address in list(TROUBLED) + [SITE]]
    for server in servers:
        # A slow request still running must not hold up stopping the server.
        server.daemon_threads = True
    for server in servers[:-1]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        servers[-1].serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
