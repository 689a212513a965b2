#include "host_support.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace kel::host {

namespace {

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(dir.c_str());
}

// Dies in its `call`-th write once `bytes` of that write are written, or,
// with `call` 0, when it closes the file it rewrote in place.
class DyingFiles : public FaultyFiles {
public:
    DyingFiles(int call, unsigned long bytes, bool refuse) : call_(call), bytes_(bytes) {
        refusals = -refuse;
    }

protected:
    BOOL WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written) override {
        if (++writes != call_) return Win32Files::WriteChunk(file, data, size, written);
        DWORD done = 0;
        if (bytes_ > 0 && !::WriteFile(file, data, bytes_ < size ? bytes_ : size, &done, nullptr)) {
            return FALSE;
        }
        ::TerminateProcess(::GetCurrentProcess(), 9);
        return FALSE;
    }
    BOOL CloseWritten(HANDLE file) override {
        if (call_ == 0) ::TerminateProcess(::GetCurrentProcess(), 9);
        return Win32Files::CloseWritten(file);
    }

private:
    int call_;
    unsigned long bytes_;
};

}  // namespace

ScratchDir::ScratchDir(const std::string& base) {
    std::string root = base;
    if (root.empty()) {
        char temp[MAX_PATH];
        const DWORD n = ::GetTempPathA(MAX_PATH, temp);
        root.assign(temp, n);
    }
    if (!root.empty() && root.back() == '\\') root.pop_back();
    static unsigned counter = 0;
    for (;;) {
        dir_ = root + "\\kel-host-" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
        if (::CreateDirectoryA(dir_.c_str(), nullptr)) return;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot make the scratch folder " + dir_);
        }
    }
}

ScratchDir::~ScratchDir() { RemoveTree(dir_); }

void PutFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + path);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

bool GetFile(const std::string& path, std::string* bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    bytes->clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->append(buffer, n);
    std::fclose(f);
    return true;
}

int DieWhileSaving(const std::string& path, int call, unsigned long bytes, unsigned long size,
                   bool refuse) {
    DyingFiles files(call, bytes, refuse);
    try {
        files.ReplaceAll(path, std::string(size, 'n'));
    } catch (...) {
        return 2;
    }
    return 1;  // finished: it was meant to die first
}

std::string OwnPath() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

}  // namespace kel::host
