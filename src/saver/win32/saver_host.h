// The saver window on Win32: a borderless popup with the invisible pointer,
// its two windowless labels and its timer, forwarding messages to Form1.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/saver_window.h"

namespace kel::win32 {

// Creates the window, runs Form1's Load and then the message loop until the
// program ends. KelErrors from Load propagate to the caller's report.
int RunSaver();

}  // namespace kel::win32
