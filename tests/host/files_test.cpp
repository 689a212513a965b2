// What we test: Win32Files on the real file system under Wine.
//  - FileExists: a hidden, system or read-only file is there like any other
//    (the start never writes the defaults over it); a folder is not a file.
//  - The safe replace under each fault a save can meet: the file locked by
//    another program, read-only, the disk full part-way, the rename into
//    place refused (the rewrite in place, also on a full disk), the process
//    killed part-way. Each ends with the old file byte for byte or the new
//    one complete, never a mix or an empty file; a failure says which file
//    and why.
//  - The rewrite in place under faults (cut short, write-back failing, the
//    close failing, a second save over a leftover "<path>.old"): the error
//    says what the file holds; the next start puts a complete old copy back.
//  - A rename refused for a moment goes through on a retry.
//  - Only "not found" means missing; the defaults never replace a file.
#include "check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host_support.h"
#include "platform/errors.h"

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
    EXPECT_FALSE(files.FileExists(dir.Path("no folder\\missing.dat")));
    bool threw = false;
    try {
        files.FileExists(dir.Path("bad<name>.dat"));
    } catch (const KelError& error) {
        threw = error.Report().find("bad<name>.dat") != std::string::npos;
    }
    EXPECT_TRUE(threw) << "a name that cannot be looked at is not a missing file";
    ASSERT_TRUE(::CreateDirectoryA(dir.Path("folder.dat").c_str(), nullptr));
    EXPECT_FALSE(files.FileExists(dir.Path("folder.dat")));

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
    EXPECT_FALSE(Exists(path + ".new"));
    EXPECT_FALSE(Exists(path + ".old"));
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
    EXPECT_FALSE(Exists(path + ".new"));
}

// The rename refused: the file is rewritten where it lies, its old bytes
// kept aside until the new ones are flushed.
TEST(Win32Files, RenameRefusedRewritesInPlace) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    PutFile(path, Pattern(20000));
    RenameRefusingFiles files;
    EXPECT_TRUE(SaveSurvives(files, path, Pattern(20000), kOld, nullptr));  // shorter
    EXPECT_TRUE(SaveSurvives(files, path, kOld, Pattern(70000), nullptr));  // longer
    EXPECT_FALSE(Exists(path + ".new"));
    EXPECT_FALSE(Exists(path + ".old"));
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
    EXPECT_FALSE(Exists(path_ + ".new"));
}

// The rename refused: the rewrite in place needs no more room than the new
// copy did (that copy is removed first), so a save whose new copy fits
// (90 % of what is free) goes through.
TEST_F(SmallDrive, RenameRefusedNeedsNoRoomForAThirdCopy) {
    RenameRefusingFiles files;
    const std::string fresh = Pattern(static_cast<std::size_t>(FreeBytes() * 9 / 10));
    EXPECT_TRUE(SaveSurvives(files, path_, old_, fresh, nullptr));
    EXPECT_FALSE(Exists(path_ + ".old"));
    EXPECT_FALSE(Exists(path_ + ".new"));
}

// Runs this program as a child that dies part-way through a save.
void DieWhileSavingChild(const std::string& path, unsigned long dieAfter, unsigned long size,
                         bool refuse) {
    std::string command = "\"" + OwnPath() + "\" --die-while-saving \"" + path + "\" " +
                          std::to_string(dieAfter) + " " + std::to_string(size) +
                          (refuse ? " refuse" : "");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    const DWORD waited = ::WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    ASSERT_EQ(code, 9u) << "the saving process did not die where it was meant to";
}

