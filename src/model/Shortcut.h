#pragma once

#include "model/KeyEvent.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace panemark {

// A global hot key: one physical key and the modifier keys held with it.
struct Shortcut {
    // Modifier bits, in the classic event-manager numbering that stored files use.
    static constexpr std::uint32_t commandMask = 0x100;
    static constexpr std::uint32_t shiftMask = 0x200;
    static constexpr std::uint32_t optionMask = 0x800;
    static constexpr std::uint32_t controlMask = 0x1000;

    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    // The shortcut a key-down event would fire, or none: a bare key or shift plus a key is not a
    // shortcut, and lock, function and keypad flags never become modifier bits.
    static std::optional<Shortcut> fromKeyEvent(const KeyEvent& event);

    // Modifier glyphs in the fixed order ⌃⌥⇧⌘, then the key name; other bits are not shown.
    std::string displayString() const;

    // "A", "←", "F5", …; a key without a name is "key" and its code, as in "key130".
    static std::string keyName(std::uint32_t keyCode);

    bool operator==(const Shortcut&) const = default;
};

} // namespace panemark

template <> struct std::hash<panemark::Shortcut> {
    std::size_t operator()(const panemark::Shortcut& shortcut) const noexcept {
        // Key code first, then modifiers: a shortcut differing only in modifiers is another key.
        std::uint64_t seed = std::hash<std::uint32_t>{}(shortcut.keyCode);
        seed ^= std::hash<std::uint32_t>{}(shortcut.modifiers) + 0x9e3779b97f4a7c15ULL +
                (seed << 6) + (seed >> 2);
        return static_cast<std::size_t>(seed);
    }
};
