// What we test: the built program's own resources. CUSTOM 101 (Japanese) is
// the typing clack and CUSTOM 102 the closing sound, each byte for byte the
// sound file it was made from; the two swapped, or one missing, fails here.
#include "check.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "host_support.h"
#include "resource_ids.h"

namespace kel::host {
namespace {

// A Unix path as Wine sees it (its Z: drive is the Unix root).
std::string WinePath(const std::string& path) {
    return path.size() > 0 && path[0] == '/' ? "Z:" + path : path;
}

std::string ResourceBytes(HMODULE module, int id) {
    HRSRC info = ::FindResourceExW(module, L"CUSTOM", MAKEINTRESOURCEW(id),
                                   MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    if (info == nullptr) return {};
    const void* data = ::LockResource(::LoadResource(module, info));
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, info));
}

std::uint32_t U32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

TEST(ProgramResources, CustomSoundsAreTheClackAndTheClosingSound) {
    const char* program = std::getenv("KEL_HOST_PROGRAM");
    const std::string path = WinePath(program != nullptr ? program : KEL_HOST_PROGRAM);
    HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << "cannot load " << path;
    const struct {
        int id;
        const char* file;
        std::size_t size;
        std::uint32_t samples;
    } cases[] = {
        {IDR_KEY_SOUND, "key_clack.wav", 8788, 8727},
        {IDR_TITLE_SOUND, "title_close.wav", 88268, 88208},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("CUSTOM " + std::to_string(c.id));
        const std::string bytes = ResourceBytes(module, c.id);
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 4), "WAVE");
        EXPECT_EQ(U32(bytes, 46), c.samples) << "samples in the fact chunk";
        std::string file;
        ASSERT_TRUE(GetFile(WinePath(std::string(KEL_SOURCE_DIR) + "/src/sound/" + c.file), &file));
        EXPECT_TRUE(bytes == file) << "differs from " << c.file;
    }
    ::FreeLibrary(module);
}

}  // namespace
}  // namespace kel::host
