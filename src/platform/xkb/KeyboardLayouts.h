#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;

namespace panemark {

// A keyboard map as a desktop compiled it (every layout the user chose, in their order) and
// which of its layouts is active: what a physical key types there with given modifiers held.
// Desktops that match shortcuts by what a key types, not by where it is, are handed the
// symbols this gives. Not thread-safe.
class KeyboardLayouts {
public:
    // Modifiers held, as a shortcut stores them.
    struct Held {
        bool shift = false;
        bool control = false;
        bool alt = false;
        bool logo = false;
    };

    // What a key types with modifiers held; `symbol` is an X key symbol, 0 for none.
    // `shiftConsumed` is whether Shift chose that symbol (it does for "!" on the "1" key, not
    // for the "A" of "a"), `otherConsumed` whether another modifier did.
    struct Typed {
        std::uint32_t symbol = 0;
        bool shiftConsumed = false;
        bool otherConsumed = false;
    };

    // Null for text that is not a keymap.
    static std::unique_ptr<KeyboardLayouts> fromKeymapText(const std::string& text);
    // Compiles a keymap from rule names ("fr", "us,ru"); null when the system has no such
    // layout. For tests and for desktops that name their layouts only.
    static std::unique_ptr<KeyboardLayouts> fromNames(const std::string& layouts,
                                                      const std::string& variants = "");
    ~KeyboardLayouts();
    KeyboardLayouts(const KeyboardLayouts&) = delete;
    KeyboardLayouts& operator=(const KeyboardLayouts&) = delete;

    std::uint32_t layoutCount() const;
    std::uint32_t active() const { return active_; }
    // Out-of-range indexes are ignored.
    void setActive(std::uint32_t layout);
    // The layout's own name in the keymap ("French"), or empty.
    std::string layoutName(std::uint32_t layout) const;

    // On the active layout; `evdev` is the key's Linux code.
    Typed typed(std::uint32_t evdev, Held held) const { return typedOn(active_, evdev, held); }
    Typed typedOn(std::uint32_t layout, std::uint32_t evdev, Held held) const;
    // The first other layout, in the user's order, where the key types a Latin-1 symbol with
    // those modifiers: what Qt-based desktops read a Control shortcut as when the active
    // layout types no Latin letter there (Ctrl+C on a Russian layout is still Ctrl+C).
    std::optional<std::uint32_t> latinFallback(std::uint32_t evdev, Held held) const;

    static bool isLatin1(std::uint32_t symbol) { return symbol >= 0x20 && symbol <= 0xff; }
    // The symbol of the same character in upper case ("a" gives "A"; "1" stays "1").
    static std::uint32_t upperCase(std::uint32_t symbol);
    // The Unicode character a symbol types, 0 for none (dead keys, modifiers).
    static char32_t character(std::uint32_t symbol);

private:
    KeyboardLayouts(xkb_context* context, xkb_keymap* keymap);

    xkb_context* context_;
    xkb_keymap* keymap_;
    std::uint32_t active_ = 0;
};

} // namespace panemark
