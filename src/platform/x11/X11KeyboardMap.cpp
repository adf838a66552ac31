#include "platform/x11/X11KeyboardMap.h"

#include "base/Deadline.h"
#include "model/KeyEvent.h"
#include "model/Shortcut.h"

#include <algorithm>
#include <initializer_list>

namespace panemark {

namespace {

constexpr X11KeyboardMap::Keysym altL = 0xFFE9, altR = 0xFFEA, metaL = 0xFFE7, metaR = 0xFFE8;
constexpr X11KeyboardMap::Keysym superL = 0xFFEB, superR = 0xFFEC;
constexpr X11KeyboardMap::Keysym numLock = 0xFF7F, scrollLock = 0xFF14;
constexpr std::size_t firstModN = 3; // Shift, Lock, Control come first

// The first of Mod1 … Mod5 that a key with one of these keysyms sets; 0 when none does.
std::uint16_t bitOf(const X11KeyboardMap::Mappings& mappings,
                    std::initializer_list<X11KeyboardMap::Keysym> wanted) {
    for (std::size_t modifier = firstModN; modifier < 8; ++modifier) {
        for (const xcb_keycode_t keycode : mappings.modifierKeys[modifier]) {
            const auto found = mappings.keysyms.find(keycode);
            if (found == mappings.keysyms.end()) {
                continue;
            }
            const bool matches = std::any_of(
                found->second.begin(), found->second.end(), [&](X11KeyboardMap::Keysym keysym) {
                    return std::find(wanted.begin(), wanted.end(), keysym) != wanted.end();
                });
            if (matches) {
                return static_cast<std::uint16_t>(1u << modifier);
            }
        }
    }
    return 0;
}

} // namespace

X11KeyboardMap::X11KeyboardMap()
    : alt_(XCB_MOD_MASK_1), super_(XCB_MOD_MASK_4), numLock_(XCB_MOD_MASK_2) {}

X11KeyboardMap::X11KeyboardMap(const Mappings& mappings)
    : alt_(bitOf(mappings, {altL, altR})), super_(bitOf(mappings, {superL, superR})),
      numLock_(bitOf(mappings, {numLock})), scrollLock_(bitOf(mappings, {scrollLock})) {
    if (alt_ == 0) {
        alt_ = bitOf(mappings, {metaL, metaR}); // keyboards that only have Meta
    }
    std::vector<bool> keys(256, false);
    for (const auto& [keycode, keysyms] : mappings.keysyms) {
        keys[keycode] = std::any_of(keysyms.begin(), keysyms.end(), [](Keysym k) { return k; });
        for (const Keysym keysym : keysyms) {
            std::vector<xcb_keycode_t>& keycodes = keycodesOfKeysym_[keysym];
            if (keysym != 0 &&
                std::find(keycodes.begin(), keycodes.end(), keycode) == keycodes.end()) {
                keycodes.push_back(keycode);
            }
        }
    }
    keycodesOfKeysym_.erase(0);
    keys_ = std::move(keys);
}

std::vector<xcb_keycode_t> X11KeyboardMap::keycodesFor(Keysym keysym) const {
    const auto found = keycodesOfKeysym_.find(keysym);
    return found == keycodesOfKeysym_.end() ? std::vector<xcb_keycode_t>{} : found->second;
}

std::optional<X11KeyboardMap> X11KeyboardMap::read(const X11Connection& connection,
                                                   double timeout) {
    const Deadline deadline(timeout);
    xcb_connection_t* c = connection.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto modifierCookie = xcb_get_modifier_mapping(c);
    const auto keyboardCookie = xcb_get_keyboard_mapping(
        c, setup->min_keycode,
        static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1));
    auto modifiers = connection.await<xcb_get_modifier_mapping_reply_t>(modifierCookie.sequence,
                                                                        deadline.remaining());
    auto keyboard = connection.await<xcb_get_keyboard_mapping_reply_t>(keyboardCookie.sequence,
                                                                       deadline.remaining());
    if (!modifiers || !keyboard) {
        return std::nullopt;
    }
    Mappings mappings;
    mappings.minKeycode = setup->min_keycode;
    const xcb_keycode_t* modifierKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = modifierKeys[modifier * perModifier + i];
            if (keycode != 0) {
                mappings.modifierKeys[modifier].push_back(keycode);
            }
        }
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKeycode = keyboard->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
    for (int index = 0; perKeycode > 0 && index + perKeycode <= total; index += perKeycode) {
        const int keycode = setup->min_keycode + index / perKeycode;
        if (keycode > 255) {
            break;
        }
        mappings.keysyms[static_cast<xcb_keycode_t>(keycode)] =
            std::vector<Keysym>(keysyms + index, keysyms + index + perKeycode);
    }
    return X11KeyboardMap(mappings);
}

std::optional<std::uint16_t> X11KeyboardMap::maskFor(std::uint32_t shortcutModifiers) const {
    std::uint16_t mask = 0;
    const std::pair<std::uint32_t, std::uint16_t> bits[] = {
        {Shortcut::controlMask, XCB_MOD_MASK_CONTROL},
        {Shortcut::shiftMask, XCB_MOD_MASK_SHIFT},
        {Shortcut::optionMask, alt_},
        {Shortcut::commandMask, super_},
    };
    for (const auto& [modifier, bit] : bits) {
        if (shortcutModifiers & modifier) {
            if (bit == 0) {
                return std::nullopt;
            }
            mask |= bit;
        }
    }
    return mask;
}

std::vector<std::uint16_t> X11KeyboardMap::lockVariants() const {
    std::vector<std::uint16_t> locks{XCB_MOD_MASK_LOCK};
    for (const std::uint16_t lock : {numLock_, scrollLock_}) {
        // A lock on the same bit as a modifier a shortcut uses would make a variant that is
        // that modifier; leave such a lock out.
        if (lock != 0 && lock != alt_ && lock != super_ &&
            std::find(locks.begin(), locks.end(), lock) == locks.end()) {
            locks.push_back(lock);
        }
    }
    std::vector<std::uint16_t> variants;
    for (std::uint32_t subset = 0; subset < (1u << locks.size()); ++subset) {
        std::uint16_t variant = 0;
        for (std::size_t i = 0; i < locks.size(); ++i) {
            if (subset & (1u << i)) {
                variant |= locks[i];
            }
        }
        variants.push_back(variant);
    }
    return variants;
}

std::uint32_t X11KeyboardMap::flagsFor(std::uint16_t state) const {
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
    if (alt_ != 0 && (state & alt_)) {
        flags |= KeyEvent::option;
    }
    if (super_ != 0 && (state & super_)) {
        flags |= KeyEvent::command;
    }
    return flags;
}

bool X11KeyboardMap::hasKey(xcb_keycode_t keycode) const {
    return !keys_ || (*keys_)[keycode];
}

} // namespace panemark
