#include "platform/x11/X11Platform.h"

namespace panemark {

Result<std::unique_ptr<X11Platform>> X11Platform::open(Scheduler& mainLoop) {
    std::string whyNot;
    auto platform = std::unique_ptr<X11Platform>(new X11Platform());
    platform->requests_ = X11Connection::open(nullptr, &whyNot);
    if (platform->requests_) {
        platform->eventConnection_ = X11Connection::open(nullptr, &whyNot);
    }
    if (!platform->requests_ || !platform->eventConnection_) {
        return Error{whyNot};
    }
    platform->events_ = std::make_unique<X11EventSource>(*platform->eventConnection_);
    platform->screens_ = std::make_unique<X11Screens>(*platform->requests_);
    platform->windows_ = std::make_unique<X11Windows>(*platform->requests_, *platform->screens_);
    platform->bell_ = std::make_unique<X11Bell>(*platform->requests_);
    platform->keyboard_ = std::make_unique<X11KeyTapProvider>(*platform->events_, mainLoop);
    platform->screens_->watch(*platform->events_);
    platform->windows_->watch(*platform->events_);
    return platform;
}

} // namespace panemark
