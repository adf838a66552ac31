#pragma once

#include "model/Rect.h"
#include "platform/WindowRef.h"

#include <cstdint>
#include <optional>

namespace panemark {

// Reading and writing other applications' windows. Frames are in window space: origin at the
// top-left of the primary screen, y down, the outer frame including decorations. Every call
// returns within the messaging timeout set on the window (0.25 s until set otherwise), and may be
// made from any thread.
class WindowService {
public:
    virtual ~WindowService() = default;

    // May this process move other applications' windows?
    virtual bool isTrusted() = 0;
    // Asks the user to grant that, where the platform asks at all.
    virtual void promptForTrust() = 0;

    // The focused window of the application in front, or none (the desktop is in front).
    virtual std::optional<WindowRef> focusedWindow() = 0;
    virtual std::optional<Rect> readFrame(WindowRef window) = 0;

    // Moves the outer frame's top-left corner / resizes the outer frame. The application may
    // clamp or ignore either; a window that is gone costs nothing but the write.
    virtual void writePosition(WindowRef window, double x, double y) = 0;
    virtual void writeSize(WindowRef window, double width, double height) = 0;

    // Whether the size can be changed at all; none when that cannot be found out.
    virtual std::optional<bool> isSizeSettable(WindowRef window) = 0;

    virtual std::optional<std::int64_t> processId(WindowRef window) = 0;
    virtual std::int64_t ownProcessId() = 0;

    // Bounds every later call about this window.
    virtual void setMessagingTimeout(WindowRef window, double seconds) = 0;
};

} // namespace panemark
