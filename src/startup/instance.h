// The parts of the single-instance check that are not Win32: the name of the
// mutex that a program file takes, and what the attempt to create it means.
#pragma once

#include <string>

namespace kel {

// A fixed-length mutex name for the program file at `fullPath`, however long
// the path (a name may not exceed MAX_PATH). Paths that name the same file
// give the same name: `/` counts as `\`, a `\\?\` prefix is ignored, and
// ASCII letters match without regard to case (the caller upper-cases the
// path as the file system compares names).
std::u16string InstanceMutexName(const std::u16string& fullPath);

enum class InstanceMutex { Created, AlreadyExists, AccessDenied, Failed };

// Whether another instance runs, by the outcome of creating the mutex. One
// that exists in another security context (another user's or an elevated
// instance) cannot be opened from here: access is denied, and an instance
// runs all the same.
bool AnotherInstanceRuns(InstanceMutex outcome);

}  // namespace kel
