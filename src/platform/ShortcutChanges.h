#pragma once

#include "platform/ShortcutBinding.h"

#include <vector>

namespace panemark {

// What a new set of shortcut bindings asks of the desktop, against the set it holds. A binding
// is its name and its combination: one that changed either is let go and taken anew. A
// combination bound before and after stays held, whichever binding holds it now, so that no
// other program can take it in between; only combinations that come or go are grabbed or
// released. The one rule every backend follows.
struct ShortcutChanges {
    // Bindings of the old set not in the new one.
    std::vector<ShortcutBinding> letGo;
    // Bindings of the new set not in the old one, in the new set's order.
    std::vector<ShortcutBinding> take;
    // Bindings in both whose label changed (a command renamed): no key moves.
    std::vector<ShortcutBinding> relabelled;
    // The combinations no binding holds any more, and those no binding held before.
    std::vector<Shortcut> combinationsLetGo;
    std::vector<Shortcut> combinationsTaken;

    static ShortcutChanges between(const std::vector<ShortcutBinding>& before,
                                   const std::vector<ShortcutBinding>& after);
    bool empty() const { return letGo.empty() && take.empty() && relabelled.empty(); }
};

} // namespace panemark
