#!/usr/bin/python3
"""A read-only FTP server on loopback for the lobby's advertisements and
update: the tests and `./tessary run` start it. Prints the port on its first
line; ends when its standard input closes (--until-stdin-closes) or on SIGTERM."""
import argparse
import logging
import os
import signal
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="pub")
    parser.add_argument("--password", default="pub")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--until-stdin-closes", action="store_true")
    parser.add_argument("--bytes-per-second", type=int, default=0,
                        help="slow the transfers down (to watch a download's progress)")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    authorizer.add_anonymous(args.root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "tessary files"
    if args.bytes_per_second > 0:
        from pyftpdlib.handlers import ThrottledDTPHandler
        ThrottledDTPHandler.write_limit = args.bytes_per_second
        handler.dtp_handler = ThrottledDTPHandler
    logging.basicConfig(level=logging.WARNING)
    server = FTPServer(("127.0.0.1", args.port), handler)
    print(server.socket.getsockname()[1], flush=True)

    def stop(*_):
        server.close_all()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    if args.until_stdin_closes:
        def watch():
            sys.stdin.read()
            os._exit(0)  # the loop sleeps in poll; the sockets close with the process
        threading.Thread(target=watch, daemon=True).start()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
