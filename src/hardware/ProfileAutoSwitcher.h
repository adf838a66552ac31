#pragma once

#include "hardware/DisplayWatcher.h"
#include "hardware/HIDKeyboardWatcher.h"
#include "hardware/HardwareState.h"
#include "profiles/ProfileManager.h"

namespace panemark {

// Switches to the profile the connected hardware calls for: once at creation, then whenever a
// display or keyboard comes or goes, and only while automatic switching is on. When nothing
// fits, the active profile stays. Main thread only.
class ProfileAutoSwitcher {
public:
    ProfileAutoSwitcher(ProfileManager& profiles, ScreenService& screens,
                        KeyboardDevices& keyboards, Scheduler& mainLoop);

    HardwareState hardware() const;
    const DisplayWatcher& displays() const { return displays_; }
    const HIDKeyboardWatcher& keyboards() const { return keyboards_; }

private:
    void reevaluate();

    ProfileManager& profiles_;
    DisplayWatcher displays_;
    HIDKeyboardWatcher keyboards_;
};

} // namespace panemark
