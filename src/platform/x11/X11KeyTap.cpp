#include "platform/x11/X11KeyTap.h"

#include "platform/evdev/EvdevKeyCodes.h"
#include "runtime/Log.h"

// xcb's XKB header names a field `explicit`, a keyword in C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace panemark {

namespace {

constexpr std::uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                          XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint8_t badAccess = 10;
constexpr std::uint8_t grabKeyOpcode = 33;
// A key whose release went astray must not count as held for ever: auto-repeat comes many
// times a second, so a press this long after the last one is a new press.
constexpr auto repeatWindow = std::chrono::milliseconds(1000);

std::uint16_t xModifiers(std::uint32_t modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Shortcut::controlMask) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if (modifiers & Shortcut::optionMask) {
        mask |= XCB_MOD_MASK_1;
    }
    if (modifiers & Shortcut::commandMask) {
        mask |= XCB_MOD_MASK_4;
    }
    if (modifiers & Shortcut::shiftMask) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    return mask;
}

// The X keycode of a shortcut's key, or none when the key cannot be grabbed here.
std::optional<xcb_keycode_t> xKeycode(const Shortcut& shortcut) {
    const auto evdev = EvdevKeyCodes::evdevFor(shortcut.keyCode);
    if (!evdev || *evdev + EvdevKeyCodes::xKeycodeOffset > 255) {
        return std::nullopt;
    }
    return static_cast<xcb_keycode_t>(*evdev + EvdevKeyCodes::xKeycodeOffset);
}

std::pair<std::uint32_t, std::uint32_t> keyOf(const Shortcut& shortcut) {
    return {shortcut.keyCode, shortcut.modifiers};
}

} // namespace

X11KeyTap::X11KeyTap(X11EventSource& events, Scheduler& mainLoop, KeyTapProvider::Callback callback)
    : events_(events), connection_(events.connection()), mainLoop_(mainLoop),
      callback_(std::move(callback)) {
    eventSubscription_ =
        events_.subscribe([this](const xcb_generic_event_t& event) { onEvent(event); });
}

X11KeyTap::~X11KeyTap() {
    ungrabAll();
}

std::uint32_t X11KeyTap::flagsFor(std::uint16_t state) {
    std::uint32_t flags = 0;
    if (state & XCB_MOD_MASK_SHIFT) {
        flags |= KeyEvent::shift;
    }
    if (state & XCB_MOD_MASK_LOCK) {
        flags |= KeyEvent::capsLock;
    }
    if (state & XCB_MOD_MASK_CONTROL) {
        flags |= KeyEvent::control;
    }
    if (state & XCB_MOD_MASK_1) {
        flags |= KeyEvent::option;
    }
    if (state & XCB_MOD_MASK_4) {
        flags |= KeyEvent::command;
    }
    return flags;
}

void X11KeyTap::enable(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    enabled ? grabAll() : ungrabAll();
}

void X11KeyTap::setShortcuts(const std::vector<Shortcut>& shortcuts) {
    ungrabAll();
    shortcuts_ = shortcuts;
    // A combination that is no longer bound need not be reported again if it comes back taken.
    std::erase_if(reported_, [&](const auto& key) {
        return std::none_of(shortcuts_.begin(), shortcuts_.end(),
                            [&](const Shortcut& s) { return keyOf(s) == key; });
    });
    if (enabled_) {
        grabAll();
    }
}

void X11KeyTap::grabAll() {
    for (const Shortcut& shortcut : shortcuts_) {
        grab(shortcut);
    }
    connection_.flush();
}

void X11KeyTap::ungrabAll() {
    for (const Shortcut& shortcut : shortcuts_) {
        ungrab(shortcut);
    }
    connection_.flush();
    pendingGrabs_.clear();
    refused_.clear();
    retryTimer_.cancel();
}

