// The non-window half of the seam on Linux, gathered in one place for the
// host: files, the settings file, the code page, the process; and the
// program's report of an error that nothing handled.
#pragma once

#include <cstdio>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/process_linux.h"

namespace kel::x11 {

// Sayings as a Linux editor saves them by default: a line that is valid
// UTF-8 and not plain ASCII is read as UTF-8 (its byte-order mark dropped);
// every other line as Shift-JIS, as on Windows. Japanese text in Shift-JIS
// is practically never valid UTF-8: its lead bytes are continuation bytes
// there. Writing stays Shift-JIS.
class Utf8OrShiftJisCodec : public Codec {
public:
    explicit Utf8OrShiftJisCodec(const Codec& shiftJis) : shiftJis_(shiftJis) {}
    std::u16string Decode(const std::string& bytes) const override;
    bool Encode(const std::u16string& text, std::string& bytes,
                std::u16string* unrepresentable = nullptr) const override {
        return shiftJis_.Encode(text, bytes, unrepresentable);
    }

private:
    const Codec& shiftJis_;
};

struct LinuxSeam {
    posix::PosixFiles files;
    posix::PosixProfile profile{files};
    posix::IconvCodec shiftJis;
    Utf8OrShiftJisCodec codec{shiftJis};
    posix::PosixProcess process;
};

// One clear message on stderr; the caller ends the program with exit code 1.
inline void ReportError(const KelError& error) {
    std::fprintf(stderr, "kel: %s\n", error.Report().c_str());
}
inline void ReportUnexpected(const char* what) {
    std::fprintf(stderr, "kel: unexpected error: %s\n", what != nullptr ? what : "");
}

}  // namespace kel::x11
