#!/usr/bin/env python3
"""An RFC 3161 timestamp server on 127.0.0.1 for the signing tests: each
request is answered by `openssl ts -reply` with a throwaway TSA certificate;
at /refuse with HTTP 500, at /silent never.

    tsa-server.py <openssl ts config>

Prints the port it listens on and a port that refuses connections (bound
by this process, never listening, so no other program can take it), then
serves until killed.
"""
import http.server
import socket
import subprocess
import sys
import threading

NEVER = threading.Event()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        if self.path == "/refuse":
            self.send_response(500)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if self.path == "/silent":
            NEVER.wait()
        reply = subprocess.run(
            ["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin",
             "-out", "/dev/stdout"], input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
closed = socket.socket()
closed.bind(("127.0.0.1", 0))
print(server.server_port, closed.getsockname()[1], flush=True)
server.serve_forever()
