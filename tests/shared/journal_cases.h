// A rewrite in place cut short, and the journal's rules at the next start, as
// tables run against Win32Files under Wine (tests/host) and PosixFiles
// (tests/unit) by the Check functions here, with the EXPECT macros of the
// file that includes it. `Disk` is that file's own access to files (Put, Get,
// Exists), which does not go through the code under test.
#pragma once

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/journal.h"

namespace kel::cases {

inline std::string Journal(const std::string& old, const std::string& fresh) {
    const JournalHeader header = MakeJournalHeader(old, fresh);
    return std::string(header.bytes, sizeof header.bytes) + old;
}

// Copies a user keeps beside the file: nothing may read, move or remove them.
const char* const kUsersCopies[] = {".old", ".bak", ".new", ".kel-journal.txt"};

template <typename Disk>
void PutUsersCopies(Disk& disk, const std::string& path) {
    for (const char* suffix : kUsersCopies) disk.Put(path + suffix, std::string("mine") + suffix);
}

template <typename Disk>
void ExpectUsersCopies(Disk& disk, const std::string& path) {
    for (const char* suffix : kUsersCopies) {
        EXPECT_TRUE(disk.Get(path + suffix) == std::string("mine") + suffix) << path << suffix;
    }
}

// Where a rewrite in place of 30,000 bytes by 20,000 others dies: in the
// temporary file of the refused rename, in the journal, after it, half-way
// through the new bytes, after them (before they are cut to length and
// flushed: the file then holds neither), after their flush, before the
// journal is removed.
enum class Death { InTemporary, InJournal, AfterJournal, MidWrite, AfterWrite, BeforeRemoval };
const std::size_t kDeathOldSize = 30000, kDeathNewSize = 20000;
const struct {
    const char* where;
    Death death;
    bool holdsNew;
} kDeaths[] = {
    {"in the temporary file", Death::InTemporary, false},
    {"in the journal", Death::InJournal, false},
    {"after the journal", Death::AfterJournal, false},
    {"half-way through the new bytes", Death::MidWrite, false},
    {"after the new bytes, before their flush", Death::AfterWrite, false},
    {"after the flush, before the journal's removal", Death::BeforeRemoval, true},
};

// `die(death)` saves 20,000 'n' over `path` in a process that dies there and
// returns its exit code (9 when it died there); `recover(inPlace)` is the next
// start, putting back by a rename or in place, and returns its report. The
// start reports nothing and leaves the old or the new bytes, no journal and
// the user's copies as they were.
template <typename Disk, typename Die, typename Recover>
void CheckDeaths(Disk& disk, const std::string& path, Die die, Recover recover) {
    const std::string old(kDeathOldSize, 'o'), fresh(kDeathNewSize, 'n');
    for (const auto& c : kDeaths) {
        for (int inPlace = 0; inPlace < 2; ++inPlace) {
            SCOPED_TRACE(std::string(c.where) + (inPlace ? ", put back in place" : ""));
            disk.Put(path, old);
            PutUsersCopies(disk, path);
            ASSERT_EQ(die(c.death), 9);
            EXPECT_EQ(recover(inPlace != 0), "");
            const std::string now = disk.Get(path);
            EXPECT_TRUE(now == (c.holdsNew ? fresh : old)) << now.size() << " bytes";
            EXPECT_FALSE(disk.Exists(JournalPath(path)));
            ExpectUsersCopies(disk, path);
        }
    }
}

// A journal found by a start, the file beside it, whether a save holds the
// journal, and what the file holds after: only a journal that checks out and
// that no save holds is acted on; one that does not check out is removed.
struct JournalRule {
    const char* what;
    std::string journal, file;
    bool held;
    std::string after;
};

inline std::vector<JournalRule> JournalRules() {
    const std::string whole = Journal("old\r\n", "new\r\n");
    std::string changed = whole, otherVersion = whole;
    changed.back() ^= 1;
    otherVersion[8] = 2;
    return {
        {"a torn header", whole.substr(0, 20), "torn", false, "torn"},
        {"cut short in the old bytes", whole.substr(0, whole.size() - 1), "torn", false, "torn"},
        {"an old byte changed", changed, "torn", false, "torn"},
        {"another version", otherVersion, "torn", false, "torn"},
        {"the file holds the new bytes", whole, "new\r\n", false, "new\r\n"},
        {"the file holds the old bytes", whole, "old\r\n", false, "old\r\n"},
        {"the file is torn", whole, "torn", false, "old\r\n"},
        {"a save holds the journal", whole, "torn", true, "torn"},
    };
}

// `hold(journal)` holds it as a running save does and returns what lets go.
template <typename Disk, typename Hold, typename Recover>
void CheckJournalRules(Disk& disk, const std::string& path, Hold hold, Recover recover) {
    for (const JournalRule& c : JournalRules()) {
        SCOPED_TRACE(c.what);
        disk.Put(path, c.file);
        disk.Put(JournalPath(path), c.journal);
        if (c.held) {
            auto release = hold(JournalPath(path));
            EXPECT_EQ(recover(), "");
            release();
        } else {
            EXPECT_EQ(recover(), "");
        }
        EXPECT_TRUE(disk.Get(path) == c.after) << disk.Get(path);
        EXPECT_EQ(disk.Exists(JournalPath(path)), c.held);
        if (c.held) {  // let go: now it is acted on
            EXPECT_EQ(recover(), "");
            EXPECT_TRUE(disk.Get(path) == "old\r\n") << disk.Get(path);
        }
    }
}

// A save that finds the journal of one cut short and cannot put the old text
// back (every write refused) fails as a save whose old text is aside in the
// journal, not as one that left the file unchanged; the torn file and the
// journal stay for the next start. `save()` returns the failure's outcome.
template <typename Disk, typename Save>
void CheckPutBackRefused(Disk& disk, const std::string& path, Save save) {
    disk.Put(path, "torn");
    disk.Put(JournalPath(path), Journal("old\r\n", "new\r\n"));
    EXPECT_EQ(static_cast<int>(save()), static_cast<int>(SaveOutcome::OldFileAside));
    EXPECT_TRUE(disk.Get(path) == "torn") << disk.Get(path);
    EXPECT_TRUE(disk.Get(JournalPath(path)) == Journal("old\r\n", "new\r\n"));
}

}  // namespace kel::cases
