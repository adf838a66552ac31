#pragma once

#include "base/Signal.h"
#include "platform/GlobalShortcuts.h"
#include "platform/gnome/GnomeShellHelper.h"

#include <set>
#include <vector>

namespace panemark {

// Global shortcuts grabbed by Panemark's GNOME Shell extension as accelerators of its own: each
// change is handed over as what to let go and what to take, worked out here against what the
// extension may hold; the extension carries the lists out and works nothing out itself. It lets
// every one go when Panemark leaves the bus. Main thread only.
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

protected:
    void apply(const ShortcutChanges& changes) override;

private:
    // Hands the extension what takes it from what it may hold to `wanted`.
    void handOver(const std::vector<ShortcutBinding>& wanted);

    GnomeShellHelper& helper_;
    // What the extension surely holds and what it may hold: both the set it was last handed,
    // until a call fails, which it may or may not have carried out.
    std::vector<ShortcutBinding> surelyHolds_;
    std::vector<ShortcutBinding> mayHold_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken_; // key code, modifiers
    Signal<std::string> activated_;
    Subscription pressed_;
    Subscription arrived_;
};

} // namespace panemark
