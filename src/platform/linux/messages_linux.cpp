#include "platform/linux/messages_linux.h"

#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdio>

namespace kel::posix {

namespace {

constexpr const char* kDomain = "kel";

const char* Lookup(const std::string& msgid) {
    const char* text = ::dgettext(kDomain, msgid.c_str());
    return text != msgid.c_str() ? text : nullptr;
}

// Nothing of a message may start a second line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
    return text;
}

}  // namespace

void InitMessages(const char* programPath) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    std::string dir = programPath != nullptr ? programPath : "";
    const std::size_t slash = dir.find_last_of('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    struct stat info {};
    const std::string local = dir + "/locale";
    ::bindtextdomain(kDomain, ::stat((local + "/ja/LC_MESSAGES/kel.mo").c_str(), &info) == 0
                                  ? local.c_str()
                                  : KEL_LOCALE_DIR);
}

// A whole text found in the catalogue; else its longest known beginning and
// its longest known end, each translated, with the name between them kept.
std::string Translate(const std::string& text) {
    if (text.empty()) return text;
    if (const char* whole = Lookup(text)) return whole;
    std::string head, middle = text;
    for (std::size_t space = text.rfind(' '); space != std::string::npos && space > 0;
         space = text.rfind(' ', space - 1)) {
        if (const char* known = Lookup(text.substr(0, space))) {
            head = known;
            middle = text.substr(space);
            break;
        }
    }
    for (std::size_t space = middle.find(' ', 1); space != std::string::npos;
         space = middle.find(' ', space + 1)) {
        if (const char* known = Lookup(middle.substr(space + 1))) {
            return head + middle.substr(0, space) + " " + known;
        }
    }
    return head + middle;
}

std::string ErrorLine(const KelError& error) {
    std::string what = Translate(error.operation());
    if (!error.detail().empty()) what += " (" + Translate(error.detail()) + ")";
    const std::string why = !error.systemText().empty() ? Translate(error.systemText())
                                                        : Translate(ErrorKindText(error.kind()));
    return OneLine("kel: " + what + ": " + why);
}

void ReportStartError(const KelError& error) {
    std::fprintf(stderr, "%s\n", ErrorLine(error).c_str());
}

void ReportUnexpectedError(const char* what) {
    std::fprintf(stderr, "%s\n",
                 OneLine("kel: " + Translate("unexpected error") + ": " + (what ? what : "")).c_str());
}

}  // namespace kel::posix
