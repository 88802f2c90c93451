"""An FTP server that stalls in the middle of a file: ROOT_FILE_BYTES KEEP.

Serves one file to any user and password. On RETR it sends the first KEEP bytes of the file
and then goes silent with both connections open, as a server does whose link has died.
Prints the port it listens on (127.0.0.1, chosen by the system), then serves until killed.
"""
import socket
import sys
import threading
import time


def serve(conn, data, keep):
    f = conn.makefile("rb")
    send = lambda text: conn.sendall((text + "\r\n").encode())
    send("220 stall server ready")
    passive = None
    while True:
        line = f.readline()
        if not line:
            return
        cmd = line.decode(errors="replace").strip().split(" ", 1)[0].upper()
        if cmd == "USER":
            send("331 password please")
        elif cmd == "PASS":
            send("230 logged in")
        elif cmd == "PWD":
            send('257 "/" is the current folder')
        elif cmd == "CWD":
            send("250 folder changed")
        elif cmd == "TYPE":
            send("200 type set")
        elif cmd == "SIZE":
            send("213 %d" % len(data))
        elif cmd == "EPSV":
            passive = socket.socket()
            passive.bind(("127.0.0.1", 0))
            passive.listen(1)
            send("229 Entering Extended Passive Mode (|||%d|)" % passive.getsockname()[1])
        elif cmd == "RETR" and passive is not None:
            send("150 opening data connection")
            data_conn, _ = passive.accept()
            data_conn.sendall(data[:keep])
            while True:  # silent, never closing
                time.sleep(3600)
        elif cmd == "QUIT":
            send("221 bye")
            return
        else:
            send("502 not here")


def main():
    path, keep = sys.argv[1], int(sys.argv[2])
    with open(path, "rb") as fh:
        data = fh.read()
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(5)
    print(server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn, data, keep), daemon=True).start()


if __name__ == "__main__":
    main()
