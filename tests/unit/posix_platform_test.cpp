// What we test: the Linux implementations behind the seam, on real files.
//  - The profile case table (tests/shared), byte for byte.
//  - A save that fails (a refused rename, a write that meets a full disk, a
//    real full tmpfs) leaves the old bytes whole and no temporary file; a
//    save keeps the old file's mode, and a link stays a link.
//  - Only a missing file or folder is missing; a file of any mode is there.
//  - The rewrite recovery, and the create-only write that keeps a file that
//    appeared meanwhile.
//  - Code page 932 with the shared tables; the cue files carried inside; the
//    data directory.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "data/paths.h"
#include "platform/errors.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/process_linux.h"
#include "platform/text.h"
#include "shared/codec_cases.h"
#include "shared/profile_cases.h"

namespace kel::posix {
namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/kel-unit.XXXXXX";
        dir_ = ::mkdtemp(name);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::vector<std::string> Names(const std::string& sub = ".") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path(sub))) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string dir_;
};

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Writes fail with `writeError` once half the first chunk is written, the
// rename with `renameError`; `duringWrite` runs before each write.
class FaultyFiles : public PosixFiles {
public:
    int writeError = 0, renameError = 0;
    std::function<void()> duringWrite;

protected:
    ssize_t WriteChunk(int fd, const char* data, std::size_t size) override {
        if (duringWrite) duringWrite();
        if (writeError == 0) return PosixFiles::WriteChunk(fd, data, size);
        if (!failing_) {
            failing_ = true;
            return PosixFiles::WriteChunk(fd, data, size / 2);
        }
        errno = writeError;
        return -1;
    }
    int RenameIntoPlace(const std::string& from, const std::string& to) override {
        if (renameError == 0) return PosixFiles::RenameIntoPlace(from, to);
        errno = renameError;
        return -1;
    }

private:
    bool failing_ = false;
};

TEST(PosixProfile, ReadsAsTheCaseTableSays) {
    PosixFiles files;
    PosixProfile profile(files);
    for (const auto& c : cases::kProfileReads) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        if (c.file) Put(dir.Path("kel.ini"), *c.file);
        EXPECT_EQ(profile.GetString(dir.Path("kel.ini"), c.section, c.key, c.defaultText),
                  c.expected);
    }
}

TEST(PosixProfile, WritesAsTheCaseTableSaysByteForByte) {
    PosixFiles files;
    PosixProfile profile(files);
    for (const auto& c : cases::kProfileWrites) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        if (c.before) Put(dir.Path("kel.ini"), *c.before);
        profile.WriteStringOrThrow(dir.Path("kel.ini"), c.section, c.key, c.value);
        EXPECT_EQ(Get(dir.Path("kel.ini")), c.after);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"kel.ini"});
    }
}

TEST(PosixFiles, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    const struct {
        const char* what;
        int writeError, renameError;
        ErrorKind kind;
    } cases[] = {
        {"a refused rename", 0, EACCES, ErrorKind::AccessDenied},
        {"a rename across file systems", 0, EXDEV, ErrorKind::Io},
        {"a full disk part-way", ENOSPC, 0, ErrorKind::DiskFull},
        {"a full quota part-way", EDQUOT, 0, ErrorKind::DiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        const std::string path = dir.Path("kel.dat");
        Put(path, "old\r\n");
        FaultyFiles files;
        files.writeError = c.writeError;
        files.renameError = c.renameError;
        try {
            files.ReplaceAll(path, std::string(100000, 'n'));
            ADD_FAILURE() << "the save did not fail";
        } catch (const KelError& error) {
            EXPECT_EQ(error.kind(), c.kind);
            EXPECT_NE(error.operation().find(path), std::string::npos);
            EXPECT_EQ(error.systemText(), std::strerror(c.writeError + c.renameError));
        }
        EXPECT_EQ(Get(path), "old\r\n");
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"kel.dat"});
    }
}

TEST(PosixFiles, AFullDiskLeavesTheOldFileWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    Scratch dir;
    const std::string small = dir.Path("small");
    ::mkdir(small.c_str(), 0700);
    if (::mount("kel-unit", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    const std::string path = small + "/kel.dat";
    Put(path, "old\r\n");
    PosixFiles files;
    try {
        files.ReplaceAll(path, std::string(256 * 1024, 'n'));
        ADD_FAILURE() << "a 256 KB save fitted on a 64 KB disk";
    } catch (const KelError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::DiskFull) << error.Report();
    }
    EXPECT_EQ(Get(path), "old\r\n");
    EXPECT_EQ(dir.Names("small"), std::vector<std::string>{"kel.dat"});
    files.ReplaceAll(path, "new\r\n");  // the space is free again
    EXPECT_EQ(Get(path), "new\r\n");
}

TEST(PosixFiles, ASaveKeepsTheModeAndALinkStaysALink) {
    Scratch dir;
    Put(dir.Path("real.ini"), "a");
    ::chmod(dir.Path("real.ini").c_str(), 0640);
    ::symlink("real.ini", dir.Path("kel.ini").c_str());
    PosixFiles files;
    files.ReplaceAll(dir.Path("kel.ini"), "b");
    EXPECT_TRUE(fs::is_symlink(dir.Path("kel.ini")));
    EXPECT_EQ(Get(dir.Path("real.ini")), "b");
    EXPECT_EQ(ModeOf(dir.Path("real.ini")), 0640u);
    files.ReplaceAll(dir.Path("new.ini"), "c");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.Path("new.ini")), 0644u & ~mask);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"kel.ini", "new.ini", "real.ini"}));
}

