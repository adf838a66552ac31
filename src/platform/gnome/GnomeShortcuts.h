#pragma once

#include "platform/GlobalShortcuts.h"
#include "platform/gnome/GnomeShellHelper.h"
#include "runtime/Signal.h"

#include <set>
#include <vector>

namespace panemark {

// Global shortcuts grabbed by Panemark's GNOME Shell extension as accelerators of its own: each
// change is handed over as what to let go and what to take, and the whole set again when the
// extension comes back. The extension lets every one go when Panemark leaves the bus. Main
// thread only.
class GnomeShortcuts : public GlobalShortcuts {
public:
    explicit GnomeShortcuts(GnomeShellHelper& helper);
    ~GnomeShortcuts() override;

    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    // A change as the extension takes it: {"letGo":[{"name":…,"accelerator":…}, …],
    // "take":[…]}.
    static std::string changesJson(const std::vector<ShortcutBinding>& letGo,
                                   const std::vector<ShortcutBinding>& take);
    // The whole set, as the extension takes it to replace whatever it holds:
    // {"whole":true,"letGo":[],"take":[…]}.
    static std::string wholeSetJson(const std::vector<ShortcutBinding>& bindings);

protected:
    void apply(const ShortcutChanges& changes) override;

private:
    void handOver(const std::string& changes);

    GnomeShellHelper& helper_;
    // Whether the extension heard every change so far: after a failed call it gets the whole set.
    bool inStep_ = true;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken_; // key code, modifiers
    Signal<std::string> activated_;
    Subscription pressed_;
    Subscription arrived_;
};

} // namespace panemark
