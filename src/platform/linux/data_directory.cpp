#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"

namespace kel::posix {

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (const passwd* entry = ::getpwuid(::getuid())) {
        if (entry->pw_dir != nullptr && entry->pw_dir[0] == '/') return entry->pw_dir;
    }
    throw KelError(ErrorKind::PathNotFound, "finding the settings folder",
                   "neither $HOME nor the password database names a home directory");
}

// mkdir -p with mode 0700 for what it makes; a directory already there is
// left as it is.
void MakeDirectories(const std::string& path) {
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 &&
            errno != EEXIST) {
            const int error = errno;
            throw KelError(error == EACCES || error == EPERM || error == EROFS
                               ? ErrorKind::AccessDenied
                               : error == ENOSPC ? ErrorKind::DiskFull : ErrorKind::PathNotFound,
                           "creating the settings folder " + path, {}, std::strerror(error));
        }
        if (end == std::string::npos) break;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        throw KelError(ErrorKind::PathNotFound, "creating the settings folder " + path,
                       "something that is not a folder has that name");
    }
}

}  // namespace

std::string PrepareDataDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config != nullptr && config[0] == '/' ? std::string(config)
                                                             : HomeDirectory() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string directory = base + "/kel";
    MakeDirectories(directory);
    return directory;
}

}  // namespace kel::posix
