#pragma once

#include "base/Scheduler.h"
#include "model/Shortcut.h"
#include "model/ZoneCommand.h"
#include "platform/GlobalShortcuts.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace panemark {

// Turns the commands' shortcuts into the desktop's global shortcuts: one named binding per
// combination, named after the command it runs, and the command run on the main loop when the
// desktop reports its name. The desktop hears of the set only when a binding changed, so that
// renaming a command, or changing its grid or the gap, touches no key. Main thread only.
class HotKeyManager {
public:
    HotKeyManager(GlobalShortcuts& shortcuts, Scheduler& mainLoop);
    // Lets every key go.
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // Replaces every handler with one per command that has a shortcut (of several commands on
    // one shortcut the last fires).
    void registerCommands(const std::vector<ZoneCommand>& commands,
                          std::function<void(const ZoneCommand&)> action);

    // Only a shortcut with control, option or command is ever bound.
    static bool canFire(const Shortcut& shortcut);

    std::size_t handlerCount() const { return handlers_.size(); }
    // The command each bound shortcut runs, in list order.
    std::vector<ZoneCommand> boundCommands() const;
    // Whether another program holds a combination, so that it cannot fire here.
    bool isTakenElsewhere(const Shortcut& shortcut) const;

private:
    void onActivated(const std::string& name);
    std::vector<ShortcutBinding> bindingsInListOrder() const;

    GlobalShortcuts& shortcuts_;
    Scheduler& mainLoop_;
    struct Handler {
        std::function<void()> run;
        std::size_t index; // of its command in commands_
    };
    std::vector<ZoneCommand> commands_;                 // as last registered
    std::unordered_map<std::string, Handler> handlers_; // by binding name
    Subscription activation_;
    // Handlers dispatched to the main loop run only while the manager lives.
    std::shared_ptr<const HotKeyManager*> alive_ = std::make_shared<const HotKeyManager*>(this);
};

} // namespace panemark
