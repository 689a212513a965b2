// libFuzzer target over the byte-level readers of the data files: the
// whole-line rule, the item rule and the number rule. Besides crashes and
// sanitizer reports it checks what must hold for any input:
//  - no line contains a CR, the incremental reader agrees with SplitLines and
//    the lines with their end markers account for every byte;
//  - no item is longer than the input and there are no more items than bytes;
//  - the number rule either gives a value or an overflow error, and agrees
//    with plain integer reading on short runs of digits.
// The same bytes, read as UTF-16 editor text, then go through the settings
// dialog's save path, and as the phrase file through its load path
// (dialog_save_fuzz.cpp).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/items.h"
#include "data/lines.h"
#include "data/number.h"
#include "dialog_save_fuzz.h"
#include "platform/errors.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void Lines(const std::string& bytes) {
    const std::vector<std::string> lines = kel::SplitLines(bytes);
    kel::LineReader reader(bytes);
    std::size_t i = 0, accounted = 0;
    while (!reader.AtEnd()) {
        const std::size_t before = reader.Position();
        const std::string line = reader.Next();
        Check(i < lines.size() && line == lines[i]);
        Check(line.find('\r') == std::string::npos);
        Check(bytes.compare(before, line.size(), line) == 0);
        const std::size_t marker = reader.Position() - before - line.size();
        Check(marker <= 2);
        accounted += line.size() + marker;
        ++i;
    }
    Check(i == lines.size());
    Check(accounted == bytes.size());
}

void Items(const std::string& bytes) {
    const std::vector<std::string> items = kel::SplitItems(bytes);
    Check(items.size() <= bytes.size());
    for (const auto& item : items) Check(item.size() <= bytes.size());
}

// Plain reading for "  [+-]digits  " with at most nine digits.
bool SimpleInteger(const std::string& text, long* value) {
    std::size_t a = text.find_first_not_of(' ');
    if (a == std::string::npos) return false;
    std::size_t b = text.find_last_not_of(' ');
    std::string t = text.substr(a, b - a + 1);
    std::size_t start = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (t.size() == start || t.size() - start > 9) return false;
    for (std::size_t k = start; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9') return false;
    }
    *value = std::strtol(t.c_str(), nullptr, 10);
    return true;
}

void Number(const std::string& bytes) {
    long expected = 0;
    const bool simple = bytes.find('\0') == std::string::npos && SimpleInteger(bytes, &expected);
    try {
        const std::int16_t got = kel::ReadNumber16(bytes, "fuzz");
        if (simple) Check(got == expected);
    } catch (const kel::KelError& e) {
        Check(e.kind() == kel::ErrorKind::Overflow);
        if (simple) Check(expected < -32768 || expected > 32767);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Lines(bytes);
    Items(bytes);
    Number(bytes);
    FuzzDialogSave(data, size);
    FuzzDialogLoad(data, size);
    return 0;
}
