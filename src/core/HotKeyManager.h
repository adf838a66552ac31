#pragma once

#include "model/Shortcut.h"
#include "model/ZoneCommand.h"
#include "platform/KeyTap.h"
#include "platform/WindowService.h"
#include "runtime/Scheduler.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace panemark {

// Turns the commands' shortcuts into system-wide hot keys: one keyboard tap, a table of
// handlers keyed by shortcut, handlers run on the main loop after the tap's callback returns,
// and the bound key press swallowed. Until the platform lets it install the tap it retries every
// two seconds, and it rebuilds the tap once input monitoring is granted. Main thread only.
class HotKeyManager {
public:
    enum class State { idle, waiting, armedAwaitingInputMonitoring, armed };

    static constexpr double retryInterval = 2.0;

    HotKeyManager(WindowService& trust, KeyTapProvider& keyboard, Scheduler& mainLoop);
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // Replaces every handler with one per command that has a shortcut (of several commands on
    // one shortcut the last fires), then installs the tap, or removes it when none has one.
    void registerCommands(const std::vector<ZoneCommand>& commands,
                          std::function<void(const ZoneCommand&)> action);

    // Only a shortcut with control, option or command is ever looked up.
    static bool canFire(const Shortcut& shortcut);

    State state() const;
    std::size_t handlerCount() const { return handlers_.size(); }
    // The command each bound shortcut runs, in list order.
    std::vector<ZoneCommand> boundCommands() const;
    // Whether another program holds a combination, so that it cannot fire here.
    bool isTakenElsewhere(const Shortcut& shortcut) const;

private:
    void startTapIfNeeded();
    void scheduleRetry();
    void retryTick();
    bool handle(const KeyTapEvent& event);
    void tearDownTap();
    std::vector<Shortcut> boundShortcuts() const;

    WindowService& trust_;
    KeyTapProvider& keyboard_;
    Scheduler& mainLoop_;
    std::unique_ptr<KeyTap> eventTap_;
    std::vector<Shortcut> tapShortcuts_; // what the tap was last given
    struct Handler {
        std::function<void()> run;
        std::size_t index; // of its command in commands_
    };
    std::vector<ZoneCommand> commands_; // as last registered
    std::unordered_map<Shortcut, Handler> handlers_;
    TimerHandle retryTimer_;
    // Handlers dispatched to the main loop run only while the manager lives.
    std::shared_ptr<const HotKeyManager*> alive_ = std::make_shared<const HotKeyManager*>(this);
};

} // namespace panemark
