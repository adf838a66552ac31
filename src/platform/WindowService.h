#pragma once

#include "model/Rect.h"
#include "platform/WindowRef.h"

#include <cstdint>
#include <optional>

namespace panemark {

// Reading and writing other applications' windows. Frames are in window space: origin at the
// top-left of the primary screen, y down, the outer frame including decorations. Every call that
// may wait for another program returns within the timeout it is given (seconds), so that each
// caller bounds its own work; calls may be made from any thread.
class WindowService {
public:
    virtual ~WindowService() = default;

    // The focused window of the application in front, or none (the desktop is in front).
    virtual std::optional<WindowRef> focusedWindow(double timeout) = 0;
    virtual std::optional<Rect> readFrame(WindowRef window, double timeout) = 0;

    // Moves and resizes the outer frame in one request (a backend whose protocol cannot may
    // split it). The application may clamp or ignore either part; a window that is gone costs
    // nothing but the write.
    virtual void writeFrame(WindowRef window, const Rect& frame, double timeout) = 0;

    // Whether the size can be changed at all; none when that cannot be found out.
    virtual std::optional<bool> isSizeSettable(WindowRef window, double timeout) = 0;

    virtual std::optional<std::int64_t> processId(WindowRef window, double timeout) = 0;
    virtual std::int64_t ownProcessId() = 0;
};

} // namespace panemark
