#include "platform/sim/SimShortcuts.h"

#include <algorithm>

namespace panemark {

namespace {

bool holds(const std::vector<ShortcutBinding>& bindings, const Shortcut& shortcut) {
    return std::any_of(bindings.begin(), bindings.end(), [&](const ShortcutBinding& binding) {
        return binding.shortcut == shortcut;
    });
}

} // namespace

void SimShortcuts::setBindings(const std::vector<ShortcutBinding>& bindings) {
    for (const ShortcutBinding& old : bindings_) {
        if (!holds(bindings, old.shortcut)) {
            released.push_back(old.shortcut);
        }
    }
    for (const ShortcutBinding& binding : bindings) {
        if (!holds(bindings_, binding.shortcut)) {
            taken.push_back(binding.shortcut);
        }
    }
    bindings_ = bindings;
    bindingSets.push_back(bindings);
}

void SimShortcuts::relabel(const std::vector<ShortcutBinding>& bindings) {
    bindings_ = bindings;
    relabelledSets.push_back(bindings);
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
        std::find_if(bindings_.begin(), bindings_.end(),
                     [&](const ShortcutBinding& binding) { return binding.shortcut == *pressed; });
    if (found == bindings_.end()) {
        return false;
    }
    if (!isRepeat) {
        activated_.emit(found->name);
    }
    return true;
}

std::vector<Shortcut> SimShortcuts::boundShortcuts() const {
    std::vector<Shortcut> shortcuts;
    for (const ShortcutBinding& binding : bindings_) {
        shortcuts.push_back(binding.shortcut);
    }
    return shortcuts;
}

} // namespace panemark
