#pragma once

#include "platform/GlobalShortcuts.h"
#include "platform/gnome/GnomeShellHelper.h"
#include "runtime/Signal.h"

#include <set>
#include <vector>

namespace panemark {

// Global shortcuts grabbed by Panemark's GNOME Shell extension as accelerators of its own: the
// whole set is handed over at each change (the extension lets go of what left it and grabs what
// came), and again when the extension comes back. The extension lets every one go when Panemark
// leaves the bus. Main thread only.
class GnomeShortcuts : public GlobalShortcuts {
public:
    explicit GnomeShortcuts(GnomeShellHelper& helper);
    ~GnomeShortcuts() override;

    void setBindings(const std::vector<ShortcutBinding>& bindings) override;
    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    // The set as the extension takes it: [{"name":…,"accelerator":…}, …].
    static std::string bindingsJson(const std::vector<ShortcutBinding>& bindings);

private:
    void handOver();

    GnomeShellHelper& helper_;
    std::vector<ShortcutBinding> bindings_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken_; // key code, modifiers
    Signal<std::string> activated_;
    Subscription pressed_;
    Subscription arrived_;
};

} // namespace panemark
