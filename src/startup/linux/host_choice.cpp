#include "startup/linux/host_choice.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/errors.h"
#include "saver/wayland/wayland_host.h"

namespace kel {

HostChoice TakeHostSwitches(std::vector<std::string>& args) {
    HostChoice choice = HostChoice::Automatic;
    auto taken = std::remove_if(args.begin(), args.end(), [&](const std::string& arg) {
        if (arg == "-wayland" || arg == "--wayland") {
            choice = HostChoice::Wayland;
            return true;
        }
        if (arg == "-x11" || arg == "--x11") {
            choice = HostChoice::X11;
            return true;
        }
        return false;
    });
    args.erase(taken, args.end());
    return choice;
}

bool RunOnWayland(HostChoice choice, bool standalone, bool displayGiven) {
    if (choice == HostChoice::X11) return false;
    if (choice == HostChoice::Wayland) {
        if (!standalone) {
            throw KelError(ErrorKind::InvalidValue, "reading the command line",
                           "-wayland cannot draw into an X window (-root, -window-id)");
        }
        return true;  // the host reports a compositor it cannot use
    }
    if (!standalone || displayGiven) return false;
    switch (wayland::ProbeCompositor()) {
    case wayland::Compositor::LayerShell:
        return true;
    case wayland::Compositor::NoLayerShell: {
        const char* x = std::getenv("DISPLAY");
        std::fputs(x != nullptr && *x != '\0'
                       ? "kel: this Wayland compositor offers no layer-shell surfaces for screen savers;"
                         " showing the sayings through Xwayland instead\n"
                       : "kel: this Wayland compositor offers no layer-shell surfaces for screen savers,"
                         " and there is no X display to use instead\n",
                   stderr);
        return false;
    }
    case wayland::Compositor::Unreachable:
        break;
    }
    return false;
}

}  // namespace kel
