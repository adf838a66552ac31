#include "platform/ShortcutChanges.h"

#include <algorithm>

namespace panemark {

namespace {

bool contains(const std::vector<ShortcutBinding>& bindings, const ShortcutBinding& binding) {
    return std::find(bindings.begin(), bindings.end(), binding) != bindings.end();
}

bool holds(const std::vector<ShortcutBinding>& bindings, const Shortcut& shortcut) {
    return std::any_of(bindings.begin(), bindings.end(), [&](const ShortcutBinding& binding) {
        return binding.shortcut == shortcut;
    });
}

void addOnce(std::vector<Shortcut>& shortcuts, const Shortcut& shortcut) {
    if (std::find(shortcuts.begin(), shortcuts.end(), shortcut) == shortcuts.end()) {
        shortcuts.push_back(shortcut);
    }
}

} // namespace

ShortcutChanges ShortcutChanges::between(const std::vector<ShortcutBinding>& before,
                                         const std::vector<ShortcutBinding>& after) {
    ShortcutChanges changes;
    for (const ShortcutBinding& old : before) {
        if (!contains(after, old)) {
            changes.letGo.push_back(old);
            if (!holds(after, old.shortcut)) {
                addOnce(changes.combinationsLetGo, old.shortcut);
            }
        }
    }
    for (const ShortcutBinding& binding : after) {
        const auto old = std::find(before.begin(), before.end(), binding);
        if (old == before.end()) {
            changes.take.push_back(binding);
            if (!holds(before, binding.shortcut)) {
                addOnce(changes.combinationsTaken, binding.shortcut);
            }
        } else if (old->label != binding.label) {
            changes.relabelled.push_back(binding);
        }
    }
    return changes;
}

} // namespace panemark