// The process dies half-way through the save and again with every byte
// written but the file not yet in place. The old file is what the next
// start reads; the temporary file left behind is ignored, and the next
// save overwrites and removes it.
TEST(Win32Files, ProcessKilledPartWayLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    const unsigned long size = 40000;
    for (unsigned long dieAfter : {size / 2, size}) {
        SCOPED_TRACE("killed after " + std::to_string(dieAfter) + " bytes");
        PutFile(path, kOld);
        DieWhileSavingChild(path, dieAfter, size, false);

        win32::Win32Files files;
        EXPECT_TRUE(files.FileExists(path));
        EXPECT_EQ(files.ReadAll(path), kOld);
        EXPECT_TRUE(Exists(path + ".new")) << "the temporary file should be left behind";
        files.ReplaceAll(path, "next\r\n");
        EXPECT_EQ(files.ReadAll(path), "next\r\n");
        EXPECT_FALSE(Exists(path + ".new"));
    }
}

// Killed half-way through a rewrite in place: the file is torn, and the next
// start (the saver's or the dialog's) puts the complete old copy back.
TEST(Win32Files, RewriteInPlaceCutShortIsUndoneAtTheNextStart) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    const unsigned long size = 40000;
    PutFile(path, kOld);
    // The .new copy, the .old copy, then half of the rewrite.
    DieWhileSavingChild(path, size + kOld.size() + size / 2, size, true);
    std::string torn;
    ASSERT_TRUE(GetFile(path, &torn));
    EXPECT_NE(torn, kOld) << "the rewrite should have been cut short";
    win32::Win32Files files;
    files.RecoverInterruptedRewrite(path);
    EXPECT_EQ(files.ReadAll(path), kOld);
    EXPECT_FALSE(Exists(path + ".old"));
    files.RecoverInterruptedRewrite(path);  // nothing to do
    EXPECT_EQ(files.ReadAll(path), kOld);
}

std::string SaveOutcomeOf(Files& files, const std::string& path, const std::string& fresh,
                          SaveOutcome* outcome) {
    try {
        files.ReplaceAll(path, fresh);
    } catch (const KelError& error) {
        *outcome = error.saveOutcome();
        return error.Report();
    }
    return {};
}

// The rewrite in place under faults. WriteChunk calls: 1 the .new copy, 2
// the .old copy, 3 the new bytes in place, 4 the old bytes written back.
TEST(Win32Files, RewriteInPlaceFaultsSayWhatTheFileHolds) {
    ScratchDir dir;
    const std::string fresh = Pattern(3000);
    const struct {
        const char* what;
        int failFrom, failTo;
        bool failClose;
        SaveOutcome outcome;
        const char* holds;  // "old" or "new"
        bool asideLeft;
    } cases[] = {
        {"new bytes refused, old written back", 3, 3, false, SaveOutcome::OldFileUnchanged, "old", false},
        {"write-back refused too", 3, 4, false, SaveOutcome::OldFileAside, "old", true},
        {"close fails after the flush", 0, 0, true, SaveOutcome::NewFileSaved, "new", false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Path("faulty" + std::to_string(++n) + ".dat");
        PutFile(path, kOld);
        RenameRefusingFiles files;
        files.failWritesFrom = c.failFrom;
        files.failWritesTo = c.failTo;
        files.failClose = c.failClose;
        SaveOutcome outcome = SaveOutcome::OldFileUnchanged;
        const std::string report = SaveOutcomeOf(files, path, fresh, &outcome);
        EXPECT_FALSE(report.empty());
        EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(c.outcome)) << report;
        EXPECT_EQ(Exists(path + ".old"), c.asideLeft);
        std::string now;
        if (c.asideLeft) {
            EXPECT_NE(report.find(path + ".old"), std::string::npos) << report;
            EXPECT_TRUE(GetFile(path + ".old", &now) && now == kOld);
            win32::Win32Files().RecoverInterruptedRewrite(path);
        }
        EXPECT_TRUE(GetFile(path, &now) && now == (c.holds[0] == 'o' ? kOld : fresh));
        EXPECT_FALSE(Exists(path + ".new"));
        EXPECT_FALSE(Exists(path + ".old.new"));
    }
}

