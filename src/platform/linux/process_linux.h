// The process around the Linux program: ending it, its own directory, the
// two cue files it carries.
#pragma once

#include <cstddef>

#include "platform/process.h"

namespace kel::posix {

class PosixProcess : public Process {
public:
    // Ends the process at once: no destructors, no exit handlers, no flush;
    // the close step has written what it writes.
    [[noreturn]] void EndProgram() override;
    // The directory of the running program file (/proc/self/exe), UTF-8
    // names read as UTF-16; empty when the system does not say.
    std::u16string ProgramDirectory() const override;
    // 101 the key clack, 102 the title's closing sound, as the Windows
    // program carries them; other ids throw KelError(ResourceMissing).
    std::vector<std::uint8_t> LoadCustomResource(int id) const override;
};

// The bytes of a cue file built into the program (src/sound/*.wav, turned
// into arrays at build time), by its resource id; false when there is none.
bool EmbeddedCue(int id, const unsigned char** data, std::size_t* size);

}  // namespace kel::posix
