#pragma once

#include "base/Signal.h"
#include "platform/GlobalShortcuts.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcEvents.h"

#include <set>
#include <vector>

namespace panemark {

// Global shortcuts on sway: each binding becomes `bindcode --no-repeat <combination>
// nop panemark:<name>` in the running compositor, and its binding events report the name.
// Only what changed is unbound or bound. A combination sway's configuration binds already is
// left to it and reported once by name, like a key another program holds on X11. Should
// Panemark die, its bindings run `nop`; the next start binds them again.
class SwayShortcuts : public GlobalShortcuts {
public:
    static constexpr const char* commandPrefix = "nop panemark:";

    SwayShortcuts(I3IpcClient& client, I3IpcEvents& events);
    // Unbinds every combination still bound.
    ~SwayShortcuts() override;

    // Makes every binding again after sway read its configuration anew, which drops all
    // bindings made at run time.
    void bindAgain();

    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    // "Mod4+Mod1+Ctrl+113": a combination as sway's bindcode takes it; none for a key Linux
    // does not have.
    static std::optional<std::string> combination(const Shortcut& shortcut);

protected:
    void apply(const ShortcutChanges& changes) override;

private:
    void readConfiguration();
    void run(const std::string& command);
    void bind(const ShortcutBinding& binding);
    void unbind(const Shortcut& shortcut);

    I3IpcClient& client_;
    std::vector<Shortcut> configured_; // what the compositor's configuration binds itself
    std::set<std::pair<std::uint32_t, std::uint32_t>> reported_;
    Signal<std::string> activated_;
    Subscription events_;
};

} // namespace panemark
