#include "platform/GlobalShortcuts.h"

#include <algorithm>

namespace panemark {

void GlobalShortcuts::setBindings(const std::vector<ShortcutBinding>& bindings) {
    const ShortcutChanges changes = ShortcutChanges::between(bindings_, bindings);
    if (changes.empty()) {
        return;
    }
    bindings_ = bindings;
    apply(changes);
}

const ShortcutBinding* GlobalShortcuts::bindingNamed(const std::string& name) const {
    const auto found =
        std::find_if(bindings_.begin(), bindings_.end(),
                     [&](const ShortcutBinding& binding) { return binding.name == name; });
    return found == bindings_.end() ? nullptr : &*found;
}

} // namespace panemark
