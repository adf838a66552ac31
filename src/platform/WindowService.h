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

    // May this process move other applications' windows?
    virtual bool isTrusted() = 0;
    // Asks the user to grant that, where the platform asks at all.
    virtual void promptForTrust() = 0;

    // The focused window of the application in front, or none (the desktop is in front).
    virtual std::optional<WindowRef> focusedWindow(double timeout) = 0;
    virtual std::optional<Rect> readFrame(WindowRef window, double timeout) = 0;

    // Moves the outer frame's top-left corner / resizes the outer frame. The application may
    // clamp or ignore either; a window that is gone costs nothing but the write.
    virtual void writePosition(WindowRef window, double x, double y, double timeout) = 0;
    virtual void writeSize(WindowRef window, double width, double height, double timeout) = 0;

    // Whether the size can be changed at all; none when that cannot be found out.
    virtual std::optional<bool> isSizeSettable(WindowRef window, double timeout) = 0;

    virtual std::optional<std::int64_t> processId(WindowRef window, double timeout) = 0;
    virtual std::int64_t ownProcessId() = 0;
};

} // namespace panemark
