// Which of the two hosts shows the saver: on a Wayland desktop whose
// compositor offers layer-shell surfaces the Wayland host, else the X11 one
// (under Xwayland where the desktop has it). -wayland and -x11 (one or two
// dashes) choose for the user.
#pragma once

#include <string>
#include <vector>

namespace kel {

enum class HostChoice { Automatic, Wayland, X11 };

// Takes -wayland/--wayland and -x11/--x11 out of `args`, so that the rest
// goes to the option parser unchanged; the last one given wins.
HostChoice TakeHostSwitches(std::vector<std::string>& args);

// True when the Wayland host is to run. A standalone saver chosen
// automatically runs there when $WAYLAND_DISPLAY names a compositor that
// offers layer-shell, and says on stderr why not when the compositor lacks
// it. One drawing into a given X window (-root, -window-id, XScreenSaver)
// always runs on X11. Throws KelError(InvalidValue) for -wayland with such a
// window.
bool RunOnWayland(HostChoice choice, bool standalone, bool displayGiven);

}  // namespace kel
