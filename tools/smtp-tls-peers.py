"""The TLS peers of the tests, all on 127.0.0.1, each on a free port:
  STARTTLS  SMTP that offers STARTTLS and takes mail only after it and AUTH
  TLSPORT   SMTP over TLS from the first byte, taking mail only after AUTH
  OTHERCA   a TLS server whose certificate comes from a CA nobody trusts
  WRONGNAME a TLS server whose certificate names another host
  DROP      a server that reads the client's first TLS bytes and hangs up
Both SMTP servers deliver into MAILDIR and accept the user "sender01" with "smtpsecret01".
Usage: smtp-tls-peers.py MAILDIR CERT_DIR STATE_FILE (written once every port listens)."""
import asyncio
import os
import socket
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import AuthResult, LoginPassword

maildir, certs, state = sys.argv[1:4]
USER, PASSWORD = b"sender01", b"smtpsecret01"


def context(name):
    c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    c.load_cert_chain(os.path.join(certs, name + ".pem"), os.path.join(certs, name + ".key"))
    return c


def authenticate(server, session, envelope, mechanism, data):
    ok = isinstance(data, LoginPassword) and data.login == USER and data.password == PASSWORD
    return AuthResult(success=ok, handled=False)


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def smtp(port, **kwargs):
    c = Controller(Mailbox(maildir), hostname="127.0.0.1", port=port, authenticator=authenticate,
                   auth_required=True, **kwargs)
    c.start()
    return c


ports = {"PORT": free_port(), "TLSPORT": free_port()}
servers = [
    smtp(ports["PORT"], tls_context=context("server"), require_starttls=True),
    # This aiosmtpd counts only STARTTLS as encryption; the whole session is encrypted here.
    smtp(ports["TLSPORT"], ssl_context=context("server"), auth_require_tls=False),
]


def listener():
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(16)
    return s


def serve_tls(sock, ctx):
    while True:
        conn, _ = sock.accept()
        try:
            with ctx.wrap_socket(conn, server_side=True) as t:
                t.sendall(b"220 misfit\r\n")
                t.recv(1024)
        except (OSError, ssl.SSLError):
            pass
        finally:
            conn.close()


def serve_drop(sock):
    while True:
        conn, _ = sock.accept()
        try:
            conn.recv(16)  # the start of the ClientHello
        finally:
            conn.close()


for name, target, extra in (("OTHERCA", serve_tls, (context("otherserver"),)),
                            ("WRONGNAME", serve_tls, (context("wrongname"),)),
                            ("DROP", serve_drop, ())):
    sock = listener()
    ports[name] = sock.getsockname()[1]
    threading.Thread(target=target, args=(sock,) + extra, daemon=True).start()

with open(state + ".tmp", "w") as f:
    for key, value in ports.items():
        f.write("%s=%d\n" % (key, value))
os.replace(state + ".tmp", state)
threading.Event().wait()
