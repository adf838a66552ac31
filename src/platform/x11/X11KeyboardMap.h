#pragma once

#include "platform/x11/X11Connection.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace panemark {

// Which X modifier bits carry Alt, Super, Num Lock and Scroll Lock on this server, and which
// keycodes have keys, read from the server's mappings rather than assumed: Super is often on
// Mod4 but need not be, and Num Lock may be anywhere or nowhere.
class X11KeyboardMap {
public:
    using Keysym = std::uint32_t;

    // The server's mappings as they come: the keycodes of each of the eight modifiers (Shift,
    // Lock, Control, Mod1 … Mod5), and the keysyms of every keycode from min to max.
    struct Mappings {
        std::array<std::vector<xcb_keycode_t>, 8> modifierKeys;
        xcb_keycode_t minKeycode = 8;
        std::map<xcb_keycode_t, std::vector<Keysym>> keysyms;
    };

    // The common layout (Alt on Mod1, Num Lock on Mod2, Super on Mod4), for when the server
    // cannot be asked.
    X11KeyboardMap();
    explicit X11KeyboardMap(const Mappings& mappings);
    // None when the server does not answer within the timeout.
    static std::optional<X11KeyboardMap> read(const X11Connection& connection, double timeout);

    // The X mask of a shortcut's modifiers; none when one of them has no bit on this keyboard.
    std::optional<std::uint16_t> maskFor(std::uint32_t shortcutModifiers) const;
    // Every combination of the lock bits present (Caps, Num, Scroll Lock), none first: a grab
    // must be made in each, or a lit Num Lock stops the shortcut.
    std::vector<std::uint16_t> lockVariants() const;
    // The key event flags of an X key state; lock bits and unknown bits are left out.
    std::uint32_t flagsFor(std::uint16_t state) const;
    // Whether the keycode has a key (any keysym) on this keyboard.
    bool hasKey(xcb_keycode_t keycode) const;
    // The keys that type this keysym, at any level or group; none when the server was not
    // asked.
    std::vector<xcb_keycode_t> keycodesFor(Keysym keysym) const;

    std::uint16_t altMask() const { return alt_; }
    std::uint16_t superMask() const { return super_; }
    std::uint16_t numLockMask() const { return numLock_; }
    std::uint16_t scrollLockMask() const { return scrollLock_; }

    bool operator==(const X11KeyboardMap&) const = default;

private:
    std::uint16_t alt_ = 0;
    std::uint16_t super_ = 0;
    std::uint16_t numLock_ = 0;
    std::uint16_t scrollLock_ = 0;
    std::optional<std::vector<bool>> keys_; // by keycode; none: every keycode counts as a key
    std::map<Keysym, std::vector<xcb_keycode_t>> keycodesOfKeysym_;
};

} // namespace panemark
