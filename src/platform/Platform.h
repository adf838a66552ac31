#pragma once

#include "platform/Beeper.h"
#include "platform/DesktopAccess.h"
#include "platform/DesktopLink.h"
#include "platform/DisplayFacts.h"
#include "platform/GlobalShortcuts.h"
#include "platform/KeyboardDevices.h"
#include "platform/LoginItem.h"
#include "platform/PaletteButton.h"
#include "platform/ScreenService.h"
#include "platform/WindowService.h"

#include <string>

namespace panemark {

// Every service of the desktop Panemark runs on, from one backend. The program and the command
// line see only this; which backend it is, PlatformFactory decides when the program starts.
// What every desktop does is an operation here; what only some do is a capability the backend
// hands out or not, and callers ask for it.
class Platform {
public:
    virtual ~Platform() = default;

    virtual WindowService& windows() = 0;
    virtual ScreenService& screens() = 0;
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

    // Capabilities; none where the desktop lacks them.
    // The desktop's bell (Wayland gives its clients none).
    virtual Beeper* bell() = 0;
    // What a display shared with other programs tells of itself.
    virtual DisplayFacts* displayFacts() = 0;
    // A connection of Panemark's own to the desktop, which can end under it.
    virtual DesktopLink* desktopLink() = 0;
    // The desktop's own button for Panemark.
    virtual PaletteButton* paletteButton() = 0;
};

} // namespace panemark
