// What we test: the Linux implementations behind the seam, on real files:
// the shared profile and code page tables; failed saves (a refused rename, a
// full disk, faked and real) leave the old bytes whole and no temporary file;
// what counts as missing; recovery and the create-only write; the cue files.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/process_linux.h"
#include "platform/text.h"
#include "shared/codec_cases.h"
#include "shared/phrase_encoding_cases.h"
#include "shared/profile_cases.h"

namespace kel::posix {
namespace {

namespace fs = std::filesystem;

// A fresh directory, removed with what it holds.
struct Scratch {
    std::string dir = [] {
        char name[] = "/tmp/kel-unit.XXXXXX";
        return std::string(::mkdtemp(name));
    }();
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::vector<std::string> Names(const std::string& sub = ".") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path(sub))) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
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

std::optional<KelError> Thrown(const std::function<void()>& action) {
    try {
        action();
    } catch (const KelError& error) {
        return error;
    }
    return std::nullopt;
}

// Writes fail with `writeError`, the rename with `renameError`;
// `duringWrite` runs before each write.
class FaultyFiles : public PosixFiles {
public:
    int writeError = 0, renameError = 0;
    std::function<void()> duringWrite;

protected:
    ssize_t WriteChunk(int fd, const char* data, std::size_t size) override {
        if (duringWrite) duringWrite();
        errno = writeError;
        return writeError ? -1 : PosixFiles::WriteChunk(fd, data, size);
    }
    int RenameIntoPlace(const std::string& from, const std::string& to) override {
        errno = renameError;
        return renameError ? -1 : PosixFiles::RenameIntoPlace(from, to);
    }
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
        {"a write refused for a full disk", ENOSPC, 0, ErrorKind::DiskFull},
        {"a write refused for a full quota", EDQUOT, 0, ErrorKind::DiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        const std::string path = dir.Path("kel.dat");
        Put(path, "old\r\n");
        FaultyFiles files;
        files.writeError = c.writeError;
        files.renameError = c.renameError;
        const auto error = Thrown([&] { files.ReplaceAll(path, std::string(100000, 'n')); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), c.kind);
        EXPECT_NE(error->operation().find(path), std::string::npos);
        EXPECT_EQ(error->systemText(), std::strerror(c.writeError + c.renameError));
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
    const auto error = Thrown([&] { files.ReplaceAll(path, std::string(256 * 1024, 'n')); });
    EXPECT_TRUE(error && error->kind() == ErrorKind::DiskFull);
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
    const auto none = Thrown([&] { files.ReadAll(dir.Path("none")); });
    const auto gone = Thrown([&] { files.ReadAll(dir.Path("gone/none")); });
    EXPECT_TRUE(none && none->kind() == ErrorKind::FileNotFound);
    EXPECT_TRUE(gone && gone->kind() == ErrorKind::PathNotFound);
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
    const auto error = Thrown([&] { files.RecoverInterruptedRewrite(blocked); });
    EXPECT_TRUE(error && error->detail().find(blocked + ".old") != std::string::npos);
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
    // A folder in its place is no file of anyone's: the defaults cannot go there.
    ::mkdir(dir.Path("kel.dat").c_str(), 0700);
    EXPECT_THROW(files.CreateNew(dir.Path("kel.dat"), "ours"), KelError);
}

TEST(IconvCodec, CodePage932AsTheCaseTablesSay) { cases::CheckCodecCases(IconvCodec()); }

TEST(IconvCodec, PhraseFileReadingsAsTheCaseTableSays) {
    cases::CheckPhraseEncodingCases(IconvCodec());
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

}  // namespace
}  // namespace kel::posix