// A save while a "<path>.old" from a failed rewrite is still there (the
// dialog stays open after the failure and the user saves again): the torn
// file is never copied over that last good copy. A save that fails again
// keeps it; one that goes through (in place or by rename) removes it.
TEST(Win32Files, SecondSaveKeepsTheLastGoodCopy) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how == 0 ? "fails again" : how == 1 ? "in place" : "by rename");
        PutFile(path, "torn");
        PutFile(path + ".old", kOld);
        FaultyFiles files;
        files.refusedRenames = how < 2 ? -1 : 0;
        if (how == 0) files.failWritesFrom = 2, files.failWritesTo = 99;  // after the .new copy
        SaveOutcome outcome = SaveOutcome::OldFileUnchanged;
        const std::string report = SaveOutcomeOf(files, path, "new\r\n", &outcome);
        std::string now;
        if (how == 0) {
            EXPECT_TRUE(GetFile(path + ".old", &now) && now == kOld) << report;
            EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(SaveOutcome::OldFileAside));
            continue;
        }
        EXPECT_EQ(report, "");
        EXPECT_TRUE(GetFile(path, &now) && now == "new\r\n");
        EXPECT_FALSE(Exists(path + ".old"));
    }
}

// Another program holds the file open for a moment: the rename goes through
// on a retry, and the file is not rewritten in place.
TEST(Win32Files, RenameRefusedForAMomentGoesThroughOnARetry) {
    ScratchDir dir;
    const std::string path = dir.Path("kel.dat");
    PutFile(path, kOld);
    FaultyFiles files;
    files.refusedRenames = 3;
    EXPECT_TRUE(SaveSurvives(files, path, kOld, "new\r\n", nullptr));
    EXPECT_EQ(files.renames, 4);
    EXPECT_EQ(files.writes, 1) << "rewritten in place instead of renamed";
    EXPECT_FALSE(Exists(path + ".old"));
}

// The recovery by rename, by copy where renames are refused, and its report
// when it cannot: the good copy stays and is named.
TEST(Win32Files, RecoveryPutsTheOldCopyBackOrNamesIt) {
    ScratchDir dir;
    for (int refuse = 0; refuse < 2; ++refuse) {
        const std::string path = dir.Path("kel" + std::to_string(refuse) + ".dat");
        PutFile(path, "torn");
        PutFile(path + ".old", kOld);
        FaultyFiles files;
        files.refusedRenames = refuse ? -1 : 0;
        files.RecoverInterruptedRewrite(path);
        std::string now;
        EXPECT_TRUE(GetFile(path, &now) && now == kOld) << refuse;
        EXPECT_FALSE(Exists(path + ".old")) << refuse;
    }
    const std::string blocked = dir.Path("blocked.dat");  // a folder where the file should be
    ASSERT_TRUE(::CreateDirectoryA(blocked.c_str(), nullptr));
    PutFile(blocked + ".old", kOld);
    std::string report;
    try {
        RenameRefusingFiles().RecoverInterruptedRewrite(blocked);
    } catch (const KelError& error) {
        report = error.Report();
    }
    EXPECT_NE(report.find(blocked + ".old"), std::string::npos) << report;
    std::string now;
    EXPECT_TRUE(GetFile(blocked + ".old", &now) && now == kOld);
}

// The defaults are created, never put over a file that is there.
TEST(Win32Files, CreateNewNeverReplacesAFile) {
    ScratchDir dir;
    for (int refuse = 0; refuse < 2; ++refuse) {
        FaultyFiles files;
        files.refusedRenames = refuse ? -1 : 0;
        const std::string path = dir.Path("there" + std::to_string(refuse) + ".ini");
        PutFile(path, kOld);
        files.CreateNew(path, "defaults\r\n");
        std::string now;
        EXPECT_TRUE(GetFile(path, &now) && now == kOld) << refuse;
        files.CreateNew(path + ".missing", "defaults\r\n");
        EXPECT_TRUE(GetFile(path + ".missing", &now) && now == "defaults\r\n") << refuse;
        EXPECT_FALSE(Exists(path + ".new"));
    }
}

}  // namespace
}  // namespace kel::host
