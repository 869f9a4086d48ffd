#!/usr/bin/python3
# A TCP link with a round trip of 2 x DELAY to a PostgreSQL server on a Unix
# socket: every chunk read in either direction is passed on DELAY seconds after
# it arrived, without holding up the chunks behind it (an office LAN, since the
# kernel's netem is not available here).
# Usage: delay-proxy.py PORT SOCKET_PATH [DELAY=0.0005]   (prints "ready" once listening)
import queue
import socket
import sys
import threading
import time

port, target = int(sys.argv[1]), sys.argv[2]
delay = float(sys.argv[3]) if len(sys.argv) > 3 else 0.0005


def pump(source, sink):
    chunks = queue.Queue()

    def send():
        while True:
            due, data = chunks.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            try:
                sink.sendall(data)
            except OSError:
                break
        try:
            sink.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    sender = threading.Thread(target=send, daemon=True)
    sender.start()
    while True:
        try:
            data = source.recv(65536)
        except OSError:
            data = b""
        if not data:
            chunks.put((0, None))
            break
        chunks.put((time.monotonic() + delay, data))
    sender.join()


def serve(client):
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.connect(target)
    client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    a = threading.Thread(target=pump, args=(client, server), daemon=True)
    b = threading.Thread(target=pump, args=(server, client), daemon=True)
    a.start()
    b.start()
    a.join()
    b.join()
    client.close()
    server.close()


listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", port))
listener.listen(64)
print("ready", flush=True)
while True:
    conn, _ = listener.accept()
    threading.Thread(target=serve, args=(conn,), daemon=True).start()
