#include "data/startup_folder.h"

namespace kel {

bool IsStartupFolder(const std::u16string& directory) {
    const std::size_t n = kStartupFolderName.size();
    return directory.size() >= n &&
           directory.compare(directory.size() - n, n, kStartupFolderName) == 0;
}

}  // namespace kel
