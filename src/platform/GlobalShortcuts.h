#pragma once

#include "base/Cancellable.h"
#include "platform/ShortcutBinding.h"
#include "platform/ShortcutChanges.h"

#include <functional>
#include <string>
#include <vector>

namespace panemark {

// The desktop's global shortcuts: Panemark hands it a set of named bindings and hears the name
// of each one pressed. How the desktop catches the keys (grabs on X11, a compositor's own
// bindings elsewhere) stays behind this. Main thread only.
class GlobalShortcuts {
public:
    using Listener = std::function<void(const std::string& name)>;

    virtual ~GlobalShortcuts() = default;

    // Replaces the set; the backend hears only what changed (`ShortcutChanges`), and nothing
    // when nothing did. A combination that cannot be had is reported by the backend by name,
    // and the rest work.
    void setBindings(const std::vector<ShortcutBinding>& bindings);
    // The set as last handed over, new labels included.
    const std::vector<ShortcutBinding>& bindings() const { return bindings_; }
    // The binding of this name in the set, if any: a press that crossed a change of the set
    // names one that is gone.
    const ShortcutBinding* bindingNamed(const std::string& name) const;

    // Called on the main thread once per press of a bound combination; a held key does not
    // repeat it.
    [[nodiscard]] virtual Subscription onActivated(Listener listener) = 0;
    // Whether another program holds this combination, so that it cannot fire here.
    virtual bool isTakenElsewhere(const Shortcut&) const { return false; }
    // Which keyboard layout the combinations were handed over for, in words, for a desktop
    // that matches shortcuts by what their keys type; where the desktop takes key codes, that
    // the keys are bound by position, whatever the layout.
    virtual std::string keyboardLayout() const { return "any (bound by key position)"; }

protected:
    // Carries out a change of the set; bindings() is the new set already.
    virtual void apply(const ShortcutChanges& changes) = 0;

private:
    std::vector<ShortcutBinding> bindings_;
};

} // namespace panemark
