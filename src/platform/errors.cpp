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

// The headline of the report, in the program's own language.
const char* ErrorKindHeadline(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Overflow: return "数値が範囲を超えています。";
    case ErrorKind::SubscriptOutOfRange: return "行が多すぎます。";
    case ErrorKind::FileNotFound: return "ファイルが見つかりません。";
    case ErrorKind::PathNotFound: return "フォルダーが見つかりません。";
    case ErrorKind::AccessDenied: return "ファイルにアクセスできません。";
    case ErrorKind::DiskFull: return "ディスクがいっぱいです。";
    case ErrorKind::InvalidValue: return "値が正しくありません。";
    case ErrorKind::ResourceMissing: return "プログラムの一部が見つかりません。";
    case ErrorKind::Unrepresentable: return "シフトJISで表せない文字があります。";
    case ErrorKind::Io: return "読み書きに失敗しました。";
    }
    return "エラーが発生しました。";
}

KelError::KelError(ErrorKind kind, std::string operation, std::string detail,
                   std::string systemText)
    : kind_(kind),
      operation_(std::move(operation)),
      detail_(std::move(detail)),
      systemText_(std::move(systemText)) {}

std::string KelError::Report() const {
    std::string text = std::string(ErrorKindHeadline(kind_)) + "\n\n" + operation_ + ": " +
                       ErrorKindText(kind_) + ".";
    if (!detail_.empty()) text += "\n" + detail_;
    if (!systemText_.empty()) text += "\n" + systemText_;
    return text;
}

}  // namespace kel
