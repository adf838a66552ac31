#pragma once

#include "base/Scheduler.h"
#include "base/Signal.h"
#include "platform/GlobalShortcuts.h"
#include "platform/x11/X11DesktopBindings.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11KeyboardMap.h"

#include <chrono>
#include <map>
#include <set>
#include <unordered_map>

namespace panemark {

// Global shortcuts on X11 through passive grabs on the root window: each bound combination is
// grabbed with the modifier bits this keyboard really uses, in every combination of the lock
// bits it has (Caps, Num, Scroll Lock), so only those combinations reach Panemark and every
// other key goes to the application in front untouched. When the keyboard mapping changes the
// grabs are made again. A combination another program holds is reported once by name and tried
// again every two seconds; so is one the desktop's own shortcuts hold where its grabs would not
// stop ours (Cinnamon). One that cannot exist here, or that X refuses otherwise, is reported
// once. A held key is reported once: XKB tells its repeats apart.
class X11GlobalShortcuts : public GlobalShortcuts {
public:
    static constexpr double retryInterval = 2.0;
    static constexpr double remapDelay = 0.05;

    X11GlobalShortcuts(X11EventSource& events, Scheduler& mainLoop);
    ~X11GlobalShortcuts() override;

    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    const X11KeyboardMap& keyboardMap() const { return keyboardMap_; }

protected:
    void apply(const ShortcutChanges& changes) override;

private:
    using Key = std::pair<std::uint32_t, std::uint32_t>; // (keyCode, modifiers) of a shortcut
    // What was sent for a shortcut, so that it is released exactly even after a remapping.
    struct Grab {
        xcb_keycode_t keycode;
        std::uint16_t mask;
        std::vector<std::uint16_t> variants;
    };

    void selectKeyboardEvents();
    void grabAll();
    void ungrabAll();
    void grab(const Shortcut& shortcut);
    void ungrab(const Shortcut& shortcut);
    void onEvent(const xcb_generic_event_t& event);
    void onGrabError(const Shortcut& shortcut, std::uint8_t errorCode);
    // Counts a combination as taken, to be tried again every retryInterval.
    void refuse(const Shortcut& shortcut);
    void onKeyPress(const xcb_key_press_event_t& key);
    void scheduleRemap();
    void remap();
    void retryRefused();
    void reportOnce(const Shortcut& shortcut, const std::string& problem);
    bool isRepeat(xcb_keycode_t keycode);

    X11EventSource& events_;
    X11Connection& connection_;
    Scheduler& mainLoop_;
    std::optional<std::uint8_t> xkbEventBase_;
    bool autoRepeatDetectable_ = false;
    X11KeyboardMap keyboardMap_;
    std::unique_ptr<X11DesktopBindings> desktopBindings_ = X11DesktopBindings::forThisSession();
    std::map<Key, Grab> grabbed_;
    std::set<Key> refused_;
    std::set<Key> refusedLastRound_; // still counts as taken while its retry is under way
    std::set<Key> reported_;
    std::unordered_map<std::uint32_t, Shortcut> pendingGrabs_; // request sequence → shortcut
    std::map<xcb_keycode_t, std::chrono::steady_clock::time_point> keysDown_;
    Signal<std::string> activated_;
    TimerHandle retryTimer_;
    TimerHandle remapTimer_;
    Subscription eventSubscription_;
};

} // namespace panemark
