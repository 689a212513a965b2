#!/usr/bin/env python3
"""A speech server that stops answering: listens on each given Unix socket
path and answers as speech-dispatcher would (SSIP) until it has queued one
message on a connection, then never again there. Prints "listening", then
"accepted PATH" and "silent PATH" (flushed) as it goes. Runs until killed."""
import os, select, socket, sys

def reply(line):
    if line.upper().startswith(b"LIST OUTPUT_MODULES"):
        return b"250-openjtalk\r\n250 OK MODULE LIST SENT\r\n"
    return b"230 OK RECEIVING DATA\r\n" if line.upper().startswith(b"SPEAK") else b"200 OK\r\n"

listeners, talking, kept = {}, {}, []
for path in sys.argv[1:]:
    os.makedirs(os.path.dirname(path), exist_ok=True)
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.bind(path)
    s.listen(16)
    listeners[s] = path
print("listening", flush=True)
while True:
    for s in select.select(list(listeners) + list(talking), [], [])[0]:
        if s in listeners:
            conn, _ = s.accept()
            kept.append(conn)
            talking[conn] = [listeners[s], b"", False]   # path, unread bytes, in a message
            print("accepted", listeners[s], flush=True)
            continue
        state = talking[s]
        data = s.recv(4096)
        state[1] += data
        while data and b"\r\n" in state[1]:
            line, state[1] = state[1].split(b"\r\n", 1)
            if not state[2]:
                s.sendall(reply(line))
                state[2] = line.upper().startswith(b"SPEAK")
            elif line == b".":
                s.sendall(b"225-1\r\n225 OK MESSAGE QUEUED\r\n")
                print("silent", state[0], flush=True)
                data = None
        if not data:
            del talking[s]   # closed, or silent from now on
