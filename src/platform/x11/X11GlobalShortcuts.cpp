#include "platform/x11/X11GlobalShortcuts.h"

#include "base/Log.h"
#include "platform/evdev/EvdevKeyCodes.h"

#include <algorithm>

// xcb's XKB header names a field `explicit`, a keyword in C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace panemark {

namespace {

constexpr std::uint8_t badAccess = 10;
// A key whose release went astray must not count as held for ever: auto-repeat comes many
// times a second, so a press this long after the last one is a new press.
constexpr auto repeatWindow = std::chrono::milliseconds(1000);
constexpr double mappingTimeout = 0.25;

// The X keycode of a shortcut's key, or none when X cannot have such a key.
std::optional<xcb_keycode_t> xKeycode(const Shortcut& shortcut) {
    if (!EvdevKeyCodes::canExist(shortcut.keyCode)) {
        return std::nullopt;
    }
    return static_cast<xcb_keycode_t>(*EvdevKeyCodes::evdevFor(shortcut.keyCode) +
                                      EvdevKeyCodes::xKeycodeOffset);
}

std::pair<std::uint32_t, std::uint32_t> keyOf(const Shortcut& shortcut) {
    return {shortcut.keyCode, shortcut.modifiers};
}

std::string errorName(std::uint8_t code) {
    static const char* names[] = {"",          "BadRequest",  "BadValue",  "BadWindow",
                                  "BadPixmap", "BadAtom",     "BadCursor", "BadFont",
                                  "BadMatch",  "BadDrawable", "BadAccess", "BadAlloc"};
    return code < std::size(names) ? names[code] : "X error " + std::to_string(code);
}

} // namespace

X11GlobalShortcuts::X11GlobalShortcuts(X11EventSource& events, Scheduler& mainLoop)
    : events_(events), connection_(events.connection()), mainLoop_(mainLoop) {
    selectKeyboardEvents();
    keyboardMap_ = X11KeyboardMap::read(connection_, mappingTimeout).value_or(X11KeyboardMap());
    eventSubscription_ =
        events_.subscribe([this](const xcb_generic_event_t& event) { onEvent(event); });
}

X11GlobalShortcuts::~X11GlobalShortcuts() {
    ungrabAll();
}

Subscription X11GlobalShortcuts::onActivated(Listener listener) {
    return activated_.connect(std::move(listener));
}

void X11GlobalShortcuts::apply(const ShortcutChanges& changes) {
    // Grabs are by combination, and a binding's name is looked up at each press: only
    // combinations that come or go touch the server.
    for (const Shortcut& shortcut : changes.combinationsLetGo) {
        ungrab(shortcut);
        std::erase_if(pendingGrabs_, [&](const auto& entry) { return entry.second == shortcut; });
        // No longer bound: should it come back and be refused, that is news again.
        refused_.erase(keyOf(shortcut));
        refusedLastRound_.erase(keyOf(shortcut));
        reported_.erase(keyOf(shortcut));
    }
    for (const Shortcut& shortcut : changes.combinationsTaken) {
        grab(shortcut);
    }
    connection_.flush();
    if (refused_.empty()) {
        retryTimer_.cancel();
    }
}

bool X11GlobalShortcuts::isTakenElsewhere(const Shortcut& shortcut) const {
    const Key key = keyOf(shortcut);
    return refused_.count(key) != 0 || refusedLastRound_.count(key) != 0;
}

void X11GlobalShortcuts::grabAll() {
    for (const ShortcutBinding& binding : bindings()) {
        grab(binding.shortcut);
    }
    connection_.flush();
}

void X11GlobalShortcuts::ungrabAll() {
    for (const ShortcutBinding& binding : bindings()) {
        ungrab(binding.shortcut);
    }
    connection_.flush();
    pendingGrabs_.clear();
    refused_.clear();
    retryTimer_.cancel();
}

void X11GlobalShortcuts::reportOnce(const Shortcut& shortcut, const std::string& problem) {
    if (reported_.insert(keyOf(shortcut)).second) {
        Log::write("shortcut " + shortcut.displayString() + " " + problem);
    }
}

