#!/usr/bin/python3
"""HTTP and HTTPS file servers on 127.0.0.1 for the download tests.

    http_test_server.py --root DIR --ports FILE [--http-port N] [--tls DIR] [--untrusted DIR]
                        [--misnamed DIR]

Serves the files of DIR (GET only; 200 with Content-Length, or 404 with an HTML page). The
--tls, --untrusted and --misnamed folders hold server.pem and server.key (tools/lib/test-ca.sh
make); each gives one more port that serves the same over TLS. Once all listen, FILE gets one
"name=port" line each: http, https, untrusted, misnamed (those given), and refused (a port
nobody listens on). The http server listens on --http-port when given (the demo machine's
fixed address), on a free port otherwise. The servers run until killed.

Any path may carry one of these prefixes:
    /redirect/<path>     302 to /<path>
    /to-http/<path>      302 to /<path> on the http server (from https, a step down)
    /loop                302 to itself, for ever
    /chunked/<path>      the file in chunked transfer (no Content-Length)
    /slow/<path>         chunked, in 10 pieces sent 0.2 s apart
    /cut/<path>          the full Content-Length, half the bytes, then the connection closes
    /cut-chunked/<path>  chunked, half the bytes, then closes without the last chunk
    /stall/<path>        the full Content-Length and then nothing, until the client gives up
    /status/<code>       that status with a small text body
    /headers             the request's headers as the body
"""
import argparse
import http.server
import os
import select
import socket
import ssl
import threading
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."
    http_port = 0

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        mode, _, rest = path.lstrip("/").partition("/")
        if mode == "redirect":
            return self.reply(302, b"moved\n", [("Location", "/" + rest)])
        if mode == "to-http":
            location = f"http://127.0.0.1:{Handler.http_port}/{rest}"
            return self.reply(302, b"moved\n", [("Location", location)])
        if mode == "loop":
            return self.reply(302, b"moved\n", [("Location", "/loop")])
        if mode == "headers":
            lines = "".join(f"{name}: {value}\r\n" for name, value in self.headers.items())
            return self.reply(200, lines.encode())
        if mode == "status" and rest.isdigit():
            return self.reply(int(rest), f"status {rest}\n".encode())
        if mode in ("chunked", "slow", "cut", "cut-chunked", "stall"):
            body = self.load(rest)
        else:
            mode, body = "", self.load(path.lstrip("/"))
        if body is None:
            page = b"<html><body><h1>404 Not Found</h1></body></html>\n"
            return self.reply(404, page, [("Content-Type", "text/html")])
        if mode == "":
            self.reply(200, body)
        elif mode == "cut":
            self.head(200, [("Content-Length", str(len(body)))])
            self.wfile.write(body[: len(body) // 2])
            self.close_connection = True
        elif mode == "stall":
            self.head(200, [("Content-Length", str(len(body)))])
            self.wfile.flush()
            # Holds the connection open without sending until the client closes it.
            select.select([self.connection], [], [], 60)
            self.close_connection = True
        else:
            self.head(200, [("Transfer-Encoding", "chunked")])
            pieces = 10 if mode == "slow" else 4
            step = max(1, -(-len(body) // pieces))
            chunks = [body[i : i + step] for i in range(0, len(body), step)]
            if mode == "cut-chunked":
                chunks = chunks[: len(chunks) // 2]
            for chunk in chunks:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                self.wfile.flush()
                if mode == "slow":
                    time.sleep(0.2)
            if mode == "cut-chunked":
                self.close_connection = True
            else:
                self.wfile.write(b"0\r\n\r\n")

    def load(self, relative):
        parts = [p for p in urllib.parse.unquote(relative).split("/") if p]
        if not parts or any(p in (".", "..") or "\\" in p for p in parts):
            return None
        try:
            with open(os.path.join(self.root, *parts), "rb") as f:
                return f.read()
        except OSError:
            return None

    def head(self, status, headers):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()

    def reply(self, status, body, headers=()):
        self.head(status, [("Content-Length", str(len(body)))] + list(headers))
        self.wfile.write(body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, context, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.context = context

    def get_request(self):
        conn, address = super().get_request()
        if self.context is not None:
            # The handshake happens on the handler's thread, at the first read.
            conn = self.context.wrap_socket(conn, server_side=True, do_handshake_on_connect=False)
        return conn, address

    def handle_error(self, request, client_address):
        pass


def tls_context(folder):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(f"{folder}/server.pem", f"{folder}/server.key")
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--ports", required=True)
    parser.add_argument("--tls")
    parser.add_argument("--untrusted")
    parser.add_argument("--misnamed")
    parser.add_argument("--http-port", type=int, default=0)
    args = parser.parse_args()
    Handler.root = os.path.abspath(args.root)

    servers = {"http": None}
    for name, folder in (("https", args.tls), ("untrusted", args.untrusted),
                         ("misnamed", args.misnamed)):
        if folder:
            servers[name] = tls_context(folder)
    lines = []
    for name, context in servers.items():
        server = Server(context, args.http_port if name == "http" else 0)
        if name == "http":
            Handler.http_port = server.server_address[1]
        lines.append(f"{name}={server.server_address[1]}")
        threading.Thread(target=server.serve_forever, daemon=True).start()
    closed = socket.socket()
    closed.bind(("127.0.0.1", 0))
    lines.append(f"refused={closed.getsockname()[1]}")
    closed.close()
    with open(args.ports + ".tmp", "w") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(args.ports + ".tmp", args.ports)
    threading.Event().wait()


if __name__ == "__main__":
    main()
