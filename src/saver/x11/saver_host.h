// The saver window on X11: Form1's host for the Linux program, standalone
// (its own override-redirect window over every monitor, pointer hidden, the
// focus its own but no grabs, so that a screen locker can take over), in a
// normal window to try it in (-window), or inside a window someone else owns
// (XScreenSaver's, or any given by id), where input is not ours.
#pragma once

#include "saver/x11/options.h"

namespace kel::x11 {

// Opens the display, runs Form1's Load, then the event loop until the
// program ends (from input, one-shot mode or a signal; never returns then).
// KelErrors from the start propagate to the caller's report, and nothing
// has been written when they do.
int RunSaver(const Options& options);

}  // namespace kel::x11
