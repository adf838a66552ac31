#pragma once

#include "base/Cancellable.h"
#include "platform/DesktopAccess.h"

#include <functional>

namespace panemark {

// A desktop that can refuse Panemark: one where something of ours must run inside the
// compositor (KWin's script, GNOME Shell's extension) before a window can be placed or a
// shortcut heard. Other desktops have no such gate.
class AccessGate {
public:
    virtual ~AccessGate() = default;

    // Whether the desktop lets Panemark in now, and if not, why and what to do about it.
    virtual DesktopAccess access() = 0;
    // Called on the main thread whenever access() may answer otherwise: the helper went away or
    // came back.
    [[nodiscard]] virtual Subscription onAccessChanged(std::function<void()> listener) = 0;
};

} // namespace panemark
