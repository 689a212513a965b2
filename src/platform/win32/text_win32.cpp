#include "platform/text.h"
#include "platform/win32/handles.h"

namespace kel::win32 {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::u16string FromWide(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring WideFromUtf8(const std::string& text) { return Wide(Utf8ToUtf16(text)); }

std::string Utf8FromWide(const std::wstring& text) { return Utf16ToUtf8(FromWide(text)); }

std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) return "system error " + std::to_string(code);
    return Utf8FromWide(text) + " (" + std::to_string(code) + ")";
}

}  // namespace kel::win32
