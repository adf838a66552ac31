#pragma once

#include "platform/x11/X11KeyboardMap.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// The combinations a desktop's own shortcuts hold, read from its settings as they are now.
// Cinnamon's window manager grabs its keys through XInput 2, where a core grab of the same
// combination by another program still succeeds, and then takes the keys from the desktop:
// Panemark asks Cinnamon's settings instead, and leaves what they hold to the desktop.
// Main thread: the settings follow their changes through the GLib main loop Qt runs.
class X11DesktopBindings {
public:
    // A desktop's binding: its accelerator as the settings write it, and the setting's name.
    struct Binding {
        std::string accelerator; // "<Control><Alt>Left"
        std::string setting;     // "switch-to-workspace-left"
    };
    // An accelerator read: the key's keysym name and the modifiers held with it.
    struct Accelerator {
        std::string keysymName;
        bool control = false, alt = false, super = false, shift = false;
        bool operator==(const Accelerator&) const = default;
    };

    // Cinnamon's, in a Cinnamon session (XDG_CURRENT_DESKTOP) whose settings are installed;
    // none anywhere else.
    static std::unique_ptr<X11DesktopBindings> forThisSession();
    ~X11DesktopBindings();
    X11DesktopBindings(const X11DesktopBindings&) = delete;
    X11DesktopBindings& operator=(const X11DesktopBindings&) = delete;

    // The desktop's name, as reports give it.
    const std::string& desktop() const { return desktop_; }
    // Every binding the settings hold now.
    std::vector<Binding> bindings() const;
    // The setting that holds this grab (keycode and modifier mask) on this keyboard, if any.
    std::optional<std::string> holderOf(std::uint8_t keycode, std::uint16_t mask,
                                        const X11KeyboardMap& keyboard) const;

    // "<Control><Alt><Super>Left", "<Primary><Shift>t", as GTK writes accelerators; none for an
    // empty or disabled one, or one with a modifier Panemark does not bind (Hyper, Meta).
    static std::optional<Accelerator> parse(std::string_view text);
    // The modifier mask an accelerator's modifiers have on this keyboard; none when one of
    // them has no bit here.
    static std::optional<std::uint16_t> maskOf(const Accelerator& accelerator,
                                               const X11KeyboardMap& keyboard);

private:
    struct Source; // one schema's settings, kept open so they follow changes
    explicit X11DesktopBindings(std::string desktop);
    void open(const char* schema, const char* path = nullptr);

    std::string desktop_;
    std::vector<std::unique_ptr<Source>> sources_;
};

} // namespace panemark
