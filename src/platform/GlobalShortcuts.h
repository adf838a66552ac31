#pragma once

#include "model/Shortcut.h"
#include "runtime/Cancellable.h"

#include <functional>
#include <string>
#include <vector>

namespace panemark {

// One combination the desktop is asked to deliver, and the name its presses are reported by.
struct ShortcutBinding {
    std::string name;
    Shortcut shortcut;
    // What a desktop that lists its shortcuts shows for it (the command's name). Not part of
    // the binding's identity: renaming a command is no reason to take its keys again.
    std::string label;

    bool operator==(const ShortcutBinding& other) const {
        return name == other.name && shortcut == other.shortcut;
    }
};

// The desktop's global shortcuts: Panemark hands it a set of named bindings and hears the name
// of each one pressed. How the desktop catches the keys (grabs on X11, a compositor's own
// bindings elsewhere) stays behind this. Main thread only.
class GlobalShortcuts {
public:
    using Listener = std::function<void(const std::string& name)>;

    virtual ~GlobalShortcuts() = default;

    // Replaces the set. A combination bound before and after stays held throughout; only what
    // changed is let go or taken. A combination that cannot be had is reported by the backend
    // by name, and the rest work.
    virtual void setBindings(const std::vector<ShortcutBinding>& bindings) = 0;
    // The same bindings under new labels (a command was renamed): a desktop that lists its
    // shortcuts shows the new names. No combination is let go or taken.
    virtual void relabel(const std::vector<ShortcutBinding>&) {}
    // Called on the main thread once per press of a bound combination; a held key does not
    // repeat it.
    [[nodiscard]] virtual Subscription onActivated(Listener listener) = 0;
    // Whether another program holds this combination, so that it cannot fire here.
    virtual bool isTakenElsewhere(const Shortcut&) const { return false; }
    // Which keyboard layout the combinations were handed over for, in words, for a desktop
    // that matches shortcuts by what their keys type; where the desktop takes key codes, that
    // the keys are bound by position, whatever the layout.
    virtual std::string keyboardLayout() const { return "any (bound by key position)"; }
};

} // namespace panemark
