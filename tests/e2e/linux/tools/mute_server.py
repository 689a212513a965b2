#!/usr/bin/env python3
"""A server that stops answering. Listens on each given Unix socket path; a
path given as ssip:PATH first answers as a speech server would (SSIP) until
it has queued one message, then goes silent on that connection; any other
path accepts and never answers. Prints "accepted PATH" and "silent PATH"
(flushed) as it goes. Runs until killed."""
import os, select, socket, sys

listeners, talking = {}, {}
for arg in sys.argv[1:]:
    ssip = arg.startswith("ssip:")
    path = arg[5:] if ssip else arg
    os.makedirs(os.path.dirname(path), exist_ok=True)
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.bind(path)
    s.listen(16)
    listeners[s] = (path, ssip)
print("listening", flush=True)
kept = []

def answer(conn, state):
    data = conn.recv(4096)
    if not data:
        del talking[conn]
        return
    state["buf"] += data
    while b"\r\n" in state["buf"]:
        line, state["buf"] = state["buf"].split(b"\r\n", 1)
        if state["data"]:
            if line == b".":
                conn.sendall(b"225-1\r\n225 OK MESSAGE QUEUED\r\n")
                del talking[conn]          # from now on: silence
                print("silent", state["path"], flush=True)
                return
            continue
        word = line.split(b" ")[0].upper()
        if word == b"SPEAK":
            state["data"] = True
            conn.sendall(b"230 OK RECEIVING DATA\r\n")
        elif line.upper().startswith(b"LIST OUTPUT_MODULES"):
            conn.sendall(b"250-openjtalk\r\n250 OK MODULE LIST SENT\r\n")
        else:
            conn.sendall(b"200 OK\r\n")

while True:
    ready, _, _ = select.select(list(listeners) + list(talking), [], [])
    for s in ready:
        if s in listeners:
            path, ssip = listeners[s]
            conn, _ = s.accept()
            kept.append(conn)
            if ssip:
                talking[conn] = {"path": path, "buf": b"", "data": False}
            print("accepted", path, flush=True)
        elif s in talking:
            answer(s, talking[s])
