#include "platform/i3/I3Windows.h"

namespace panemark {

I3Windows::I3Windows(X11Connection& connection, X11Windows& x11, I3IpcWindows& ipc)
    : connection_(connection), x11_(x11), ipc_(ipc) {}

std::optional<WindowRef> I3Windows::focusedWindow(double timeout) {
    return x11_.focusedWindow(timeout);
}

std::optional<Rect> I3Windows::readFrame(WindowRef window, double timeout) {
    const std::optional<X11Connection::ParentFrame> framed =
        connection_.parentFrame(static_cast<xcb_window_t>(window.id), timeout);
    if (!framed) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    lastRead_ = std::make_pair(window, *framed);
    readAt_ = std::chrono::steady_clock::now();
    return framed->frame;
}

bool I3Windows::wasFullscreen(WindowRef window, double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (lastRead_ && lastRead_->first == window &&
            std::chrono::steady_clock::now() - readAt_ < std::chrono::milliseconds(500)) {
            return lastRead_->second.fullscreen;
        }
    }
    const std::optional<X11Connection::ParentFrame> framed =
        connection_.parentFrame(static_cast<xcb_window_t>(window.id), timeout);
    return framed && framed->fullscreen;
}

std::optional<std::int64_t> I3Windows::processId(WindowRef window, double timeout) {
    return x11_.processId(window, timeout);
}

void I3Windows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    ipc_.place(window, frame, wasFullscreen(window, timeout), timeout);
}

} // namespace panemark
