#pragma once

#include "platform/Beeper.h"
#include "platform/DesktopAccess.h"
#include "platform/GlobalShortcuts.h"
#include "platform/KeyboardDevices.h"
#include "platform/LoginItem.h"
#include "platform/PanelShade.h"
#include "platform/ScreenService.h"
#include "platform/WindowService.h"
#include "runtime/Cancellable.h"

#include <cstdint>
#include <functional>
#include <string>

namespace panemark {

// Every service of the desktop Panemark runs on, from one backend. The program and the command
// line see only this; which backend it is, PlatformFactory decides when the program starts.
class Platform {
public:
    virtual ~Platform() = default;

    virtual WindowService& windows() = 0;
    virtual ScreenService& screens() = 0;
    virtual Beeper& beeper() = 0;
    virtual GlobalShortcuts& shortcuts() = 0;
    virtual LoginItem& loginItem() = 0;
    virtual KeyboardDevices& keyboardDevices() = 0;

    // The display this is ("ws:0" on X11), as people name it.
    virtual std::string displayName() const = 0;
    // The backend and what it talks to, as `panemark status` shows it: "x11 (openbox)".
    virtual std::string desktopName() = 0;
    // Whether the desktop lets Panemark place windows and hear its shortcuts, and if not, why
    // and what to do about it.
    virtual DesktopAccess access() = 0;
    // Whether something manages the windows; placing windows needs it.
    virtual bool hasWindowManager() = 0;
    // Whether a compositing manager blends the windows (so translucency and fades show).
    virtual bool hasCompositor() = 0;
    // Whether the panel under a tray icon at this area of the screen (in pixels) is dark or
    // light.
    virtual PanelShade panelShade(const Rect& iconArea) = 0;
    // Whether a window of ours, by its native id, still exists: another program may destroy it
    // behind the toolkit's back, which then keeps showing a window that is gone.
    virtual bool windowExists(std::uint64_t nativeId) = 0;
    // Called once if the desktop goes away under the program (the session ended).
    [[nodiscard]] virtual Subscription onConnectionLost(std::function<void()> listener) = 0;
    // Called when the desktop's own button for Panemark (GNOME's top bar) asks for the palette;
    // the desktop puts it beside the button. Desktops without one never call it.
    [[nodiscard]] virtual Subscription onPaletteRequested(std::function<void()>) { return {}; }
    // Delivers whatever news arrived while the program was starting up.
    virtual void deliverPendingEvents() = 0;
};

} // namespace panemark
