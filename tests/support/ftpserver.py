"""A small FTP server for the download tests: ROOT USER PASSWORD [ADVERTISE].

Prints the port it listens on (127.0.0.1, chosen by the system), then serves until killed.
With ADVERTISE, passive replies name that address and EPSV is refused, so a client has to
use PASV and connect to the control connection's host on its own.
"""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password = sys.argv[1:4]
    advertise = sys.argv[4] if len(sys.argv) > 4 else None
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elr")

    class Handler(FTPHandler):
        def ftp_EPSV(self, line):
            if advertise:
                self.respond("502 EPSV not implemented here.")
            else:
                super().ftp_EPSV(line)

    Handler.authorizer = authorizer
    if advertise:
        Handler.masquerade_address = advertise
    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
