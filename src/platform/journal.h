// The journal of a rewrite in place. Before the first byte of a file is
// written over, its old bytes are kept whole beside it, under a name no one
// gives a copy of their own, with a header that says what the file held and
// what it is to hold:
//
//   8 bytes   "kel-jrnl"
//   4 bytes   version (1)
//   4 bytes   length of the old bytes      4 bytes   their CRC-32
//   4 bytes   length of the new bytes      4 bytes   their CRC-32
//   4 bytes   CRC-32 of the 28 bytes above
//   then the old bytes
//
// All numbers little-endian. The journal is complete and flushed before the
// file is touched, and removed only once the new bytes are flushed; the one
// who writes it holds it open exclusively the whole time. Nothing else beside
// the file (a "kel.dat.old", a "kel.dat.bak") is ever read, moved or removed.
#pragma once

#include <cstdint>
#include <string>

namespace kel {

inline std::string JournalPath(const std::string& path) { return path + ".kel-journal"; }

// The journal's header; the old bytes follow it.
struct JournalHeader {
    char bytes[32];
};
JournalHeader MakeJournalHeader(const std::string& old, const std::string& fresh);

enum class JournalVerdict {
    Broken,   // does not check out (cut short before the rewrite began): remove it only
    Settled,  // the file holds the old or the new bytes whole: remove it only
    PutBack,  // the file is torn: put the old bytes back, then remove it
};

// What a start does with a journal read whole, given what the file holds now
// (`file` null when there is none). For PutBack, `old` receives the old bytes.
JournalVerdict JudgeJournal(const std::string& journal, const std::string* file,
                            std::string* old);

}  // namespace kel
