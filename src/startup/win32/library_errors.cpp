// The C++ library's own failures (a string or vector asked to grow past its
// limit, an index out of range, an empty function called) thrown as the
// program's error type, which every handler in the program already reports.
//
// libstdc++ raises them through these functions; its own versions build the
// standard exception classes, whose old-ABI string members bring a second
// copy of the whole string library into the program (about 50 KB of the
// shipped file). Defined here, they are taken instead of the library's.
#include <new>
#include <string>

#include "platform/errors.h"

#if defined(__GLIBCXX__)

namespace std {

void __throw_bad_alloc() { throw std::bad_alloc(); }

void __throw_bad_array_new_length() { throw std::bad_alloc(); }

void __throw_length_error(const char* what) {
    throw kel::KelError(kel::ErrorKind::Overflow, what);
}

void __throw_logic_error(const char* what) {
    throw kel::KelError(kel::ErrorKind::InvalidValue, what);
}

void __throw_out_of_range_fmt(const char* what, ...) {
    throw kel::KelError(kel::ErrorKind::SubscriptOutOfRange, what);
}

void __throw_bad_function_call() {
    throw kel::KelError(kel::ErrorKind::InvalidValue, "calling an empty function");
}

}  // namespace std

#endif
