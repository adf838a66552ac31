#include "platform/sim/SimShortcuts.h"

#include <algorithm>

namespace panemark {

void SimShortcuts::apply(const ShortcutChanges& changes) {
    released.insert(released.end(), changes.combinationsLetGo.begin(),
                    changes.combinationsLetGo.end());
    taken.insert(taken.end(), changes.combinationsTaken.begin(), changes.combinationsTaken.end());
    if (!changes.letGo.empty() || !changes.take.empty()) {
        bindingSets.push_back(bindings());
    }
    if (!changes.relabelled.empty()) {
        relabelledSets.push_back(bindings());
    }
}

Subscription SimShortcuts::onActivated(Listener listener) {
    return activated_.connect(std::move(listener));
}

bool SimShortcuts::isTakenElsewhere(const Shortcut& shortcut) const {
    return std::find(takenElsewhere.begin(), takenElsewhere.end(), shortcut) !=
           takenElsewhere.end();
}

bool SimShortcuts::press(std::uint32_t keyCode, std::uint32_t flags, bool isRepeat) {
    const std::optional<Shortcut> pressed =
        Shortcut::fromKeyEvent(KeyEvent{KeyEvent::Type::keyDown, keyCode, flags, isRepeat});
    if (!pressed || isTakenElsewhere(*pressed)) {
        return false;
    }
    const auto found =
        std::find_if(bindings().begin(), bindings().end(),
                     [&](const ShortcutBinding& binding) { return binding.shortcut == *pressed; });
    if (found == bindings().end()) {
        return false;
    }
    if (!isRepeat) {
        activated_.emit(found->name);
    }
    return true;
}

std::vector<Shortcut> SimShortcuts::boundShortcuts() const {
    std::vector<Shortcut> shortcuts;
    for (const ShortcutBinding& binding : bindings()) {
        shortcuts.push_back(binding.shortcut);
    }
    return shortcuts;
}

} // namespace panemark
