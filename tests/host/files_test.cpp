// What we test: Win32Files on the real file system under Wine.
//  - FileExists: a hidden, system or read-only file is there like any other
//    (the start never writes the defaults over it); a folder is not a file.
//  - The safe replace under each fault a save can meet: the file locked by
//    another program, read-only, the disk full part-way, the rename into
//    place refused (the rewrite in place, also on a full disk), the process
//    killed part-way. Each ends with the old file byte for byte or the new
//    one complete, never a mix or an empty file; a failure says which file
//    and why.
//  - A rewrite in place under faults, or killed anywhere, says what the file
//    holds, and the next start leaves exactly the old or the new bytes by the
//    journal's rules; a user's own "kel.dat.old" beside it is never touched.
//  - A journal is acted on only when it checks out and no save holds it; a
//    folder in its place is no journal.
#include "check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host_support.h"
#include "platform/errors.h"
#include "platform/journal.h"
#include "shared/journal_cases.h"

namespace kel::host {
namespace {

const std::string kOld = "*** old sayings ***\r\nthe user's own\r\n";

std::string Pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}

std::string Save(Files& files, const std::string& path, const std::string& fresh) {
    try {
        files.ReplaceAll(path, fresh);
    } catch (const KelError& error) {
        return error.Report();
    }
    return {};
}

// Checks what a save that gave `report` left at `path` (which held `old`):
// either the new file complete and no error, or the old file byte for byte
// and an error whose report names the file and `reason` (a save that must go
// through passes no reason). Returns whether the save went through.
bool Left(const std::string& path, const std::string& old, const std::string& fresh,
          const std::string& report, const char* reason) {
    std::string now;
    EXPECT_TRUE(GetFile(path, &now)) << path << " is gone";
    if (report.empty()) {
        EXPECT_TRUE(now == fresh) << "no error, but " << path << " holds " << now.size()
                                  << " bytes, not the " << fresh.size() << " saved";
        return true;
    }
    EXPECT_TRUE(now == old) << "the save failed and " << path << " holds " << now.size()
                            << " bytes: neither the old " << old.size() << " nor the new "
                            << fresh.size() << "\n" << report;
    if (reason == nullptr) {
        ADD_FAILURE() << "the save failed:\n" << report;
        return false;
    }
    EXPECT_NE(report.find(path), std::string::npos) << report;
    EXPECT_NE(report.find(reason), std::string::npos) << report;
    return false;
}

bool SaveSurvives(Files& files, const std::string& path, const std::string& old,
                  const std::string& fresh, const char* reason) {
    return Left(path, old, fresh, Save(files, path, fresh), reason);
}

template <typename F>
std::string Fails(F act, SaveOutcome* outcome = nullptr) {
    try {
        act();
    } catch (const KelError& error) {
        if (outcome != nullptr) *outcome = error.saveOutcome();
        return error.Report();
    }
    return {};
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(Win32Files, AnyFileExistsWhateverItsAttributesAFolderDoesNot) {
    ScratchDir dir;
    win32::Win32Files files;
    const struct {
        const char* name;
        DWORD attributes;
    } cases[] = {
        {"normal.dat", FILE_ATTRIBUTE_NORMAL},
        {"hidden.dat", FILE_ATTRIBUTE_HIDDEN},
        {"system.dat", FILE_ATTRIBUTE_SYSTEM},
        {"all.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Path(c.name);
        PutFile(path, kOld);
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.attributes));
        EXPECT_TRUE(files.FileExists(path)) << c.name;
        EXPECT_EQ(files.ReadAll(path), kOld) << c.name;
    }
    EXPECT_FALSE(files.FileExists(dir.Path("missing.dat")));
    EXPECT_NE(Fails([&] { files.FileExists(dir.Path("bad<name>.dat")); }), "");
    ASSERT_TRUE(::CreateDirectoryA(dir.Path("folder.dat").c_str(), nullptr));
    EXPECT_FALSE(files.FileExists(dir.Path("folder.dat")));
    EXPECT_NE(Fails([&] { files.CreateNew(dir.Path("folder.dat"), kOld); }), "");

    // A save over a hidden file keeps it hidden.
    files.ReplaceAll(dir.Path("hidden.dat"), "new\r\n");
    EXPECT_NE(::GetFileAttributesA(dir.Path("hidden.dat").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST(Win32Files, SaveReplacesCompletelyAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    win32::Win32Files files;
    const std::string path = dir.Path("kel.dat");
    PutFile(path, kOld);
    EXPECT_TRUE(SaveSurvives(files, path, kOld, "short\r\n", nullptr));
    EXPECT_TRUE(SaveSurvives(files, path, "short\r\n", Pattern(300000), nullptr));
    EXPECT_FALSE(Exists(path + ".kel-new"));
    EXPECT_FALSE(Exists(JournalPath(path)));
}

// Another program holds the file: open without sharing, or open with
// sharing but every byte locked. A save may go through (the other program
// keeps the old file it opened) or fail; it never tears the file.
TEST(Win32Files, LockedFileIsNeverTorn) {
    ScratchDir dir;
    const struct {
        const char* how;
        DWORD share;
        bool lockRange;
    } cases[] = {
        {"open without sharing", 0, false},
        {"open with sharing, every byte locked", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        for (int refuseRename = 0; refuseRename < 2; ++refuseRename) {
            SCOPED_TRACE(refuseRename ? "rename refused: rewrite in place" : "rename");
            const std::string path = dir.Path("locked" + std::to_string(++n) + ".dat");
            PutFile(path, kOld);
            HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, c.share,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(other, INVALID_HANDLE_VALUE);
            OVERLAPPED whole{};
            if (c.lockRange) {
                ASSERT_TRUE(::LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                                         0, MAXDWORD, MAXDWORD, &whole));
            }
            win32::Win32Files plain;
            RenameRefusingFiles refusing;
            Files& files = refuseRename ? static_cast<Files&>(refusing) : plain;
            const std::string report = Save(files, path, Pattern(5000));
            if (c.lockRange) ::UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &whole);
            ::CloseHandle(other);
            const bool saved = Left(path, kOld, Pattern(5000), report, "access denied");
            std::printf("  note: %s, %s: %s\n", c.how, refuseRename ? "rewrite in place" : "rename",
                        saved ? "saved" : "refused, old file kept");
        }
    }
}

TEST(Win32Files, ReadOnlyFileIsRefusedAndKept) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    PutFile(path, kOld);
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    win32::Win32Files files;
    EXPECT_FALSE(SaveSurvives(files, path, kOld, "new\r\n", "read-only"));
    EXPECT_FALSE(Exists(path + ".kel-new"));
}

// The rename refused: the file is rewritten where it lies, its old bytes
// kept in its journal until the new ones are flushed.
TEST(Win32Files, RenameRefusedRewritesInPlace) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    PutFile(path, Pattern(20000));
    RenameRefusingFiles files;
    EXPECT_TRUE(SaveSurvives(files, path, Pattern(20000), kOld, nullptr));  // shorter
    EXPECT_TRUE(SaveSurvives(files, path, kOld, Pattern(70000), nullptr));  // longer
    EXPECT_FALSE(Exists(path + ".kel-new"));
    EXPECT_FALSE(Exists(JournalPath(path)));
}

// A small drive (scripts/test maps a small tmpfs as one where it runs as
// root): the save needs more room than is left.
class SmallDrive : public ::testing::Test {
protected:
    void SetUp() override {
        const char* drive = std::getenv("KEL_HOST_SMALL_DRIVE");
        if (drive == nullptr || *drive == '\0') {
            GTEST_SKIP() << "no small drive (KEL_HOST_SMALL_DRIVE unset: scripts/test maps a "
                            "small tmpfs as a drive only where it runs as root)";
        }
        dir_.reset(new ScratchDir(drive));
        path_ = dir_->Path("kel.dat");
        PutFile(path_, old_);
    }
    std::uint64_t FreeBytes() const {
        ULARGE_INTEGER free{};
        EXPECT_TRUE(::GetDiskFreeSpaceExA(dir_->dir().c_str(), &free, nullptr, nullptr));
        return free.QuadPart;
    }
    std::unique_ptr<ScratchDir> dir_;
    std::string path_;
    const std::string old_ = Pattern(12000);
};

TEST_F(SmallDrive, DiskFullPartWayKeepsTheOldFile) {
    win32::Win32Files files;
    const std::string fresh = Pattern(static_cast<std::size_t>(FreeBytes() * 2));
    EXPECT_FALSE(SaveSurvives(files, path_, old_, fresh, "disk full"));
    EXPECT_FALSE(Exists(path_ + ".kel-new"));
}

// The rename refused: the rewrite in place needs no room for a third copy.
TEST_F(SmallDrive, RenameRefusedNeedsNoRoomForAThirdCopy) {
    RenameRefusingFiles files;
    const std::string fresh = Pattern(static_cast<std::size_t>(FreeBytes() * 9 / 10));
    EXPECT_TRUE(SaveSurvives(files, path_, old_, fresh, nullptr));
    EXPECT_FALSE(Exists(JournalPath(path_)));
    EXPECT_FALSE(Exists(path_ + ".kel-new"));
}

struct HostDisk {
    void Put(const std::string& path, const std::string& bytes) { PutFile(path, bytes); }
    std::string Get(const std::string& path) {
        std::string bytes;
        return GetFile(path, &bytes) ? bytes : "(none)";
    }
    bool Exists(const std::string& path) { return host::Exists(path); }
};

// Runs this program again to save `size` bytes over `path` with renames
// refused, dying where DieWhileSaving is told; returns its exit code.
int SaveAndDie(const std::string& path, int call, unsigned long bytes, unsigned long size) {
    std::string command = "\"" + OwnPath() + "\" --die-while-saving \"" + path + "\" " +
                          std::to_string(call) + " " + std::to_string(bytes) + " " +
                          std::to_string(size) + " refuse";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        return -1;
    }
    DWORD code = 1000;
    if (::WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// The process killed anywhere in a rewrite in place (tests/shared); the
// temporary file it leaves is overwritten by the next save.
TEST(Win32Files, ARewriteKilledAnywhereLeavesTheOldOrTheNewBytes) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    HostDisk disk;
    // Writes, renames refused: 1 "kel.dat.kel-new", 2 and 3 the journal, 4 the file.
    const std::pair<int, unsigned long> at[] = {{1, 10000}, {2, 16},     {4, 0},
                                                {4, 10000}, {4, 20000}, {0, 0}};
    cases::CheckDeaths(
        disk, path,
        [&](cases::Death death) {
            const auto& [call, bytes] = at[static_cast<int>(death)];
            return SaveAndDie(path, call, bytes, cases::kDeathNewSize);
        },
        [&](bool inPlace) {
            win32::Win32Files plain;
            RenameRefusingFiles refusing;
            Files& files = inPlace ? static_cast<Files&>(refusing) : plain;
            return Fails([&] { files.RecoverInterruptedRewrite(path); });
        });
    win32::Win32Files files;
    files.ReplaceAll(path, "next\r\n");
    EXPECT_EQ(files.ReadAll(path), "next\r\n");
    EXPECT_FALSE(Exists(path + ".kel-new"));
}

// Writes, renames refused: 1 "kel.dat.kel-new", 2 and 3 the journal, 4 the new
// bytes, 5 the old ones written back. The report says what the file holds,
// and after the next start's recovery it holds that.
TEST(Win32Files, RewriteInPlaceFaultsSayWhatTheFileHolds) {
    ScratchDir dir;
    HostDisk disk;
    const std::string path = dir.Path("kel.dat"), fresh = Pattern(3000);
    enum { Saved = -1 };
    const struct {
        const char* what;
        int refusals, failFrom, failTo;
        bool failClose;
        int outcome;
        const char* says;
    } cases[] = {
        {"rename refused for a moment", 3, 0, 0, false, Saved, nullptr},
        {"in place", -1, 0, 0, false, Saved, nullptr},
        {"journal refused", -1, 2, 3, false, 0, "disk full"},
        {"new bytes refused, old written back", -1, 4, 4, false, 0, "the old text was written back"},
        {"write-back refused too", -1, 4, 5, false, 1, "kel.dat.kel-journal"},
        {"close failed after the flush", -1, 0, 0, true, 2, "closing the file failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(path, kOld);
        cases::PutUsersCopies(disk, path);
        FaultyFiles files;
        files.refusals = c.refusals, files.failFrom = c.failFrom, files.failTo = c.failTo;
        files.failClose = c.failClose;
        SaveOutcome outcome{};
        const std::string report = Fails([&] { files.ReplaceAll(path, fresh); }, &outcome);
        EXPECT_EQ(report.empty() ? Saved : static_cast<int>(outcome), c.outcome) << report;
        if (c.says != nullptr) {
            EXPECT_NE(report.find(c.says), std::string::npos) << report;
        }
        if (c.refusals > 0) {
            EXPECT_EQ(files.writes, 1) << "rewritten in place, not renamed";
        }
        EXPECT_EQ(Exists(JournalPath(path)), c.outcome == 1);
        win32::Win32Files().RecoverInterruptedRewrite(path);
        std::string now;
        EXPECT_TRUE(GetFile(path, &now) && now == (c.outcome == Saved || c.outcome == 2 ? fresh : kOld));
        EXPECT_FALSE(Exists(JournalPath(path)) || Exists(path + ".kel-new"));
        cases::ExpectUsersCopies(disk, path);
    }
}

TEST(Win32Files, ASaveThatCannotPutBackACutShortOneSaysTheOldTextIsAside) {
    ScratchDir dir;
    HostDisk disk;
    cases::CheckPutBackRefused(disk, dir.Path("kel.dat"), [&] {
        FaultyFiles files;
        files.failFrom = 1, files.failTo = 1 << 30;
        SaveOutcome outcome = SaveOutcome::NewFileSaved;
        Fails([&] { files.ReplaceAll(dir.Path("kel.dat"), "newer\r\n"); }, &outcome);
        return outcome;
    });
}

// The journal's rules (tests/shared); a save holds its journal open without
// sharing.
TEST(Win32Files, AJournalIsActedOnOnlyWhenItChecksOutAndNoOneHoldsIt) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat"), journal = JournalPath(path);
    HostDisk disk;
    cases::CheckJournalRules(
        disk, path,
        [](const std::string& name) {
            HANDLE held = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            EXPECT_TRUE(held != INVALID_HANDLE_VALUE);
            return [held] { ::CloseHandle(held); };
        },
        [&] { return Fails([&] { win32::Win32Files().RecoverInterruptedRewrite(path); }); });

    // A folder in the journal's place is nothing of ours: the start leaves it
    // and the file alone, a save by rename goes through, a rewrite in place
    // says why it cannot.
    PutFile(path, kOld);
    ASSERT_TRUE(::CreateDirectoryA(journal.c_str(), nullptr));
    EXPECT_EQ(Fails([&] { win32::Win32Files().RecoverInterruptedRewrite(path); }), "");
    RenameRefusingFiles refusing;
    win32::Win32Files plain;
    EXPECT_FALSE(SaveSurvives(refusing, path, kOld, "new\r\n", "is a folder"));
    EXPECT_TRUE(SaveSurvives(plain, path, kOld, "new\r\n", nullptr));
    EXPECT_NE(::GetFileAttributesA(journal.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// A recovery that cannot finish (a folder in the file's place) names the
// journal as the good copy and keeps it.
TEST(Win32Files, RecoveryThatFailsNamesTheGoodCopy) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
    PutFile(JournalPath(path), cases::Journal(kOld, "new\r\n"));
    const std::string report = Fails([&] { RenameRefusingFiles().RecoverInterruptedRewrite(path); });
    EXPECT_NE(report.find(JournalPath(path)), std::string::npos) << report;
    EXPECT_NE(report.find("may be damaged"), std::string::npos) << report;
    EXPECT_TRUE(Exists(JournalPath(path)));
}

}  // namespace
}  // namespace kel::host
