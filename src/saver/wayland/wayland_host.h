// The saver on Wayland: Form1's host for the Linux program on desktops whose
// compositor offers the layer-shell protocol (wlroots-based ones, KDE
// Plasma). Each output is covered by an overlay surface drawn in shared
// memory: the sayings on the first output, black on the others; keyboard
// input goes to the saver alone and the pointer is not drawn.
#pragma once

#include "saver/x11/options.h"

namespace kel::wayland {

enum class Compositor {
    Unreachable,   // no WAYLAND_DISPLAY, or nothing answers there
    NoLayerShell,  // a compositor that cannot show a screen saver's surface
    LayerShell,
};

// Asks the compositor at $WAYLAND_DISPLAY what it offers.
Compositor ProbeCompositor();

// Connects, runs Form1's Load, then the event loop until the program ends
// (from input, one-shot mode, a signal or the compositor going away; never
// returns then). KelErrors from the start propagate to the caller's report,
// and nothing has been written when they do.
int RunSaver(const x11::Options& options);

}  // namespace kel::wayland