void X11GlobalShortcuts::grab(const Shortcut& shortcut) {
    const std::optional<xcb_keycode_t> keycode = xKeycode(shortcut);
    if (!keycode || !keyboardMap_.hasKey(*keycode)) {
        reportOnce(shortcut, "uses a key this keyboard does not have");
        return;
    }
    const std::optional<std::uint16_t> mask = keyboardMap_.maskFor(shortcut.modifiers);
    if (!mask) {
        reportOnce(shortcut, "uses a modifier key this keyboard does not have");
        return;
    }
    if (desktopBindings_) {
        if (const auto setting = desktopBindings_->holderOf(*keycode, *mask, keyboardMap_)) {
            refuse(shortcut);
            reportOnce(shortcut, "is held by " + desktopBindings_->desktop() +
                                     "'s own shortcut \"" + *setting +
                                     "\"; Panemark leaves it to the desktop and takes it when "
                                     "the desktop lets it go");
            return;
        }
    }
    // The answers to an earlier attempt came long ago; keep the table from growing while a
    // combination stays taken for hours.
    std::erase_if(pendingGrabs_, [&](const auto& entry) { return entry.second == shortcut; });
    Grab made{*keycode, *mask, keyboardMap_.lockVariants()};
    for (const std::uint16_t lock : made.variants) {
        // Errors come back as events naming the request, so the shortcut is known.
        const xcb_void_cookie_t cookie =
            xcb_grab_key(connection_.get(), 1, connection_.root(), made.mask | lock, made.keycode,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        pendingGrabs_.insert_or_assign(cookie.sequence, shortcut);
    }
    grabbed_.insert_or_assign(keyOf(shortcut), std::move(made));
}

void X11GlobalShortcuts::ungrab(const Shortcut& shortcut) {
    const auto found = grabbed_.find(keyOf(shortcut));
    if (found == grabbed_.end()) {
        return;
    }
    for (const std::uint16_t lock : found->second.variants) {
        xcb_ungrab_key(connection_.get(), found->second.keycode, connection_.root(),
                       found->second.mask | lock);
    }
    grabbed_.erase(found);
}

void X11GlobalShortcuts::onEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (event.response_type == 0) {
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        const auto pending = pendingGrabs_.find(error.full_sequence);
        if (pending != pendingGrabs_.end()) {
            const Shortcut shortcut = pending->second;
            onGrabError(shortcut, error.error_code);
        }
        return;
    }
    if (xkbEventBase_ && type == *xkbEventBase_) {
        // Every XKB event starts with its own type in the second byte.
        const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(&event)[1];
        if (xkbType == XCB_XKB_MAP_NOTIFY || xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY) {
            scheduleRemap();
        }
        return;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
        if (mapping.request != XCB_MAPPING_POINTER) {
            scheduleRemap();
        }
        return;
    }
    if (type == XCB_KEY_RELEASE) {
        keysDown_.erase(reinterpret_cast<const xcb_key_release_event_t&>(event).detail);
        return;
    }
    if (type == XCB_KEY_PRESS) {
        onKeyPress(reinterpret_cast<const xcb_key_press_event_t&>(event));
    }
}

void X11GlobalShortcuts::onKeyPress(const xcb_key_press_event_t& key) {
    // Grabbed presses reach no other application whatever happens here: X has no way to pass
    // them on. Only presses of bound combinations are grabbed, so that is what the user wants.
    if (isRepeat(key.detail)) {
        return; // a held key runs its command once
    }
    const std::uint32_t evdev = key.detail >= EvdevKeyCodes::xKeycodeOffset
                                    ? key.detail - EvdevKeyCodes::xKeycodeOffset
                                    : 0;
    const std::optional<Shortcut> pressed =
        Shortcut::fromKeyEvent({KeyEvent::Type::keyDown, EvdevKeyCodes::virtualKeyFor(evdev),
                                keyboardMap_.flagsFor(key.state), false});
    if (!pressed) {
        return;
    }
    const auto found =
        std::find_if(bindings().begin(), bindings().end(),
                     [&](const ShortcutBinding& binding) { return binding.shortcut == *pressed; });
    if (found != bindings().end()) {
        activated_.emit(found->name);
    }
}

void X11GlobalShortcuts::scheduleRemap() {
    // One change of the mapping comes as a burst of events: remap once, after the last.
    remapTimer_ = mainLoop_.after(remapDelay, [this] { remap(); });
}

void X11GlobalShortcuts::remap() {
    const X11KeyboardMap changed =
        X11KeyboardMap::read(connection_, mappingTimeout).value_or(keyboardMap_);
    if (changed == keyboardMap_) {
        return; // the grabs stand as they are
    }
    // Released with the bits they were made with, made again with the new ones.
    ungrabAll();
    keyboardMap_ = changed;
    reported_.clear(); // a key or modifier that was missing may be there now
    grabAll();
}

bool X11GlobalShortcuts::isRepeat(xcb_keycode_t keycode) {
    const auto now = std::chrono::steady_clock::now();
    auto [entry, inserted] = keysDown_.try_emplace(keycode, now);
    const bool repeat = !inserted && now - entry->second < repeatWindow;
    entry->second = now;
    return repeat;
}

void X11GlobalShortcuts::onGrabError(const Shortcut& shortcut, std::uint8_t errorCode) {
    // The variants that did succeed are released: a combination is ours entirely or not at all.
    ungrab(shortcut);
    std::erase_if(pendingGrabs_, [&](const auto& entry) { return entry.second == shortcut; });
    if (errorCode != badAccess) {
        reportOnce(shortcut, "cannot be grabbed (" + errorName(errorCode) + ")");
        return;
    }
    refuse(shortcut);
    reportOnce(shortcut, "is taken by another program; Panemark keeps trying to get it");
}

void X11GlobalShortcuts::refuse(const Shortcut& shortcut) {
    refused_.insert(keyOf(shortcut));
    if (!retryTimer_) {
        retryTimer_ = mainLoop_.every(retryInterval, [this] { retryRefused(); });
    }
}

void X11GlobalShortcuts::retryRefused() {
    const auto refused = std::exchange(refused_, {});
    refusedLastRound_ = refused;
    for (const ShortcutBinding& binding : bindings()) {
        if (refused.count(keyOf(binding.shortcut)) != 0) {
            grab(binding.shortcut);
        }
    }
    connection_.flush();
    if (refused.empty()) {
        retryTimer_.cancel();
    }
}

void X11GlobalShortcuts::selectKeyboardEvents() {
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
        // A client of XKB hears of a changed keyboard mapping through XKB's own events, not
        // the core MappingNotify.
        const std::uint16_t events =
            XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
        const std::uint16_t parts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                    XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                    XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events(connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, parts, parts,
                              nullptr);
        if (const xcb_query_extension_reply_t* xkb =
                xcb_get_extension_data(connection, &xcb_xkb_id)) {
            xkbEventBase_ = xkb->first_event;
        }
        events_.connection().flush();
    }
    if (!autoRepeatDetectable_) {
        Log::write("the X server cannot report held keys as repeats; a held shortcut may run more "
                   "than once");
    }
}

} // namespace panemark
