#pragma once

#include "platform/WindowService.h"
#include "platform/i3ipc/I3IpcWindows.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Windows.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <utility>

namespace panemark {

// i3's windows: read through X11, where the focused window is followed by events and a frame
// is one round trip to the X server (the frame i3 draws around a window is the window's parent),
// and placed through i3's IPC by X window id, since i3 ignores a client's own requests to move
// a tiled window. Asking i3 for its tree on every key press would cost more than all of that.
class I3Windows : public WindowService {
public:
    I3Windows(X11Connection& connection, X11Windows& x11, I3IpcWindows& ipc);

    std::optional<WindowRef> focusedWindow(double timeout) override;
    std::optional<Rect> readFrame(WindowRef window, double timeout) override;
    void writeFrame(WindowRef window, const Rect& frame, double timeout) override;
    // From the window's own size hints, as on any X11 desktop: i3 keeps to them when floating.
    std::optional<bool> isSizeSettable(WindowRef window, double timeout) override {
        return x11_.isSizeSettable(window, timeout);
    }
    std::optional<std::int64_t> processId(WindowRef window, double timeout) override;
    std::int64_t ownProcessId() override { return x11_.ownProcessId(); }

private:
    // Whether the window was full screen when the command read its frame: a placement moments
    // later needs no look of its own.
    bool wasFullscreen(WindowRef window, double timeout);

    X11Connection& connection_;
    X11Windows& x11_;
    I3IpcWindows& ipc_;
    std::mutex mutex_;
    std::optional<std::pair<WindowRef, X11Connection::ParentFrame>> lastRead_;
    std::chrono::steady_clock::time_point readAt_;
};

} // namespace panemark
