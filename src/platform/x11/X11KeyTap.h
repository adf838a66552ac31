#pragma once

#include "platform/KeyTap.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11KeyboardMap.h"
#include "runtime/Scheduler.h"

#include <chrono>
#include <map>
#include <set>
#include <unordered_map>

namespace panemark {

// Key presses on X11 through passive grabs on the root window: each bound shortcut is grabbed
// with the modifier bits this keyboard really uses, in every combination of the lock bits it
// has (Caps, Num, Scroll Lock), so only those combinations reach Panemark and every other key
// goes to the application in front untouched. When the keyboard mapping changes the grabs are
// made again. A combination another program holds is reported once by name and tried again
// every two seconds; one that cannot exist here, or that X refuses otherwise, is reported once.
class X11KeyTap : public KeyTap {
public:
    static constexpr double retryInterval = 2.0;
    static constexpr double remapDelay = 0.05;

    // xkbEventBase: where XKB's events start on this connection, when it has selected them.
    X11KeyTap(X11EventSource& events, Scheduler& mainLoop, KeyTapProvider::Callback callback,
              std::optional<std::uint8_t> xkbEventBase = std::nullopt);
    ~X11KeyTap() override;

    void enable(bool enabled) override;
    bool isEnabled() const override { return enabled_; }
    void setShortcuts(const std::vector<Shortcut>& shortcuts) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    const X11KeyboardMap& keyboardMap() const { return keyboardMap_; }

private:
    using Key = std::pair<std::uint32_t, std::uint32_t>; // (keyCode, modifiers) of a shortcut
    // What was sent for a shortcut, so that it is released exactly even after a remapping.
    struct Grab {
        xcb_keycode_t keycode;
        std::uint16_t mask;
        std::vector<std::uint16_t> variants;
    };

    void grabAll();
    void ungrabAll();
    void grab(const Shortcut& shortcut);
    void ungrab(const Shortcut& shortcut);
    void onEvent(const xcb_generic_event_t& event);
    void onGrabError(const Shortcut& shortcut, std::uint8_t errorCode);
    void onKeyPress(const xcb_key_press_event_t& key);
    void scheduleRemap();
    void remap();
    void retryRefused();
    void reportOnce(const Shortcut& shortcut, const std::string& problem);
    bool isRepeat(xcb_keycode_t keycode);

    X11EventSource& events_;
    X11Connection& connection_;
    Scheduler& mainLoop_;
    KeyTapProvider::Callback callback_;
    std::optional<std::uint8_t> xkbEventBase_;
    X11KeyboardMap keyboardMap_;
    bool enabled_ = true;
    std::vector<Shortcut> shortcuts_;
    std::map<Key, Grab> grabbed_;
    std::set<Key> refused_;
    std::set<Key> refusedLastRound_; // still counts as taken while its retry is under way
    std::set<Key> reported_;
    std::unordered_map<std::uint32_t, Shortcut> pendingGrabs_; // request sequence → shortcut
    std::map<xcb_keycode_t, std::chrono::steady_clock::time_point> keysDown_;
    TimerHandle retryTimer_;
    TimerHandle remapTimer_;
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
    std::optional<std::uint8_t> xkbEventBase_;
};

} // namespace panemark
