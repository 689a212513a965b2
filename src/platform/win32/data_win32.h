// The data files on Win32: whole-file access, the profile-string functions
// and code page 932, each the system's own.
#pragma once

#include <windows.h>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace kel::win32 {

class Win32Files : public Files {
public:
    bool FileExists(const std::string& path) const override;
    std::string ReadAll(const std::string& path) const override;
    void ReplaceAll(const std::string& path, const std::string& bytes) override;
    void RecoverInterruptedRewrite(const std::string& path) override;
    void CreateNew(const std::string& path, const std::string& bytes) override;

protected:
    // The system calls a save depends on, virtual so that the host tests can
    // make them fail (a refused rename, a full disk, a process that dies
    // part-way); they call WriteFile, MoveFileExA and CloseHandle as they
    // stand. CloseWritten closes a file that was written in place.
    virtual BOOL WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written);
    virtual BOOL MoveIntoPlace(const std::string& from, const std::string& to, DWORD flags);
    virtual BOOL CloseWritten(HANDLE file);

private:
    void WriteBytes(HANDLE file, const char* bytes, std::size_t size,
                    const std::string& operation);
    void WriteNewFile(const std::string& path, const std::string& bytes,
                      const std::string& operation);
    bool MoveRetrying(const std::string& from, const std::string& to, DWORD flags,
                      DWORD* code);
    bool ReplaceByRename(const std::string& path, const std::string& bytes,
                         const std::string& operation);
    static DWORD RemoveJournal(HANDLE journal, const std::string& name);
    void OverwriteOpen(HANDLE file, const std::string& bytes, const std::string& operation);
    void RewriteInPlace(const std::string& path, const std::string& bytes,
                        const std::string& operation);
};

class Win32Profile : public Profile {
public:
    std::string GetString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText) const override;
    void WriteString(const std::string& path, const std::string& section,
                     const std::string& key, const std::string& value) override;
};

class Win32Codec : public Codec {
public:
    std::u16string Decode(const std::string& bytes) const override;
    bool Encode(const std::u16string& text, std::string& bytes,
                std::u16string* unrepresentable = nullptr) const override;
};

}  // namespace kel::win32
