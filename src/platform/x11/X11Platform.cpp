#include "platform/x11/X11Platform.h"

#include "platform/x11/X11TrayPanel.h"

#include <cstdlib>

namespace panemark {

namespace {

constexpr double windowManagerProbeTimeout = 0.25;
constexpr double panelProbeTimeout = 0.25;

} // namespace

Result<std::unique_ptr<X11Platform>> X11Platform::open(Scheduler& mainLoop) {
    std::string whyNot;
    auto platform = std::unique_ptr<X11Platform>(new X11Platform());
    platform->requests_ = X11Connection::open(nullptr, &whyNot, connectTimeout);
    if (platform->requests_) {
        platform->eventConnection_ = X11Connection::open(nullptr, &whyNot, connectTimeout);
    }
    if (!platform->requests_ || !platform->eventConnection_) {
        return Error{whyNot};
    }
    platform->events_ = std::make_unique<X11EventSource>(*platform->eventConnection_);
    platform->screens_ = std::make_unique<X11Screens>(*platform->requests_);
    platform->windows_ = std::make_unique<X11Windows>(*platform->requests_, *platform->screens_);
    platform->bell_ = std::make_unique<X11Bell>(*platform->requests_);
    platform->shortcuts_ = std::make_unique<X11GlobalShortcuts>(*platform->events_, mainLoop);
    platform->screens_->watch(*platform->events_);
    platform->windows_->watch(*platform->events_);
    // Events the connection read while answering the requests above wait in its queue, where
    // the socket's notifier never looks: they are handed out once the loop runs, after
    // whoever opened the platform has subscribed.
    platform->startupEvents_ =
        mainLoop.post([events = platform->events_.get()] { events->drain(); });
    return platform;
}

std::string X11Platform::displayName() const {
    const char* display = std::getenv("DISPLAY");
    return display ? display : "";
}

bool X11Platform::hasWindowManager() {
    return requests_->hasWindowManager(windowManagerProbeTimeout);
}

bool X11Platform::hasCompositor() {
    return requests_
        ->selectionOwner("_NET_WM_CM_S" + std::to_string(requests_->screenNumber()),
                         panelProbeTimeout)
        .has_value();
}

std::string X11Platform::desktopName() {
    const std::optional<std::string> manager = requests_->windowManagerName(panelProbeTimeout);
    return "x11 (" +
           (manager ? desktopName_.describe(*manager) : std::string("no window manager")) + ")";
}

bool X11Platform::windowExists(std::uint64_t nativeId) {
    return requests_->windowExists(static_cast<xcb_window_t>(nativeId), panelProbeTimeout);
}

PanelShade X11Platform::panelShade(const Rect& iconArea) {
    return X11TrayPanel::shade(*requests_, iconArea, panelProbeTimeout);
}

Subscription X11Platform::onConnectionLost(std::function<void()> listener) {
    return events_->onConnectionLost(std::move(listener));
}

} // namespace panemark
