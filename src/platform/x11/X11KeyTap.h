#pragma once

#include "platform/KeyTap.h"
#include "platform/x11/X11EventSource.h"
#include "runtime/Scheduler.h"

#include <chrono>
#include <map>
#include <set>
#include <unordered_map>

namespace panemark {

// Key presses on X11 through passive grabs on the root window: each bound shortcut is grabbed
// in its four lock variants (none, Caps Lock, Num Lock, both), so only those combinations reach
// Panemark and every other key goes to the application in front untouched. A combination that
// another program holds is reported once by name and tried again every two seconds.
class X11KeyTap : public KeyTap {
public:
    static constexpr double retryInterval = 2.0;

    X11KeyTap(X11EventSource& events, Scheduler& mainLoop, KeyTapProvider::Callback callback);
    ~X11KeyTap() override;

    void enable(bool enabled) override;
    bool isEnabled() const override { return enabled_; }
    void setShortcuts(const std::vector<Shortcut>& shortcuts) override;

    // X modifier state bits to KeyEvent flags.
    static std::uint32_t flagsFor(std::uint16_t state);

private:
    void grabAll();
    void ungrabAll();
    void grab(const Shortcut& shortcut);
    void ungrab(const Shortcut& shortcut);
    void onEvent(const xcb_generic_event_t& event);
    void onRefused(const Shortcut& shortcut);
    void retryRefused();
    bool isRepeat(xcb_keycode_t keycode);

    X11EventSource& events_;
    X11Connection& connection_;
    Scheduler& mainLoop_;
    KeyTapProvider::Callback callback_;
    bool enabled_ = true;
    std::vector<Shortcut> shortcuts_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> grabbed_; // (keyCode, modifiers)
    std::set<std::pair<std::uint32_t, std::uint32_t>> refused_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> reported_;
    std::unordered_map<std::uint32_t, Shortcut> pendingGrabs_; // request sequence → shortcut
    std::map<xcb_keycode_t, std::chrono::steady_clock::time_point> keysDown_;
    TimerHandle retryTimer_;
    Subscription eventSubscription_;
};

// Key taps over X11 grabs. Input monitoring needs no permission on X11.
class X11KeyTapProvider : public KeyTapProvider {
public:
    X11KeyTapProvider(X11EventSource& events, Scheduler& mainLoop);

    bool isInputMonitoringGranted() override { return true; }
    void requestInputMonitoring() override {}
    std::variant<std::unique_ptr<KeyTap>, Failure> createTap(Callback callback) override;

private:
    X11EventSource& events_;
    Scheduler& mainLoop_;
    bool autoRepeatDetectable_ = false;
};

} // namespace panemark
