#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "base/Signal.h"
#include "platform/Platform.h"
#include "platform/WaylandSession.h"
#include "platform/gnome/GnomeShellHelper.h"
#include "platform/gnome/GnomeShortcuts.h"
#include "platform/helper/HelperScreens.h"
#include "platform/helper/HelperSnapshot.h"
#include "platform/helper/HelperWindows.h"

#include <memory>
#include <optional>

namespace panemark {

// GNOME on Wayland: Panemark's shell extension places windows, grabs the shortcuts and shows
// Panemark's button on the top bar. Without the extension Panemark still runs, and says in its
// settings window and its log what to do.
class GnomePlatform : public Platform, public PaletteButton, public AccessGate {
public:
    static Result<std::unique_ptr<GnomePlatform>> open(Scheduler& mainLoop);

    WindowService& windows() override { return *windows_; }
    ScreenService& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return *shortcuts_; }
    std::string displayName() const override { return WaylandSession::displayName(); }
    std::string desktopName() override;
    AccessGate* accessGate() override { return this; }
    DesktopAccess access() override;
    Subscription onAccessChanged(std::function<void()> listener) override;
    PaletteButton* paletteButton() override { return this; }
    Subscription onPaletteRequested(std::function<void()> listener) override;

private:
    GnomePlatform() = default;

    std::unique_ptr<GnomeShellHelper> helper_;
    std::unique_ptr<HelperSnapshot> snapshot_;
    std::unique_ptr<HelperWindows> windows_;
    std::unique_ptr<HelperScreens> screens_;
    std::unique_ptr<GnomeShortcuts> shortcuts_;
    Subscription screensChanged_;
    Subscription stateChanged_;
    Subscription departed_;
    Subscription arrived_;
    Signal<> accessChanged_;
    // Set when the installed extension did not fit the running shell and was written anew.
    std::optional<DesktopAccess> rewritten_;
};

} // namespace panemark
