// The Linux program's command line, named as XScreenSaver's hacks name
// theirs (one or two leading dashes): where to draw, and settings that
// override the settings file for one run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace kel::x11 {

// Values as the settings file holds them; unset ones come from the file.
struct SettingOverrides {
    std::optional<int> viewMode;  // [View] ViewMode: 0 list, 1 random
    std::optional<int> fontMode;  // [View] FontMode: 0 large, 1 small
    std::optional<int> sound;     // [Mode] Sound
    std::optional<int> speak;     // [Mode] Speak
    std::optional<int> oneShot;   // [Mode] OneShot
};

struct Options {
    // Standalone: a window of its own over every monitor, input ends it.
    // With `window` (-window): a normal window to try the saver in, which q,
    // Esc or its close box ends. Otherwise the saver draws into `windowId`
    // (the root window when 0) and leaves input to whoever owns that window.
    bool standalone = true;
    bool window = false;
    std::string geometry;  // -geometry, for `window`
    unsigned long windowId = 0;
    std::string display;  // empty: $DISPLAY
    bool mono = false;    // -mono: the background stays black
    SettingOverrides overrides;
    // One line each for options taken but not honoured (-visual, -install,
    // -delay, -fps), shown at the start.
    std::vector<std::string> warnings;
    bool help = false;
};

// Throws KelError(InvalidValue) naming the first argument it cannot use.
// `windowVariable` is $XSCREENSAVER_WINDOW (nullptr when unset): with -root,
// the saver draws into that window (the daemon's), else into the root.
// In a window of someone else's the saver is silent unless -sound says.
Options ParseOptions(const std::vector<std::string>& args, const char* windowVariable);

extern const char kUsage[];

// The name of the file a standalone saver locks: one per display (`display`,
// else $DISPLAY; its screen number does not count), so that each display
// has its saver, and one only.
std::string InstanceLockName(const std::string& display);

// The settings file read through `inner`, but with the command line's values
// in place of the keys it overrides. Writes go to the file unchanged, so a
// run with overrides never stores them.
class OverridingProfile : public Profile {
public:
    OverridingProfile(Profile& inner, const SettingOverrides& overrides)
        : inner_(inner), overrides_(overrides) {}

    std::string GetString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText) const override;
    void WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override {
        inner_.WriteString(path, section, key, value);
    }

private:
    Profile& inner_;
    SettingOverrides overrides_;
};

}  // namespace kel::x11
