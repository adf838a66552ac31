#pragma once

#include "base/Cancellable.h"
#include "base/Result.h"
#include "platform/AccessGate.h"
#include "platform/Beeper.h"
#include "platform/DesktopLink.h"
#include "platform/DisplayFacts.h"
#include "platform/GlobalShortcuts.h"
#include "platform/KeyboardDevices.h"
#include "platform/LoginItem.h"
#include "platform/PaletteButton.h"
#include "platform/ScreenService.h"
#include "platform/WindowService.h"

#include <functional>
#include <memory>
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
    // The login item and the keyboards are the same on every Linux desktop: they are built
    // once, above the backends, by whoever opens one (PlatformFactory), and handed in.
    LoginItem& loginItem() { return *loginItem_; }
    KeyboardDevices& keyboardDevices() { return *keyboardDevices_; }
    void useSystemServices(std::unique_ptr<LoginItem> loginItem,
                           std::unique_ptr<KeyboardDevices> keyboardDevices) {
        ownedLoginItem_ = std::move(loginItem);
        ownedKeyboardDevices_ = std::move(keyboardDevices);
        useSystemServices(*ownedLoginItem_, *ownedKeyboardDevices_);
    }

    // The display this is ("ws:0" on X11), as people name it.
    virtual std::string displayName() const = 0;
    // The backend and what it talks to, as `panemark status` shows it: "x11 (openbox)".
    virtual std::string desktopName() = 0;
    // Runs the main loop until the desktop's side of Panemark is ready for a command (a
    // compositor's helper has started), for at most `seconds`: a one-shot command line waits
    // here. An error says what it waited for, and how long.
    virtual Result<bool> waitUntilReady(double /*seconds*/) { return true; }

    // Capabilities: a backend hands out those its desktop has; the rest are none.
    // The desktop's bell (Wayland gives its clients none).
    virtual Beeper* bell() { return nullptr; }
    // What a display shared with other programs tells of itself (on Wayland the compositor
    // owns the display).
    virtual DisplayFacts* displayFacts() { return nullptr; }
    // A connection of Panemark's own to the desktop, which can end under it (Qt's own Wayland
    // connection ends the program when the compositor stops).
    virtual DesktopLink* desktopLink() { return nullptr; }
    // The desktop's own button for Panemark.
    virtual PaletteButton* paletteButton() { return nullptr; }
    // Whether the desktop lets Panemark in, where it can refuse (a compositor that must run a
    // helper of ours first).
    virtual AccessGate* accessGate() { return nullptr; }

protected:
    // For a platform that brings its own (the simulated desktop's stand-ins).
    void useSystemServices(LoginItem& loginItem, KeyboardDevices& keyboardDevices) {
        loginItem_ = &loginItem;
        keyboardDevices_ = &keyboardDevices;
    }

private:
    std::unique_ptr<LoginItem> ownedLoginItem_;
    std::unique_ptr<KeyboardDevices> ownedKeyboardDevices_;
    LoginItem* loginItem_ = nullptr;
    KeyboardDevices* keyboardDevices_ = nullptr;
};

} // namespace panemark
