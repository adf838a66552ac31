#pragma once

#include "base/Signal.h"
#include "model/KeyEvent.h"
#include "platform/GlobalShortcuts.h"

#include <vector>

namespace panemark {

// A desktop's global shortcuts in memory: bindings as handed over, combinations another
// program holds, and key presses typed by the test. Main thread only.
class SimShortcuts : public GlobalShortcuts {
public:
    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    // Types a key as the desktop sees it; returns whether a binding took it (the application in
    // front then never sees it). A repeat of a held key is taken but not reported.
    bool press(std::uint32_t keyCode, std::uint32_t flags, bool isRepeat = false);

    std::vector<Shortcut> boundShortcuts() const;

    // Combinations another program holds.
    std::vector<Shortcut> takenElsewhere;
    // Every set handed over that let go of or took a binding, in order.
    std::vector<std::vector<ShortcutBinding>> bindingSets;
    // What each change of the set let go of and took, combination by combination, as a
    // backend that holds grabs does it.
    std::vector<Shortcut> released;
    std::vector<Shortcut> taken;
    // Every set handed over that renamed a binding, in order.
    std::vector<std::vector<ShortcutBinding>> relabelledSets;

protected:
    void apply(const ShortcutChanges& changes) override;

private:
    Signal<std::string> activated_;
};

} // namespace panemark
