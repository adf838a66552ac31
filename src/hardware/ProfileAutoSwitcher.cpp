#include "hardware/ProfileAutoSwitcher.h"

#include "hardware/ProfileTriggerMatcher.h"

namespace panemark {

ProfileAutoSwitcher::ProfileAutoSwitcher(ProfileManager& profiles, ScreenService& screens,
                                         KeyboardDevices& keyboards, Scheduler& mainLoop)
    : profiles_(profiles), displays_(screens, mainLoop), keyboards_(keyboards, mainLoop) {
    // The watchers live exactly as long as this object, so calling back into it is safe.
    displays_.onChange = [this] { reevaluate(); };
    keyboards_.onChange = [this] { reevaluate(); };
    reevaluate();
}

HardwareState ProfileAutoSwitcher::hardware() const {
    return HardwareState{displays_.currentUUIDs(), keyboards_.currentDeviceIDs()};
}

void ProfileAutoSwitcher::reevaluate() {
    if (!profiles_.autoSwitchEnabled.get()) {
        return;
    }
    const std::optional<Uuid> match =
        ProfileTriggerMatcher::bestMatch(profiles_.profiles.get(), hardware());
    if (match && *match != profiles_.activeProfileID.get()) {
        profiles_.activate(*match);
    }
}

} // namespace panemark
