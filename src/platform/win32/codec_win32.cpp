// Code page 932 through the system's own conversion. Decoding never fails:
// bytes that are not valid Shift-JIS become what the system makes of them.
// Encoding refuses best-fit substitutes and names every character that has no
// Shift-JIS form.
#include <windows.h>

#include <climits>

#include "platform/errors.h"
#include "platform/win32/data_win32.h"

namespace kel::win32 {

namespace {
const UINT kShiftJis = 932;

[[noreturn]] void TooLong() {
    throw KelError(ErrorKind::InvalidValue, "converting text to or from Shift-JIS",
                   "the text is too long");
}
}  // namespace

std::u16string Win32Codec::Decode(const std::string& bytes) const {
    if (bytes.empty()) return {};
    if (bytes.size() > INT_MAX / 2) TooLong();
    const int inLength = static_cast<int>(bytes.size());
    const int outLength =
        ::MultiByteToWideChar(kShiftJis, 0, bytes.data(), inLength, nullptr, 0);
    if (outLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(outLength), L'\0');
    const int done =
        ::MultiByteToWideChar(kShiftJis, 0, bytes.data(), inLength, &wide[0], outLength);
    wide.resize(done > 0 ? static_cast<std::size_t>(done) : 0);
    return std::u16string(wide.begin(), wide.end());
}

bool Win32Codec::Encode(const std::u16string& text, std::string& bytes,
                        std::u16string* unrepresentable) const {
    bytes.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 2) TooLong();
    const std::wstring wide(text.begin(), text.end());
    const int inLength = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int outLength = ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(),
                                                inLength, nullptr, 0, nullptr, &usedDefault);
    if (outLength > 0) {
        bytes.assign(static_cast<std::size_t>(outLength), '\0');
        const int done =
            ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), inLength,
                                  &bytes[0], outLength, nullptr, &usedDefault);
        bytes.resize(done > 0 ? static_cast<std::size_t>(done) : 0);
    }
    if (!usedDefault && outLength > 0) return true;

    // Find the characters one by one. A character is one UTF-16 code unit, so
    // a surrogate half (never in code page 932) is reported as it stands.
    if (unrepresentable != nullptr) {
        for (wchar_t c : wide) {
            char out[4];
            BOOL missing = FALSE;
            const int n = ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, &c, 1, out,
                                                sizeof out, nullptr, &missing);
            if ((n <= 0 || missing) &&
                unrepresentable->find(static_cast<char16_t>(c)) == std::u16string::npos) {
                *unrepresentable += static_cast<char16_t>(c);
            }
        }
    }
    return false;
}

}  // namespace kel::win32
