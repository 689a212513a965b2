// The process around the Linux program: ending it, its own directory, the
// two cue files it carries.
#pragma once

#include <csignal>
#include <cstddef>
#include <string>

#include "platform/process.h"

namespace kel::posix {

class PosixProcess : public Process {
public:
    // Ends the process at once: no destructors, no exit handlers, no flush,
    // no thread joined (one may be blocked on a server that stopped
    // answering); the close step has written what it writes. After a signal
    // noted by NoteEndSignal the process ends by that signal, as a program
    // ended from outside is expected to; otherwise with status 0.
    [[noreturn]] void EndProgram() override;
    // The directory of the running program file (/proc/self/exe), UTF-8
    // names read as UTF-16; empty when the system does not say.
    std::u16string ProgramDirectory() const override;
    // 101 the key clack, 102 the title's closing sound, as the Windows
    // program carries them; other ids throw KelError(ResourceMissing).
    std::vector<std::uint8_t> LoadCustomResource(int id) const override;
};

// Called from a signal handler: the signal that asked the process to end.
void NoteEndSignal(int signalNumber);

// The folder for the session's locks and private sockets: $XDG_RUNTIME_DIR,
// or /tmp/kel-$UID (made, mode 0700, and only if it is the user's own) where
// the session has none; empty when there is no such folder.
std::string RuntimeDirectory();

// One sound at a time across all of the user's kel processes (one per
// monitor under XScreenSaver): the first one to play takes a lock and keeps
// it until it ends; the others stay silent. True when this process holds it.
bool HoldSoundTurn();

// The bytes of a cue file built into the program (src/sound/*.wav, turned
// into arrays at build time), by its resource id; false when there is none.
bool EmbeddedCue(int id, const unsigned char** data, std::size_t* size);

}  // namespace kel::posix
