#include "platform/linux/process_linux.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
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

namespace {
volatile sig_atomic_t endSignal = 0;
}  // namespace

void NoteEndSignal(int signalNumber) {
    if (endSignal == 0) endSignal = signalNumber;
}

void PosixProcess::EndProgram() {
    const int signalNumber = endSignal;
    if (signalNumber != 0) {
        // The default action, unblocked, on this thread: the process ends
        // here, reported to its parent as ended by that signal.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signalNumber);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(signalNumber);
    }
    ::_exit(0);
}

std::string RuntimeDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') return runtime;
    const std::string dir = "/tmp/kel-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat info {};
    // Someone else's folder of that name is not ours to trust.
    if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return {};
    return dir;
}

bool HoldSoundTurn() {
    static std::mutex guard;
    static int fd = -1;
    static bool held = false;
    std::lock_guard<std::mutex> lock(guard);
    if (held) return true;
    if (fd < 0) {
        const std::string dir = RuntimeDirectory();
        // Without a place for the lock every process plays: better twice than never.
        if (dir.empty()) return held = true;
        fd = ::open((dir + "/kel-sound.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return held = true;
    }
    held = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    return held;
}

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
