#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "platform/Platform.h"
#include "platform/WaylandSession.h"
#include "platform/i3ipc/I3IpcConnection.h"
#include "platform/i3ipc/I3IpcScreens.h"
#include "platform/i3ipc/I3IpcWindows.h"
#include "platform/sway/SwayPalettePlacer.h"
#include "platform/sway/SwayShortcuts.h"

#include <memory>

namespace panemark {

// sway, through its IPC socket ($SWAYSOCK): windows and outputs from its tree, placement and
// global shortcuts by its commands. Panemark's own windows are an ordinary Wayland client's.
class SwayPlatform : public Platform, public DesktopLink {
public:
    static Result<std::unique_ptr<SwayPlatform>> open(Scheduler& mainLoop,
                                                      const std::string& socketPath);
    ~SwayPlatform() override;

    WindowService& windows() override { return *windows_; }
    ScreenService& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return *shortcuts_; }
    std::string displayName() const override { return WaylandSession::displayName(); }
    std::string desktopName() override { return ipc_.desktopName; }
    // The IPC socket closes when sway stops.
    DesktopLink* desktopLink() override { return this; }
    Subscription onConnectionLost(std::function<void()> listener) override;

private:
    SwayPlatform() = default;
    void keepOwnWindowsFromTheFocus();
    void followConfigReloads();

    I3IpcConnection ipc_;
    std::unique_ptr<I3IpcWindows> windows_;
    std::unique_ptr<I3IpcScreens> screens_;
    std::unique_ptr<SwayShortcuts> shortcuts_;
    std::unique_ptr<SwayPalettePlacer> palettePlacer_;
    Subscription configReloads_;
};

} // namespace panemark
