#pragma once

#include "model/Shortcut.h"
#include "model/ZoneCommand.h"
#include "platform/Platform.h"
#include "profiles/ConfigStore.h"
#include "profiles/PreferencesStore.h"
#include "profiles/ProfileManager.h"
#include "runtime/Scheduler.h"

#include <functional>

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
    std::function<void(const ZoneCommand&)> runCommand;
    std::function<bool(const Shortcut&)> isTakenElsewhere;
};

} // namespace panemark
