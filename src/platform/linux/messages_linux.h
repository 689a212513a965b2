// The Linux program's messages to the user: one line on stderr,
// "kel: what: why", in the language of the user's locale where a catalogue
// for it is installed (Japanese: po/ja.po), else in English.
#pragma once

#include <string>

#include "platform/errors.h"

namespace kel::posix {

// Takes the user's locale for messages and character set (numbers stay in
// the C locale) and finds the catalogue: beside the program in a build
// tree, else where it is installed.
void InitMessages(const char* programPath);

// A text of the program's in the user's language: the whole text, or a
// known beginning followed by a name (a path, a number) kept as it is.
std::string Translate(const std::string& text);

// The line for an error that ends the program, without its newline.
std::string ErrorLine(const KelError& error);

void ReportStartError(const KelError& error);
void ReportUnexpectedError(const char* what);

}  // namespace kel::posix
