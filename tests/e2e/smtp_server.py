#!/usr/bin/python3
"""SMTP servers on 127.0.0.1 for the mail end-to-end tests, one listener per kind of server.

    smtp_server.py --out DIR --ready FILE [--cert PEM --key PEM] [--untrusted-cert PEM
                   --untrusted-key PEM] [--user NAME --password TEXT] [--implicit-port N]

Each listener binds a free port (implicit TLS binds --implicit-port, 465 by default, and is left
out when that port cannot be bound). When all are listening, FILE gets one "NAME=PORT" line per
listener, "unreachable=PORT" for a port nothing listens on, and is renamed into place so a
reader never sees it half written. Every accepted message goes to DIR/NAME/N.eml as the bytes
received after DATA (dot-stuffing undone), with DIR/NAME/N.envelope beside it: "tls=0|1",
"auth=<login or empty>", "from=<address>" and one "rcpt=<address>" line per recipient. Every
AUTH attempt appends "<login> ok|refused" to DIR/NAME/auth.txt. The servers run until SIGTERM.
"""

import argparse
import asyncio
import logging
import os
import signal
import socket
import ssl
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder, reject_mail=False):
        self.folder = folder
        self.reject_mail = reject_mail
        self.count = 0
        os.makedirs(folder, exist_ok=True)

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.reject_mail:
            return "550 5.7.1 Sender refused by this test server"
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        login = session.auth_data.login.decode() if session.authenticated else ""
        tls = bool(session.ssl) or server.transport.get_extra_info("ssl_object") is not None
        lines = [f"tls={1 if tls else 0}", f"auth={login}",
                 f"from={envelope.mail_from}"]
        lines += [f"rcpt={r}" for r in envelope.rcpt_tos]
        # The message first: a reader that sees the envelope may read the message.
        with open(base + ".eml.part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".eml.part", base + ".eml")
        with open(base + ".envelope.part", "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(base + ".envelope.part", base + ".envelope")
        return "250 2.0.0 Message accepted"


class Authenticator:
    def __init__(self, folder, user, password):
        self.log = os.path.join(folder, "auth.txt")
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, data):
        ok = (isinstance(data, LoginPassword) and data.login == self.user
              and data.password == self.password)
        login = data.login.decode(errors="replace") if isinstance(data, LoginPassword) else "?"
        with open(self.log, "a") as f:
            f.write(f"{mechanism} {login} {'ok' if ok else 'refused'}\n")
        # handled=False: the server itself answers 535 to a refusal.
        return AuthResult(success=ok, handled=False, auth_data=data if ok else None)


class DroppingSmtp(SMTP):
    """Takes DATA, reads the message's first line and closes the connection."""

    async def smtp_DATA(self, arg):
        if not self.envelope.rcpt_tos:
            await self.push("503 Error: need RCPT command")
            return
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        await self._reader.readline()
        self.transport.close()


def server_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    context.maximum_version = ssl.TLSVersion.TLSv1_2  # what Schannel under Wine speaks
    return context


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


async def main():
    warnings.simplefilter("ignore")  # AUTH without TLS is what the auth server is for
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--ready", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--untrusted-cert")
    parser.add_argument("--untrusted-key")
    parser.add_argument("--user", default="technician")
    parser.add_argument("--password", default="s3cret-Pa55")
    parser.add_argument("--implicit-port", type=int, default=465)
    args = parser.parse_args()

    loop = asyncio.get_running_loop()
    folder = lambda name: os.path.join(args.out, name)
    auth = Authenticator(folder("auth"), args.user, args.password)
    # name -> (protocol class, its options, ssl context for implicit TLS, fixed port or 0)
    kinds = {
        "plain": (SMTP, {}, None, 0),
        "auth": (SMTP, dict(auth_required=True, auth_require_tls=False, authenticator=auth),
                 None, 0),
        "reject": (SMTP, {}, None, 0),
        "dropdata": (DroppingSmtp, {}, None, 0),
    }
    if args.cert:
        trusted = server_context(args.cert, args.key)
        # The STARTTLS server refuses MAIL before TLS, so a message only arrives encrypted.
        kinds["starttls"] = (SMTP, dict(tls_context=trusted, require_starttls=True), None, 0)
        kinds["implicit"] = (SMTP, {}, trusted, args.implicit_port)
    if args.untrusted_cert:
        untrusted = server_context(args.untrusted_cert, args.untrusted_key)
        kinds["untrusted"] = (SMTP, dict(tls_context=untrusted, require_starttls=True), None, 0)

    servers, ports = [], {}
    for name, (cls, options, context, port) in kinds.items():
        saver = Saver(folder(name), reject_mail=(name == "reject"))
        factory = lambda cls=cls, saver=saver, options=options: cls(saver, **options)
        try:
            server = await loop.create_server(factory, "127.0.0.1", port, ssl=context)
        except OSError:
            continue  # only the fixed implicit-TLS port can be taken
        servers.append(server)
        ports[name] = server.sockets[0].getsockname()[1]
    ports["unreachable"] = free_port()

    with open(args.ready + ".part", "w") as f:
        f.write("".join(f"{name}={port}\n" for name, port in ports.items()))
    os.rename(args.ready + ".part", args.ready)

    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    loop.add_signal_handler(signal.SIGINT, stop.set)
    await stop.wait()
    for server in servers:
        server.close()


if __name__ == "__main__":
    asyncio.run(main())
