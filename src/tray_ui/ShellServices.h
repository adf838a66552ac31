#pragma once

#include "base/Scheduler.h"
#include "model/Shortcut.h"
#include "model/ZoneCommand.h"
#include "platform/Platform.h"
#include "platform/WindowRef.h"
#include "preferences/ConfigStore.h"
#include "preferences/PreferencesStore.h"
#include "profiles/ProfileManager.h"

#include <functional>
#include <optional>

namespace panemark {

// What the desktop shell works with, handed to it by the program that composes everything:
// the stores it shows and edits, the desktop, the main loop, and the two things it asks of the
// running controller.
struct ShellServices {
    ConfigStore& config;
    ProfileManager& profiles; // keeps no files when commands were given for this run
    Platform& platform;
    Scheduler& mainLoop;
    PreferencesStore& preferences;
    // Runs a command on a window, or on the focused one when none is named.
    std::function<void(const ZoneCommand&, std::optional<WindowRef>)> runCommand;
    // The window a command would move now: the palette remembers it as it opens, since on some
    // desktops a click on the palette gives the palette the focus.
    std::function<std::optional<WindowRef>()> windowInFront;
    std::function<bool(const Shortcut&)> isTakenElsewhere;
};

} // namespace panemark
