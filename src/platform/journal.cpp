#include "platform/journal.h"

#include <cstring>

namespace kel {

namespace {

const char kMagic[8] = {'k', 'e', 'l', '-', 'j', 'r', 'n', 'l'};
const std::uint32_t kVersion = 1;
const std::size_t kHeader = sizeof(JournalHeader);

// The CRC-32 of zip and PNG, bit by bit: the files are small and a table
// would cost the program more than the time it saves.
std::uint32_t Crc32(const char* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace

// The numbers after the magic: the version, the old bytes' length and CRC,
// the new bytes' length and CRC, then the CRC of all that comes before it.
JournalHeader MakeJournalHeader(const std::string& old, const std::string& fresh) {
    const std::uint32_t numbers[5] = {kVersion, static_cast<std::uint32_t>(old.size()),
                                      Crc32(old.data(), old.size()),
                                      static_cast<std::uint32_t>(fresh.size()),
                                      Crc32(fresh.data(), fresh.size())};
    JournalHeader header;
    std::memcpy(header.bytes, kMagic, sizeof kMagic);
    for (int i = 0; i < 20; ++i) {
        header.bytes[8 + i] = static_cast<char>(numbers[i / 4] >> (8 * (i % 4)));
    }
    const std::uint32_t crc = Crc32(header.bytes, 28);
    for (int i = 0; i < 4; ++i) header.bytes[28 + i] = static_cast<char>(crc >> (8 * i));
    return header;
}

JournalVerdict JudgeJournal(const std::string& journal, const std::string* file,
                            std::string* old) {
    const char* head = journal.data();
    if (journal.size() < kHeader || std::memcmp(head, kMagic, sizeof kMagic) != 0) {
        return JournalVerdict::Broken;
    }
    std::uint32_t n[6] = {};
    for (int i = 23; i >= 0; --i) n[i / 4] = (n[i / 4] << 8) | static_cast<unsigned char>(head[8 + i]);
    const std::size_t size = journal.size() - kHeader;
    if (n[0] != kVersion || n[5] != Crc32(head, 28) || size != n[1] ||
        Crc32(head + kHeader, size) != n[2]) {
        return JournalVerdict::Broken;
    }
    if (file != nullptr) {
        const std::uint32_t crc = Crc32(file->data(), file->size());
        if ((file->size() == n[1] && crc == n[2]) || (file->size() == n[3] && crc == n[4])) {
            return JournalVerdict::Settled;
        }
    }
    old->assign(head + kHeader, size);
    return JournalVerdict::PutBack;
}

}  // namespace kel
