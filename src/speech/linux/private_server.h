// A speech server of the saver's own, for a session that runs none.
#pragma once

#include <string>

namespace kel::posix {

// Starts speech-dispatcher (found on PATH) with a socket in a new folder of
// the runtime directory, and a small guard process that ends it with this
// process, however this one ends: the guard waits on a pipe whose other end
// only this process holds, and when it reads the end of the pipe it kills
// the server's process group (the server and its output modules, which can
// hang and ignore SIGTERM) and removes the folder. The server also leaves
// by itself after a few idle seconds. Returns the socket's path (the server
// may still be opening it), or empty when no server could be started.
// Called on the voice thread, which holds no lock a forked child could need.
std::string StartPrivateSpeechServer();

}  // namespace kel::posix
