// The preview in the screen saver settings: Form1 in miniature, in a child
// window that fills the window the settings give.
#pragma once

#include <windows.h>

namespace kel::win32 {

// Runs the presentation in `parent` until that window goes away or closes
// the preview, then ends the program. Silent, deaf to input, and writes no
// file. A failure at the start ends it quietly with exit code 1: the
// settings show an empty preview, not a report box.
int RunPreview(HWND parent);

}  // namespace kel::win32
