// Writes key_clack.wav (resource 101) and title_close.wav (resource 102) into
// the directory given as the only argument.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sound/cues.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = WriteFile(dir + "/key_clack.wav", kel::MakeKeyClackFile()) &&
                    WriteFile(dir + "/title_close.wav", kel::MakeTitleCloseFile());
    return ok ? 0 : 1;
}
