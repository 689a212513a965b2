// The non-window half of the seam on Linux, gathered in one place for the
// host: files, the settings file, the code page, the process; and the
// program's report of an error that nothing handled.
#pragma once

#include <cstdio>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/messages_linux.h"
#include "platform/linux/process_linux.h"

namespace kel::x11 {

struct LinuxSeam {
    posix::PosixFiles files;
    posix::PosixProfile profile{files};
    posix::IconvCodec codec;  // phrase files in UTF-8 are told apart by the readers
    posix::PosixProcess process;
};

// One line on stderr; the caller ends the program with exit code 1.
inline void ReportError(const KelError& error) { posix::ReportStartError(error); }
inline void ReportUnexpected(const char* what) { posix::ReportUnexpectedError(what); }

}  // namespace kel::x11
