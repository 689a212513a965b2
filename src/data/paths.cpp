#include "data/paths.h"

namespace kel {

namespace {
struct DataDirectoryState {
    std::string directory = "c:\\windows";
    char separator = '\\';
};
DataDirectoryState& State() {
    static DataDirectoryState state;
    return state;
}
}  // namespace

void SetDataDirectory(const std::string& directory, char separator) {
    State().directory = directory;
    State().separator = separator;
}

const std::string& DataDirectory() { return State().directory; }

std::string SettingsPath() { return State().directory + State().separator + "kel.ini"; }
std::string PhrasePath() { return State().directory + State().separator + "kel.dat"; }

}  // namespace kel
