#include "platform/linux/process_linux.h"

#include <unistd.h>

#include <string>

#include "platform/errors.h"
#include "platform/text.h"

namespace kel::posix {

// The arrays made at build time by cmake/embed_file.cmake.
namespace embedded {
extern const unsigned char key_clack_wav[];
extern const std::size_t key_clack_wav_size;
extern const unsigned char title_close_wav[];
extern const std::size_t title_close_wav_size;
}  // namespace embedded

void PosixProcess::EndProgram() { ::_exit(0); }

std::u16string PosixProcess::ProgramDirectory() const {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", &path[0], path.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    // A program file replaced while it runs is named "<path> (deleted)".
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() &&
        path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
        path.resize(path.size() - deleted.size());
    }
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) path.resize(slash == 0 ? 1 : slash);
    return Utf8ToUtf16(path);
}

bool EmbeddedCue(int id, const unsigned char** data, std::size_t* size) {
    switch (id) {
    case 101:
        *data = embedded::key_clack_wav;
        *size = embedded::key_clack_wav_size;
        return true;
    case 102:
        *data = embedded::title_close_wav;
        *size = embedded::title_close_wav_size;
        return true;
    default: return false;
    }
}

std::vector<std::uint8_t> PosixProcess::LoadCustomResource(int id) const {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!EmbeddedCue(id, &data, &size)) {
        throw KelError(ErrorKind::ResourceMissing, "loading the program's sounds",
                       "resource CUSTOM " + std::to_string(id));
    }
    return std::vector<std::uint8_t>(data, data + size);
}

}  // namespace kel::posix
