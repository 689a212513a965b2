// What we test: the Linux implementations behind the seam, on real files:
// the shared profile and code page tables; failed saves (a refused rename, a
// full disk, faked and real) leave the old bytes whole and no temporary file;
// a rewrite in place (a file mounted on its own) under faults or killed
// anywhere, and the next start by the journal's rules, never touching the
// user's own copies; what counts as missing; a settings link whose target is
// gone; modes as an unprivileged user; the create-only write; the cue files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
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
#include "platform/journal.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/process_linux.h"
#include "platform/text.h"
#include "shared/codec_cases.h"
#include "shared/journal_cases.h"
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

// Writes (those numbered failFrom to failTo, when set) fail with
// `writeError`, the rename with `renameError`, the close of a file rewritten
// in place with `closeError`; `duringWrite` runs before each write.
class FaultyFiles : public PosixFiles {
public:
    int writeError = 0, renameError = 0, closeError = 0, failFrom = 0, failTo = 0, written = 0;
    std::function<void()> duringWrite;

protected:
    ssize_t WriteChunk(int fd, const char* data, std::size_t size) override {
        if (duringWrite) duringWrite();
        ++written;
        const bool fails = writeError && (failFrom == 0 || (written >= failFrom && written <= failTo));
        errno = fails ? writeError : 0;
        return fails ? -1 : PosixFiles::WriteChunk(fd, data, size);
    }
    bool CloseWritten(int fd) override {
        const bool closed = PosixFiles::CloseWritten(fd);
        errno = closeError;
        return closed && closeError == 0;
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

struct PosixDisk {
    void Put(const std::string& path, const std::string& bytes) { posix::Put(path, bytes); }
    std::string Get(const std::string& path) { return posix::Get(path); }
    bool Exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }
};

// Saves `size` bytes over `path` in a child process, the rename refused as
// for a file mounted on its own (so rewritten in place), and ends that
// process at once in its `call`-th write once `bytes` of it are written, or
// with `call` 0 when it closes the rewritten file. Returns its exit status.
int SaveAndDie(const std::string& path, int call, std::size_t bytes, std::size_t size) {
    struct Dying : FaultyFiles {
        int call = 0;
        std::size_t bytes = 0;
        ssize_t WriteChunk(int fd, const char* data, std::size_t n) override {
            if (++written != call) return PosixFiles::WriteChunk(fd, data, n);
            if (bytes > 0 && ::write(fd, data, std::min(n, bytes)) < 0) ::_exit(8);
            ::_exit(9);
        }
        bool CloseWritten(int fd) override {
            if (call == 0) ::_exit(9);
            return PosixFiles::CloseWritten(fd);
        }
    };
    const pid_t child = ::fork();
    if (child == 0) {
        Dying files;
        files.renameError = EBUSY, files.call = call, files.bytes = bytes;
        try {
            files.ReplaceAll(path, std::string(size, 'n'));
        } catch (...) {
        }
        ::_exit(1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

// The process killed anywhere in a rewrite in place (tests/shared).
TEST(PosixFiles, ARewriteKilledAnywhereLeavesTheOldOrTheNewBytes) {
    Scratch dir;
    const std::string path = dir.Path("kel.dat");
    PosixDisk disk;
    // Writes, the rename refused: 1 the temporary file, 2 the journal, 3 the file.
    const std::pair<int, std::size_t> at[] = {{1, 10000}, {2, 16},     {3, 0},
                                              {3, 10000}, {3, 20000}, {0, 0}};
    cases::CheckDeaths(
        disk, path,
        [&](cases::Death death) {
            const auto& [call, bytes] = at[static_cast<int>(death)];
            return SaveAndDie(path, call, bytes, cases::kDeathNewSize);
        },
        [&](bool inPlace) {
            FaultyFiles files;
            files.renameError = inPlace ? EBUSY : 0;
            const auto error = Thrown([&] { files.RecoverInterruptedRewrite(path); });
            return error ? error->Report() : std::string();
        });
}

// Writes, the rename refused: 1 the temporary file, 2 the journal, 3 the new
// bytes, 4 the old ones written back. The report says what the file holds, and
// after the next start's recovery it holds that.
TEST(PosixFiles, RewriteInPlaceFaultsSayWhatTheFileHolds) {
    const std::string old = "old\r\n", fresh(3000, 'n');
    const struct {
        const char* what;
        int failFrom, failTo, closeError;
        std::optional<SaveOutcome> outcome;
        const char* says;
    } cases[] = {
        {"in place", 0, 0, 0, std::nullopt, nullptr},
        {"journal refused", 2, 2, 0, SaveOutcome::OldFileUnchanged, "disk full"},
        {"new bytes refused, old written back", 3, 3, 0, SaveOutcome::OldFileUnchanged,
         "the old text was written back"},
        {"write-back refused too", 3, 4, 0, SaveOutcome::OldFileAside, "kel.dat.kel-journal"},
        {"close failed after the flush", 0, 0, EIO, SaveOutcome::NewFileSaved,
         "closing the file failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        const std::string path = dir.Path("kel.dat");
        Put(path, old);
        FaultyFiles files;
        files.renameError = EXDEV;
        files.writeError = c.failFrom ? ENOSPC : 0;
        files.failFrom = c.failFrom, files.failTo = c.failTo, files.closeError = c.closeError;
        const auto error = Thrown([&] { files.ReplaceAll(path, fresh); });
        EXPECT_EQ(error ? std::optional<SaveOutcome>(error->saveOutcome()) : std::nullopt, c.outcome);
        if (error && c.says) {
            EXPECT_NE(error->Report().find(c.says), std::string::npos) << error->Report();
        }
        EXPECT_EQ(fs::exists(JournalPath(path)), c.outcome == SaveOutcome::OldFileAside);
        PosixFiles().RecoverInterruptedRewrite(path);
        const bool holdsNew = !c.outcome || c.outcome == SaveOutcome::NewFileSaved;
        EXPECT_EQ(Get(path), holdsNew ? fresh : old);
        EXPECT_FALSE(fs::exists(JournalPath(path)));
    }
}

TEST(PosixFiles, ASaveThatCannotPutBackACutShortOneSaysTheOldTextIsAside) {
    Scratch dir;
    PosixDisk disk;
    cases::CheckPutBackRefused(disk, dir.Path("kel.dat"), [&] {
        FaultyFiles files;
        files.writeError = ENOSPC;
        const auto error = Thrown([&] { files.ReplaceAll(dir.Path("kel.dat"), "newer\r\n"); });
        return error ? error->saveOutcome() : SaveOutcome::NewFileSaved;
    });
}

// The journal's rules (tests/shared); a save holds a lock on its journal. A
// folder in the journal's place is nothing of ours.
TEST(PosixFiles, AJournalIsActedOnOnlyWhenItChecksOutAndNoOneHoldsIt) {
    {
        Scratch dir;
        PosixDisk disk;
        const std::string path = dir.Path("kel.dat");
        cases::CheckJournalRules(
            disk, path,
            [](const std::string& name) {
                const int held = ::open(name.c_str(), O_RDWR);
                EXPECT_EQ(::flock(held, LOCK_EX), 0);
                return [held] { ::close(held); };
            },
            [&] {
                const auto error = Thrown([&] { PosixFiles().RecoverInterruptedRewrite(path); });
                return error ? error->Report() : std::string();
            });
    }
    Scratch dir;
    const std::string path = dir.Path("kel.dat");
    Put(path, "old\r\n");
    ::mkdir(JournalPath(path).c_str(), 0700);
    EXPECT_FALSE(Thrown([&] { PosixFiles().RecoverInterruptedRewrite(path); }));
    FaultyFiles files;
    files.renameError = EBUSY;
    const auto error = Thrown([&] { files.ReplaceAll(path, "new\r\n"); });
    EXPECT_TRUE(error && error->detail().find("is a folder") != std::string::npos);
    EXPECT_EQ(Get(path), "old\r\n");
    PosixFiles().ReplaceAll(path, "new\r\n");
    EXPECT_EQ(Get(path), "new\r\n");
    EXPECT_TRUE(fs::is_directory(JournalPath(path)));

    // A recovery that cannot finish (a folder in the file's place) names the
    // journal as the good copy and keeps it.
    const std::string blocked = dir.Path("blocked");
    ::mkdir(blocked.c_str(), 0700);
    Put(blocked + "/x", "");
    Put(JournalPath(blocked), cases::Journal("old", "new"));
    const auto failed = Thrown([&] { PosixFiles().RecoverInterruptedRewrite(blocked); });
    EXPECT_TRUE(failed && failed->detail().find(JournalPath(blocked)) != std::string::npos);
    EXPECT_EQ(Get(JournalPath(blocked)), cases::Journal("old", "new"));
}

// A settings write beside the journal of a save cut short (another saver
// killed part-way) puts the old settings back first and changes only its key.
TEST(PosixProfile, AWriteFinishesASaveCutShortFirst) {
    Scratch dir;
    const std::string ini = dir.Path("kel.ini");
    const std::string old = "[View]\r\nViewMode=1\r\n[Mode]\r\nSound=1\r\n[StartUp]\r\nFrase_No=3\r\n";
    const std::string fresh = "[View]\r\nViewMode=0\r\n[Mode]\r\nSound=0\r\n[StartUp]\r\nFrase_No=3\r\n";
    Put(ini, fresh.substr(0, 20));
    Put(JournalPath(ini), cases::Journal(old, fresh));
    PosixFiles files;
    PosixProfile(files).WriteStringOrThrow(ini, "StartUp", "Frase_No", "7");
    EXPECT_EQ(Get(ini), "[View]\r\nViewMode=1\r\n[Mode]\r\nSound=1\r\n[StartUp]\r\nFrase_No=7\r\n");
    EXPECT_FALSE(fs::exists(JournalPath(ini)));
}

// A settings link whose target is gone: written through where the target's
// folder is there; otherwise one line on stderr and the link kept.
TEST(PosixProfile, ALinkWhoseTargetIsGoneIsNeverReplaced) {
    Scratch dir;
    ::mkdir(dir.Path("kept").c_str(), 0700);
    ::symlink("kept/real.ini", dir.Path("kel.ini").c_str());
    ::symlink(dir.Path("gone/real.ini").c_str(), dir.Path("lost.ini").c_str());
    PosixFiles files;
    PosixProfile profile(files);
    profile.WriteString(dir.Path("kel.ini"), "StartUp", "Frase_No", "7");
    EXPECT_TRUE(fs::is_symlink(dir.Path("kel.ini")));
    EXPECT_EQ(Get(dir.Path("kept/real.ini")), "[StartUp]\r\nFrase_No=7\r\n");
    ::testing::internal::CaptureStderr();
    profile.WriteString(dir.Path("lost.ini"), "StartUp", "Frase_No", "7");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_symlink(dir.Path("lost.ini")));
    EXPECT_FALSE(fs::exists(dir.Path("gone")));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(dir.Path("gone/real.ini")), std::string::npos) << said;
}

// Modes mean nothing to root: run as root, the test runs itself again as
// nobody. An unreadable settings file is an error, never the defaults, and is
// not written over; an unreadable journal is reported and left with the file;
// a journal in a folder where nothing may be removed is emptied, so that it
// no longer checks out.
TEST(PosixFilesAsAUser, ModesAreHonoured) {
    if (::geteuid() == 0) {  // a copy nobody can run, wherever the build lies
        Scratch copy;
        const std::string self = copy.Path("kel_unit_tests");
        fs::copy_file("/proc/self/exe", self);
        ::chmod(copy.dir.c_str(), 0755);
        const std::string command = "setpriv --reuid=nobody --regid=nogroup --clear-groups '" +
                                    self + "' --gtest_filter=PosixFilesAsAUser.* >&2";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        return;
    }
    Scratch dir;
    PosixFiles files;
    PosixProfile profile(files);
    const std::string ini = dir.Path("kel.ini");
    Put(ini, "[View]\r\nSize=Large\r\n");
    ::chmod(ini.c_str(), 0);
    EXPECT_THROW(profile.GetString(ini, "View", "Size", "Small"), KelError);
    EXPECT_THROW(profile.WriteStringOrThrow(ini, "StartUp", "Frase_No", "7"), KelError);
    ::chmod(ini.c_str(), 0444);  // read-only, in a folder that lets it be replaced
    EXPECT_THROW(profile.WriteStringOrThrow(ini, "StartUp", "Frase_No", "7"), KelError);
    ::chmod(ini.c_str(), 0600);
    EXPECT_EQ(Get(ini), "[View]\r\nSize=Large\r\n");

    const std::string path = dir.Path("kel.dat"), journal = JournalPath(path);
    Put(path, "torn");
    Put(journal, cases::Journal("old\r\n", "new\r\n"));
    ::chmod(journal.c_str(), 0);
    const auto error = Thrown([&] { files.RecoverInterruptedRewrite(path); });
    EXPECT_TRUE(error && error->kind() == ErrorKind::AccessDenied);
    ::chmod(journal.c_str(), 0600);
    EXPECT_EQ(Get(path), "torn");
    EXPECT_EQ(Get(journal), cases::Journal("old\r\n", "new\r\n"));

    Put(path, "new\r\n");
    ::chmod(dir.dir.c_str(), 0500);
    EXPECT_FALSE(Thrown([&] { files.RecoverInterruptedRewrite(path); }));
    ::chmod(dir.dir.c_str(), 0700);
    EXPECT_EQ(Get(path), "new\r\n");
    EXPECT_EQ(Get(journal), "");
    files.RecoverInterruptedRewrite(path);
    EXPECT_FALSE(fs::exists(journal));
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
