#include "saver/x11/options.h"

#include <cstdlib>
#include <strings.h>

#include "data/paths.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace kel::x11 {

const char kUsage[] =
    "usage: kel [options]\n"
    "  (no option)           the saver over every monitor until a click, a key or a movement\n"
    "  -one-shot             one saying, then end (the log-on greeting)\n"
    "  -order list|random    the order of the sayings\n"
    "  -size large|small     the size of the title card\n"
    "  -sound off|cue|speech typing and closing sounds, or the saying spoken\n"
    "  -root                 draw into XScreenSaver's window ($XSCREENSAVER_WINDOW) or the root\n"
    "  -window-id ID         draw into that window\n"
    "  -window               a window of its own to try it in (q, Esc or closing it ends it)\n"
    "  -geometry WxH+X+Y     that window's size and place\n"
    "  -mono                 white on black, the background never reddening\n"
    "  -display NAME         the X display\n"
    "  -wayland, -x11        the host: a Wayland compositor's overlay (layer-shell) or X11; by\n"
    "                        default Wayland where $WAYLAND_DISPLAY offers layer-shell, else X11\n"
    "  -visual, -install, -delay, -fps are taken for XScreenSaver's sake\n"
    "Options take one dash or two. Settings and sayings: $XDG_CONFIG_HOME/kel/kel.ini, kel.dat.\n";

namespace {

unsigned long WindowId(const std::string& text, const std::string& option) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(text.c_str(), &end, 0);
    if (text.empty() || end == nullptr || *end != '\0' || id == 0) {
        throw KelError(ErrorKind::InvalidValue, "reading the command line",
                       option + " " + text + ": not a window id");
    }
    return id;
}

[[noreturn]] void Refuse(const std::string& what) {
    throw KelError(ErrorKind::InvalidValue, "reading the command line", what);
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args, const char* windowVariable) {
    Options options;
    bool root = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name.rfind("--", 0) == 0) {
            name.erase(0, 2);
        } else if (name.rfind("-", 0) == 0) {
            name.erase(0, 1);
        } else {
            Refuse("unexpected argument " + args[i]);
        }
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) Refuse(args[i] + " needs a value");
            return args[++i];
        };
        SettingOverrides& o = options.overrides;
        if (name == "root") {
            root = true;
        } else if (name == "window-id") {
            options.windowId = WindowId(value(), args[i]);
            options.standalone = false;
        } else if (name == "window") {
            options.window = true;
        } else if (name == "geometry") {
            options.geometry = value();
        } else if (name == "display") {
            options.display = value();
        } else if (name == "mono") {
            options.mono = true;
        } else if (name == "visual") {
            const std::string v = value();
            if (strcasecmp(v.c_str(), "default") != 0) {
                options.warnings.push_back("-visual " + v + ": drawn in the default visual");
            }
        } else if (name == "install") {
            options.warnings.push_back("-install: the default colormap is used");
        } else if (name == "delay") {
            const std::string v = value();
            options.warnings.push_back("-delay " + v + ": the sayings keep their own pace");
        } else if (name == "fps") {
            options.warnings.push_back("-fps: no frame rate to show, the saver draws once a change");
        } else if (name == "one-shot") {
            o.oneShot = 1;
        } else if (name == "order") {
            const std::string v = value();
            if (v == "list") o.viewMode = 0;
            else if (v == "random") o.viewMode = 1;
            else Refuse("-order " + v + ": list or random");
        } else if (name == "size") {
            const std::string v = value();
            if (v == "large") o.fontMode = 0;
            else if (v == "small") o.fontMode = 1;
            else Refuse("-size " + v + ": large or small");
        } else if (name == "sound") {
            const std::string v = value();
            if (v == "off") { o.sound = 0; }
            else if (v == "cue") { o.sound = 1; o.speak = 0; }
            else if (v == "speech") { o.sound = 1; o.speak = 1; }
            else Refuse("-sound " + v + ": off, cue or speech");
        } else if (name == "help" || name == "h") {
            options.help = true;
        } else {
            Refuse("unknown option " + args[i]);
        }
    }
    // Under the daemon the window it made for the hack is in the variable,
    // which only -root looks at; -root alone, without it, means the real
    // root window.
    if (options.standalone && root) {
        if (windowVariable != nullptr && *windowVariable != '\0') {
            options.windowId = WindowId(windowVariable, "XSCREENSAVER_WINDOW");
        }
        options.standalone = false;
    }
    if (options.standalone && options.window) {
        options.standalone = false;
    } else {
        options.window = false;  // -root and -window-id win: the daemon's window
    }
    // Under the daemon every monitor has its kel, and the user has walked
    // away: sound only where asked for.
    if (!options.standalone && !options.window && !options.overrides.sound) {
        options.overrides.sound = 0;
    }
    return options;
}

std::string InstanceLockName(const std::string& display) {
    const char* variable = std::getenv("DISPLAY");
    std::string name = !display.empty() ? display : variable != nullptr ? variable : "";
    const std::size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
        const std::size_t dot = name.find('.', colon);
        if (dot != std::string::npos) name.erase(dot);
    }
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return "kel-" + name + ".lock";
}

std::string OverridingProfile::GetString(const std::string& path, const std::string& section,
                                         const std::string& key,
                                         const std::string& defaultText) const {
    const auto is = [&](const char* s, const char* k) {
        return strcasecmp(section.c_str(), s) == 0 && strcasecmp(key.c_str(), k) == 0;
    };
    std::optional<int> value;
    if (path == SettingsPath()) {
        if (is("View", "ViewMode")) value = overrides_.viewMode;
        else if (is("View", "FontMode")) value = overrides_.fontMode;
        else if (is("Mode", "Sound")) value = overrides_.sound;
        else if (is("Mode", "Speak")) value = overrides_.speak;
        else if (is("Mode", "OneShot")) value = overrides_.oneShot;
    }
    if (value) return DecimalText(*value);
    return inner_.GetString(path, section, key, defaultText);
}

}  // namespace kel::x11
