#!/usr/bin/python3
"""Servers on 127.0.0.1 for the Win32 network tests, each on a port of the system's choice.

plain: echoes what arrives; tls and untrusted: the same inside TLS, with the certificates of
--trusted and --untrusted (folders made by tools/lib/test-ca.sh); silent: accepts and never
answers; refused: a port that nobody listens on. A line "bye" makes the echo servers close the
connection (TLS with its close_notify). The ports go to --ports as "name=port" lines once all
listen; the servers run until killed.
"""
import argparse
import os
import socket
import ssl
import threading


def listener():
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(8)
    return s


def echo(conn):
    held = b""
    try:
        while True:
            data = conn.recv(65536)
            if not data:
                return
            conn.sendall(data)
            held = (held + data)[-16:]
            if held.endswith(b"bye\r\n") or held.endswith(b"bye\n"):
                if isinstance(conn, ssl.SSLSocket):
                    conn = conn.unwrap()
                return
    except (OSError, ssl.SSLError):
        return
    finally:
        conn.close()


def serve(sock, context, silent, held):
    while True:
        conn, _ = sock.accept()
        if silent:
            held.append(conn)
            continue
        threading.Thread(target=handshake_then_echo, args=(conn, context), daemon=True).start()


def handshake_then_echo(conn, context):
    if context is not None:
        try:
            conn.settimeout(30)
            conn = context.wrap_socket(conn, server_side=True)
        except (OSError, ssl.SSLError):
            conn.close()
            return
    echo(conn)


def tls_context(folder):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(f"{folder}/server.pem", f"{folder}/server.key")
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--trusted", required=True)
    parser.add_argument("--untrusted", required=True)
    parser.add_argument("--ports", required=True)
    args = parser.parse_args()

    held = []
    servers = {"plain": (None, False), "tls": (tls_context(args.trusted), False),
               "untrusted": (tls_context(args.untrusted), False), "silent": (None, True)}
    lines = []
    for name, (context, silent) in servers.items():
        sock = listener()
        lines.append(f"{name}={sock.getsockname()[1]}")
        threading.Thread(target=serve, args=(sock, context, silent, held), daemon=True).start()
    closed = listener()
    lines.append(f"refused={closed.getsockname()[1]}")
    closed.close()
    with open(args.ports + ".tmp", "w") as out:
        out.write("\n".join(lines) + "\n")

    os.replace(args.ports + ".tmp", args.ports)
    threading.Event().wait()


if __name__ == "__main__":
    main()
