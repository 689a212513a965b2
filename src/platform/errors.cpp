#include "platform/errors.h"

namespace kel {

const char* ErrorKindText(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Overflow: return "number out of range (overflow)";
    case ErrorKind::SubscriptOutOfRange: return "too many entries (subscript out of range)";
    case ErrorKind::FileNotFound: return "file not found";
    case ErrorKind::PathNotFound: return "path not found";
    case ErrorKind::AccessDenied: return "access denied";
    case ErrorKind::DiskFull: return "disk full";
    case ErrorKind::InvalidValue: return "invalid value";
    case ErrorKind::ResourceMissing: return "resource missing";
    case ErrorKind::Unrepresentable: return "characters the Japanese code page cannot hold";
    case ErrorKind::Io: return "input/output error";
    }
    return "error";
}

KelError::KelError(ErrorKind kind, std::string operation, std::string detail,
                   std::string systemText)
    : std::runtime_error(operation),
      kind_(kind),
      operation_(std::move(operation)),
      detail_(std::move(detail)),
      systemText_(std::move(systemText)) {}

std::string KelError::Report() const {
    std::string text = operation_ + ": " + ErrorKindText(kind_) + ".";
    if (!detail_.empty()) text += "\n" + detail_;
    if (!systemText_.empty()) text += "\n" + systemText_;
    return text;
}

}  // namespace kel