TEST(PosixFiles, OnlyAMissingFileOrFolderIsMissing) {
    Scratch dir;
    Put(dir.Path("locked"), "x");
    ::chmod(dir.Path("locked").c_str(), 0);
    ::mkdir(dir.Path("folder").c_str(), 0700);
    ::symlink("loop", dir.Path("loop").c_str());
    PosixFiles files;
    EXPECT_TRUE(files.FileExists(dir.Path("locked")));
    EXPECT_FALSE(files.FileExists(dir.Path("folder")));
    EXPECT_FALSE(files.FileExists(dir.Path("none")));
    EXPECT_FALSE(files.FileExists(dir.Path("locked/x")));
    EXPECT_THROW(files.FileExists(dir.Path("loop")), KelError);
    const struct {
        std::string path;
        ErrorKind kind;
    } reads[] = {{dir.Path("none"), ErrorKind::FileNotFound},
                 {dir.Path("gone/none"), ErrorKind::PathNotFound}};
    for (const auto& r : reads) {
        try {
            files.ReadAll(r.path);
            ADD_FAILURE() << r.path << " was read";
        } catch (const KelError& error) {
            EXPECT_EQ(error.kind(), r.kind) << r.path;
        }
    }
}

TEST(PosixFiles, RecoveryPutsTheCompleteOldCopyBack) {
    Scratch dir;
    const std::string path = dir.Path("kel.dat");
    Put(path, "half");
    Put(path + ".old", "whole");
    PosixFiles files;
    files.RecoverInterruptedRewrite(path);
    EXPECT_EQ(Get(path), "whole");
    files.RecoverInterruptedRewrite(path);  // nothing left to recover
    EXPECT_EQ(Get(path), "whole");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"kel.dat"});

    const std::string blocked = dir.Path("blocked");  // a folder with a file in it
    ::mkdir(blocked.c_str(), 0700);
    Put(blocked + "/x", "");
    Put(blocked + ".old", "whole");
    try {
        files.RecoverInterruptedRewrite(blocked);
        ADD_FAILURE() << "recovered over a folder";
    } catch (const KelError& error) {
        EXPECT_NE(error.detail().find(blocked + ".old"), std::string::npos) << error.Report();
    }
    EXPECT_EQ(Get(blocked + ".old"), "whole");
}

TEST(PosixFiles, CreateNewKeepsAFileThatAppearedMeanwhile) {
    Scratch dir;
    const std::string path = dir.Path("kel.ini");
    FaultyFiles files;
    files.CreateNew(path, "ours");
    EXPECT_EQ(Get(path), "ours");
    ::unlink(path.c_str());
    files.duringWrite = [&] { Put(path, "theirs"); };
    files.CreateNew(path, "ours");
    EXPECT_EQ(Get(path), "theirs");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"kel.ini"});
}

TEST(IconvCodec, CodePage932AsTheCaseTablesSay) {
    IconvCodec codec;
    for (const auto& c : cases::kCodecRoundTrips) {
        std::string bytes;
        std::u16string bad;
        EXPECT_TRUE(codec.Encode(c.text, bytes, &bad));
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_TRUE(bad.empty());
        EXPECT_EQ(codec.Decode(c.bytes), c.text);
    }
    for (const auto& c : cases::kCodecRefusals) {
        std::string bytes;
        std::u16string named;
        EXPECT_FALSE(codec.Encode(c.text, bytes, &named));
        EXPECT_EQ(named, c.named);
    }
    for (const auto& c : cases::kCodecDecodeOnly) EXPECT_EQ(codec.Decode(c.bytes), c.text);
}

TEST(PosixProcess, CarriesTheTwoCueFilesAndKnowsItsDirectory) {
    PosixProcess process;
    const std::string sounds = std::string(KEL_SOURCE_DIR) + "/src/sound/";
    const std::pair<int, const char*> cues[] = {{101, "key_clack.wav"}, {102, "title_close.wav"}};
    for (const auto& [id, name] : cues) {
        const std::string file = Get(sounds + name);
        EXPECT_EQ(process.LoadCustomResource(id), std::vector<std::uint8_t>(file.begin(), file.end()))
            << name;
    }
    EXPECT_THROW(process.LoadCustomResource(103), KelError);
    EXPECT_TRUE(fs::is_regular_file(Utf16ToUtf8(process.ProgramDirectory()) + "/kel_unit_tests"));
}

TEST(DataDirectory, XdgConfigHomeElseTheHomesConfigFolder) {
    Scratch dir;
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", dir.Path("a/b/").c_str(), 1);
    EXPECT_EQ(PrepareDataDirectory(), dir.Path("a/b/kel"));
    EXPECT_EQ(ModeOf(dir.Path("a")) & 077, 0u);  // made for the user alone
    EXPECT_TRUE(fs::is_directory(dir.Path("a/b/kel")));
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", dir.Path("home").c_str(), 1);
    EXPECT_EQ(PrepareDataDirectory(), dir.Path("home/.config/kel"));
    EXPECT_TRUE(fs::is_directory(dir.Path("home/.config/kel")));
    ::setenv("HOME", home.c_str(), 1);
    if (xdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");

    SetDataDirectory(dir.Path("home/.config/kel"), '/');
    EXPECT_EQ(SettingsPath(), dir.Path("home/.config/kel/kel.ini"));
    EXPECT_EQ(PhrasePath(), dir.Path("home/.config/kel/kel.dat"));
    SetDataDirectory("c:\\windows", '\\');
}

}  // namespace
}  // namespace kel::posix
