// The number rule for settings values: the leading number of the trimmed
// text, rounded halves to even, as a 16-bit value.
//
// The number is read exactly from its decimal digits rather than through a
// double, so that a long fraction such as "2.50000000000000000001" rounds up
// and an absurd exponent cannot wrap around.
#include "data/number.h"

#include <string>

#include "platform/errors.h"

namespace kel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value as it will appear in the report: printable ASCII as it stands,
// anything else as \xNN, so that the report stays valid UTF-8 whatever the
// file holds.
std::string Printable(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F) {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace

std::int16_t ReadNumber16(const std::string& text, const std::string& what) {
    // The text ends at a NUL, as the profile buffer does; blanks around it go.
    std::string value = text.substr(0, text.find('\0'));
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    value = value.substr(first, value.find_last_not_of(' ') - first + 1);

    std::size_t pos = 0;
    bool negative = false;
    if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
        negative = value[pos] == '-';
        ++pos;
    }

    // Significant digits with leading zeros dropped; `pointExp` counts how
    // many of them stand before the decimal point.
    std::string digits;
    long pointExp = 0;
    bool sawDigit = false;
    while (pos < value.size() && IsDigit(value[pos])) {
        sawDigit = true;
        if (!digits.empty() || value[pos] != '0') {
            digits += value[pos];
            ++pointExp;
        }
        ++pos;
    }
    if (pos < value.size() && value[pos] == '.') {
        std::size_t after = pos + 1;
        bool fractionDigit = false;
        while (after < value.size() && IsDigit(value[after])) {
            fractionDigit = true;
            if (digits.empty() && value[after] == '0') {
                --pointExp;  // 0.05: the first significant digit is one place further down
            } else {
                digits += value[after];
            }
            ++after;
        }
        if (sawDigit || fractionDigit) {
            sawDigit = true;
            pos = after;
        }
    }
    if (!sawDigit) return 0;  // no number at the start

    if (pos < value.size() && (value[pos] == 'e' || value[pos] == 'E')) {
        std::size_t after = pos + 1;
        bool expNegative = false;
        if (after < value.size() && (value[after] == '+' || value[after] == '-')) {
            expNegative = value[after] == '-';
            ++after;
        }
        if (after < value.size() && IsDigit(value[after])) {
            long exponent = 0;
            while (after < value.size() && IsDigit(value[after])) {
                // Anything past a million places is as good as infinite here.
                if (exponent < 1000000) exponent = exponent * 10 + (value[after] - '0');
                ++after;
            }
            pointExp += expNegative ? -exponent : exponent;
        }
        // "1e" or "1e+" without digits: the number ends before the 'e'.
    }

    // Drop trailing zeros: they change neither the value nor the rounding.
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return 0;

    const auto overflow = [&]() -> KelError {
        return KelError(ErrorKind::Overflow, "reading a number from the settings",
                        what + ": value \"" + Printable(value) +
                            "\" lies outside -32768 to 32767");
    };

    // value = 0.d1 d2 d3 ... x 10^pointExp
    if (pointExp > 6) throw overflow();  // at least 1,000,000

    long whole = 0;
    for (long i = 0; i < pointExp; ++i) {
        whole = whole * 10 + (i < static_cast<long>(digits.size()) ? digits[i] - '0' : 0);
    }
    // The fraction: its first digit, and whether anything non-zero follows.
    int firstFraction = 0;
    bool restNonZero = false;
    if (pointExp >= 0) {
        const std::size_t start = static_cast<std::size_t>(pointExp);
        if (start < digits.size()) {
            firstFraction = digits[start] - '0';
            restNonZero = start + 1 < digits.size();  // trailing zeros were dropped
        }
    } else {
        restNonZero = true;  // below 0.1 and not zero
    }
    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1))) {
        ++whole;
    }

    const long result = negative ? -whole : whole;
    if (result < -32768 || result > 32767) throw overflow();
    return static_cast<std::int16_t>(result);
}

}  // namespace kel
