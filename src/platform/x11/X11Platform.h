#pragma once

#include "platform/x11/X11Bell.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"
#include "runtime/Result.h"
#include "runtime/Scheduler.h"

#include <memory>

namespace panemark {

// Everything the application uses of an X display, on two connections: one for requests from
// any thread, one for events read on the main thread. Needs a running Qt event loop.
class X11Platform {
public:
    static Result<std::unique_ptr<X11Platform>> open(Scheduler& mainLoop);

    X11Windows& windows() { return *windows_; }
    X11Screens& screens() { return *screens_; }
    X11Bell& bell() { return *bell_; }
    X11KeyTapProvider& keyboard() { return *keyboard_; }
    X11EventSource& events() { return *events_; }

private:
    X11Platform() = default;

    std::unique_ptr<X11Connection> requests_;
    std::unique_ptr<X11Connection> eventConnection_;
    std::unique_ptr<X11EventSource> events_;
    std::unique_ptr<X11Screens> screens_;
    std::unique_ptr<X11Windows> windows_;
    std::unique_ptr<X11Bell> bell_;
    std::unique_ptr<X11KeyTapProvider> keyboard_;
};

} // namespace panemark
