"""Printers on the network for one test, on 127.0.0.1 or ::1 only: each is
started by the test that uses it and stopped by it, and every wait is
bounded."""

import socket
import struct
import threading

HOSTS = ("127.0.0.1", "::1")


def listener(host: str, backlog: int = 8) -> socket.socket:
    assert host in HOSTS, "a network test talks only to the loopback addresses"
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    server = socket.socket(family, socket.SOCK_STREAM)
    server.bind((host, 0))
    server.listen(backlog)
    return server


def value(server: socket.socket) -> str:
    """The port variable's value that leads to `server`."""
    host, port = server.getsockname()[:2]
    return f"socket://[{host}]:{port}" if ":" in host else f"socket://{host}:{port}"


def reset(connection: socket.socket) -> None:
    """Closes with a reset instead of the orderly end."""
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


class Printer:
    """Takes every connection and keeps what each brought, in order, until
    its sender ends it."""

    def __init__(self, host: str):
        self.server = listener(host)
        self.server.settimeout(0.1)
        self.value = value(self.server)
        self.connections = []
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._serve)
        self._thread.start()

    # Once stopped, it still takes the connections already queued.
    def _serve(self):
        while True:
            try:
                connection, _ = self.server.accept()
            except TimeoutError:
                if self._stop.is_set():
                    return
                continue
            with connection:
                connection.settimeout(10)
                self.connections.append(b"".join(iter(lambda: connection.recv(4096), b"")))

    def stop(self) -> list:
        """Every connection's bytes."""
        self._stop.set()
        self._thread.join(timeout=15)
        self.server.close()
        return self.connections
