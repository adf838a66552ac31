#pragma once

#include "base/Signal.h"
#include "platform/x11/X11Connection.h"

#include <QSocketNotifier>
#include <memory>

namespace panemark {

// Delivers the events of one connection on the Qt event loop of the thread that created it.
// That connection should serve only this thread: replies read on another thread would leave
// events queued inside xcb where the socket notifier cannot see them.
class X11EventSource {
public:
    explicit X11EventSource(X11Connection& connection);

    X11Connection& connection() { return connection_; }
    [[nodiscard]] Subscription subscribe(std::function<void(const xcb_generic_event_t&)> listener);
    // Called once if the connection to the X server breaks (the session ended, the server died).
    [[nodiscard]] Subscription onConnectionLost(std::function<void()> listener);

    // Dispatches every event that has arrived; also called by the socket notifier.
    void drain();

    // Adds to the events this connection hears from the root window (masks of several
    // listeners are combined, never replaced).
    void listenOnRoot(std::uint32_t eventMask);
    // Events of another client's window (only this source selects on it). Any thread.
    void listenOn(xcb_window_t window, std::uint32_t eventMask);

private:
    X11Connection& connection_;
    Signal<const xcb_generic_event_t*> events_;
    Signal<> connectionLost_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::uint32_t rootEventMask_ = 0;
};

} // namespace panemark
