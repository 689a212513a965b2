#include "speech/linux/private_server.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/linux/process_linux.h"

namespace kel::posix {

namespace {

// Seconds without a client after which the server leaves by itself.
constexpr const char* kIdleSeconds = "5";

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string::npos) return {};
        start = colon + 1;
    }
}

// The guard, in the child of a threaded process: only async-signal-safe
// calls until it execs. `watch` is the pipe's read end.
[[noreturn]] void RunGuard(int watch, int devNull, const char* program, char* const serverArgv[],
                           char* const removeArgv[]) {
    ::setsid();  // out of the saver's process group: a Ctrl-C there is not for us
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) ::sigaction(s, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);  // the voice thread blocks them all
    for (int fd = 0; fd < 3; ++fd) ::dup2(devNull, fd);
    if (watch != 3) ::dup2(watch, 3);
    ::close_range(4, ~0U, 0);

    const pid_t server = ::fork();
    if (server == 0) {
        ::setpgid(0, 0);
        ::close(3);
        ::execv(program, serverArgv);
        ::_exit(127);
    }
    if (server > 0) ::setpgid(server, server);  // whichever of the two runs first
    char byte;
    for (;;) {
        const ssize_t got = ::read(3, &byte, 1);
        if (got == 0 || (got < 0 && errno != EINTR)) break;
    }
    if (server > 0) {
        ::kill(-server, SIGKILL);
        ::kill(server, SIGKILL);
        ::waitpid(server, nullptr, 0);
    }
    ::execv("/bin/rm", removeArgv);
    ::_exit(0);
}

}  // namespace

std::string StartPrivateSpeechServer() {
    const std::string program = FindOnPath("speech-dispatcher");
    const std::string runtime = RuntimeDirectory();
    if (program.empty() || runtime.empty()) return {};
    std::string folder = runtime + "/kel-speech-XXXXXX";
    if (::mkdtemp(&folder[0]) == nullptr) return {};
    const std::string socket = folder + "/speechd.sock";
    const std::string pidFile = folder + "/speechd.pid";
    const std::string logs = folder + "/log";
    ::mkdir(logs.c_str(), 0700);

    // Everything the children need is made before the fork.
    const char* serverArgv[] = {program.c_str(), "-s", "-t", kIdleSeconds, "-c", "unix_socket",
                                "-S", socket.c_str(), "-P", pidFile.c_str(), "-L", logs.c_str(),
                                nullptr};
    const char* removeArgv[] = {"rm", "-rf", "--", folder.c_str(), nullptr};
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int ends[2];
    if (devNull < 0 || ::pipe2(ends, O_CLOEXEC) != 0) {
        if (devNull >= 0) ::close(devNull);
        ::rmdir(logs.c_str());
        ::rmdir(folder.c_str());
        return {};
    }
    const pid_t guard = ::fork();
    if (guard == 0) {
        RunGuard(ends[0], devNull, program.c_str(), const_cast<char* const*>(serverArgv),
                 const_cast<char* const*>(removeArgv));
    }
    ::close(ends[0]);
    ::close(devNull);
    if (guard < 0) {
        ::close(ends[1]);
        ::rmdir(logs.c_str());
        ::rmdir(folder.c_str());
        return {};
    }
    // ends[1] stays open, unseen by any program started later (close on
    // exec), until this process ends; then the guard does its work.
    return socket;
}

}  // namespace kel::posix