void X11KeyTap::grab(const Shortcut& shortcut) {
    const std::optional<xcb_keycode_t> keycode = xKeycode(shortcut);
    if (!keycode) {
        if (reported_.insert(keyOf(shortcut)).second) {
            Log::write("shortcut " + shortcut.displayString() +
                       " uses a key this keyboard does not have");
        }
        return;
    }
    // The answers to an earlier attempt came long ago; keep the table from growing while a
    // combination stays taken for hours.
    std::erase_if(pendingGrabs_, [&](const auto& entry) { return entry.second == shortcut; });
    const std::uint16_t modifiers = xModifiers(shortcut.modifiers);
    for (const std::uint16_t lock : lockVariants) {
        // Errors come back as events: a BadAccess names the request, so the shortcut is known.
        const xcb_void_cookie_t cookie =
            xcb_grab_key(connection_.get(), 1, connection_.root(), modifiers | lock, *keycode,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        pendingGrabs_.insert_or_assign(cookie.sequence, shortcut);
    }
    grabbed_.insert(keyOf(shortcut));
}

void X11KeyTap::ungrab(const Shortcut& shortcut) {
    const std::optional<xcb_keycode_t> keycode = xKeycode(shortcut);
    if (!keycode || grabbed_.erase(keyOf(shortcut)) == 0) {
        return;
    }
    const std::uint16_t modifiers = xModifiers(shortcut.modifiers);
    for (const std::uint16_t lock : lockVariants) {
        xcb_ungrab_key(connection_.get(), *keycode, connection_.root(), modifiers | lock);
    }
}

void X11KeyTap::onEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (event.response_type == 0) {
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        auto pending = pendingGrabs_.find(error.full_sequence);
        if (pending != pendingGrabs_.end() && error.error_code == badAccess &&
            error.major_code == grabKeyOpcode) {
            onRefused(pending->second);
        }
        return;
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return;
    }
    const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
    if (type == XCB_KEY_RELEASE) {
        keysDown_.erase(key.detail);
        return;
    }
    if (!enabled_) {
        return;
    }
    const bool repeat = isRepeat(key.detail);
    const std::uint32_t evdev = key.detail >= EvdevKeyCodes::xKeycodeOffset
                                    ? key.detail - EvdevKeyCodes::xKeycodeOffset
                                    : 0;
    const KeyEvent keyEvent{KeyEvent::Type::keyDown, EvdevKeyCodes::virtualKeyFor(evdev),
                            flagsFor(key.state), repeat};
    // Grabbed presses reach no other application whatever the answer: X has no way to pass
    // them on. Only presses of bound combinations are grabbed, so that is what the user wants.
    callback_({KeyTapEvent::Kind::keyDown, keyEvent});
}

bool X11KeyTap::isRepeat(xcb_keycode_t keycode) {
    const auto now = std::chrono::steady_clock::now();
    auto [entry, inserted] = keysDown_.try_emplace(keycode, now);
    const bool repeat = !inserted && now - entry->second < repeatWindow;
    entry->second = now;
    return repeat;
}

void X11KeyTap::onRefused(const Shortcut& shortcut) {
    // The variants that did succeed are released: a combination is ours entirely or not at all.
    ungrab(shortcut);
    refused_.insert(keyOf(shortcut));
    if (reported_.insert(keyOf(shortcut)).second) {
        Log::write("shortcut " + shortcut.displayString() +
                   " is taken by another program; Panemark keeps trying to get it");
    }
    if (!retryTimer_) {
        retryTimer_ = mainLoop_.every(retryInterval, [this] { retryRefused(); });
    }
}

void X11KeyTap::retryRefused() {
    const auto refused = std::exchange(refused_, {});
    for (const Shortcut& shortcut : shortcuts_) {
        if (refused.count(keyOf(shortcut)) != 0 && enabled_) {
            grab(shortcut);
        }
    }
    connection_.flush();
    if (refused.empty()) {
        retryTimer_.cancel();
    }
}

X11KeyTapProvider::X11KeyTapProvider(X11EventSource& events, Scheduler& mainLoop)
    : events_(events), mainLoop_(mainLoop) {
    // Held keys then repeat as presses without releases, which is how repeats are told apart.
    xcb_connection_t* connection = events_.connection().get();
    auto useCookie =
        xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
    auto use = events_.connection().await<xcb_xkb_use_extension_reply_t>(useCookie.sequence, 0.25);
    if (use && use->supported) {
        const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        auto flagsCookie =
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
        auto flags = events_.connection().await<xcb_xkb_per_client_flags_reply_t>(
            flagsCookie.sequence, 0.25);
        autoRepeatDetectable_ = flags && (flags->value & flag);
    }
    if (!autoRepeatDetectable_) {
        Log::write("the X server cannot report held keys as repeats; a held shortcut may run more "
                   "than once");
    }
}

std::variant<std::unique_ptr<KeyTap>, KeyTapProvider::Failure>
X11KeyTapProvider::createTap(Callback callback) {
    if (events_.connection().hasFailed()) {
        return Failure::tap;
    }
    return std::unique_ptr<KeyTap>(
        std::make_unique<X11KeyTap>(events_, mainLoop_, std::move(callback)));
}

} // namespace panemark
