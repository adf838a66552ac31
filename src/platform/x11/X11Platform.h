#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "platform/Platform.h"
#include "platform/x11/X11Bell.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DesktopName.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11GlobalShortcuts.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"

#include <memory>

namespace panemark {

// Everything the application uses of an X display, on two connections: one for requests from
// any thread, one for events read on the main thread. Needs a running Qt event loop.
class X11Platform : public Platform, public DisplayFacts, public DesktopLink {
public:
    // Connecting is bounded: a display that does not answer within this long is an error.
    static constexpr double connectTimeout = 5.0;

    static Result<std::unique_ptr<X11Platform>> open(Scheduler& mainLoop);

    X11Windows& windows() override { return *windows_; }
    X11Screens& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return *shortcuts_; }
    std::string displayName() const override;
    // An X server lets any client place windows and grab keys.
    std::string desktopName() override;

    X11Bell* bell() override { return bell_.get(); }
    DisplayFacts* displayFacts() override { return this; }
    DesktopLink* desktopLink() override { return this; }

    bool hasWindowManager() override;
    bool hasCompositor() override;
    bool windowExists(std::uint64_t nativeId) override;
    PanelShade panelShade(const Rect& iconArea) override;
    Subscription onConnectionLost(std::function<void()> listener) override;

    X11EventSource& events() { return *events_; }
    X11Connection& connection() { return *requests_; }

private:
    X11Platform() = default;

    std::unique_ptr<X11Connection> requests_;
    std::unique_ptr<X11Connection> eventConnection_;
    std::unique_ptr<X11EventSource> events_;
    std::unique_ptr<X11Screens> screens_;
    std::unique_ptr<X11Windows> windows_;
    std::unique_ptr<X11Bell> bell_;
    std::unique_ptr<X11GlobalShortcuts> shortcuts_;
    X11DesktopName desktopName_; // main thread
    TimerHandle startupEvents_;
};

} // namespace panemark
