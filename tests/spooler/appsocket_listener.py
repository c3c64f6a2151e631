#!/usr/bin/env python3
"""An AppSocket (port 9100 style) printer for the spooler tests.

Listens on a free loopback port, writes the port number to FOLDER/listener.port,
and records every connection's bytes in FOLDER/received/NNNNNN.bin. A file
appears under its final name only after the sender has closed the connection,
so a test never reads a half-received job.
"""
import os
import socket
import sys


def main() -> None:
    folder = sys.argv[1]
    received = os.path.join(folder, "received")
    os.makedirs(received, exist_ok=True)

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(8)

    port_file = os.path.join(folder, "listener.port")
    with open(port_file + ".part", "w") as out:
        out.write(f"{server.getsockname()[1]}\n")
    os.rename(port_file + ".part", port_file)

    count = 0
    while True:
        connection, _ = server.accept()
        count += 1
        name = os.path.join(received, f"{count:06d}")
        with connection, open(name + ".part", "wb") as out:
            try:
                while True:
                    data = connection.recv(65536)
                    if not data:
                        break
                    out.write(data)
            except OSError:
                pass  # a reset connection keeps what arrived before it
        os.rename(name + ".part", name + ".bin")


if __name__ == "__main__":
    main()
