#include "platform/x11/X11EventSource.h"

#include "base/Guard.h"
#include "base/Log.h"

namespace panemark {

X11EventSource::X11EventSource(X11Connection& connection)
    : connection_(connection),
      notifier_(std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection.get()),
                                                  QSocketNotifier::Read)) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { drain(); });
}

Subscription X11EventSource::subscribe(std::function<void(const xcb_generic_event_t&)> listener) {
    return events_.connect(
        [listener = std::move(listener)](const xcb_generic_event_t* event) { listener(*event); });
}

Subscription X11EventSource::onConnectionLost(std::function<void()> listener) {
    return connectionLost_.connect([listener = std::move(listener)] { listener(); });
}

void X11EventSource::listenOnRoot(std::uint32_t eventMask) {
    rootEventMask_ |= eventMask;
    xcb_change_window_attributes(connection_.get(), connection_.root(), XCB_CW_EVENT_MASK,
                                 &rootEventMask_);
    connection_.flush();
}

void X11EventSource::listenOn(xcb_window_t window, std::uint32_t eventMask) {
    xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &eventMask);
    connection_.flush();
}

void X11EventSource::drain() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_.get())) {
        Guard::run("handling an X event", [&] { events_.emit(event); });
        std::free(event);
    }
    if (connection_.hasFailed() && notifier_->isEnabled()) {
        notifier_->setEnabled(false);
        Log::write("lost the connection to the X server");
        connectionLost_.emit();
    }
}

} // namespace panemark
