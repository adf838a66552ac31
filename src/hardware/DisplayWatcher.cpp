#include "hardware/DisplayWatcher.h"

namespace panemark {

DisplayWatcher::DisplayWatcher(ScreenService& screens, Scheduler& mainLoop)
    : screens_(screens), mainLoop_(mainLoop), currentUUIDs_(computeExternalUUIDs(screens)) {
    observer_ = screens_.onScreensChanged([this] { scheduleRecompute(); });
}

std::vector<DisplayWatcher::Display>
DisplayWatcher::currentExternalDisplays(ScreenService& screens) {
    std::vector<Display> displays;
    for (const Screen& screen : screens.screens()) {
        if (screen.isBuiltIn || screen.uuid.empty()) {
            continue;
        }
        displays.push_back({screen.uuid, screen.name});
    }
    return displays;
}

std::set<std::string> DisplayWatcher::computeExternalUUIDs(ScreenService& screens) {
    std::set<std::string> uuids;
    for (const Display& display : currentExternalDisplays(screens)) {
        uuids.insert(display.uuid);
    }
    return uuids;
}

void DisplayWatcher::scheduleRecompute() {
    // Replacing the handle cancels the pending evaluation: one, after the last change.
    debounceWorkItem_ = mainLoop_.after(debounce, [this] { recompute(); });
}

void DisplayWatcher::recompute() {
    std::set<std::string> uuids = computeExternalUUIDs(screens_);
    if (uuids == currentUUIDs_) {
        return;
    }
    currentUUIDs_ = std::move(uuids);
    if (onChange) {
        onChange();
    }
}

} // namespace panemark
