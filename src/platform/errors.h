// One small error type for the failures the program can meet: overflow,
// subscript out of range, a file that cannot be found, opened or written, a
// resource that is missing. Portable code throws it; the tick's guards swallow
// it, and everywhere else it reaches the top-level report.
#pragma once

#include <exception>
#include <string>

namespace kel {

enum class ErrorKind {
    Overflow,
    SubscriptOutOfRange,
    FileNotFound,
    PathNotFound,
    AccessDenied,
    DiskFull,
    InvalidValue,
    ResourceMissing,
    Unrepresentable,
    Io,
};

// What a failed save left on disk. Most failures happen before the file is
// touched; only a rewrite in place can end otherwise.
enum class SaveOutcome {
    OldFileUnchanged,  // the file holds its old bytes, as before the save
    OldFileAside,      // the file is damaged; its journal holds the old bytes
    NewFileSaved,      // the new bytes are in the file, something after failed
};

// What the report calls each kind, in plain words: a Japanese headline, and
// the technical name that the lines under it use.
const char* ErrorKindHeadline(ErrorKind kind);
const char* ErrorKindText(ErrorKind kind);

class KelError : public std::exception {
public:
    // `operation` says what was being done ("reading the settings file"),
    // `detail` names the file, line, key and value, `systemText` is the
    // system's own error text where there is one. All UTF-8.
    KelError(ErrorKind kind, std::string operation, std::string detail = {},
             std::string systemText = {});

    const char* what() const noexcept override { return operation_.c_str(); }
    ErrorKind kind() const { return kind_; }
    const std::string& operation() const { return operation_; }
    const std::string& detail() const { return detail_; }
    const std::string& systemText() const { return systemText_; }

    // The whole report as one UTF-8 text, several lines.
    std::string Report() const;

    // Set by a save that failed after it had touched the file.
    SaveOutcome saveOutcome() const { return saveOutcome_; }
    KelError& WithSaveOutcome(SaveOutcome outcome) {
        saveOutcome_ = outcome;
        return *this;
    }
    // A failure caught on its way up, told with what it left behind.
    KelError& WithDetail(std::string detail) {
        detail_ = std::move(detail);
        return *this;
    }

private:
    ErrorKind kind_;
    std::string operation_;
    std::string detail_;
    std::string systemText_;
    SaveOutcome saveOutcome_ = SaveOutcome::OldFileUnchanged;
};

}  // namespace kel
