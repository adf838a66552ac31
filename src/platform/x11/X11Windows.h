#pragma once

#include "base/Deadline.h"
#include "platform/WindowService.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11Screens.h"

#include <chrono>
#include <mutex>
#include <span>
#include <unordered_map>

namespace panemark {

// Other applications' windows on X11. Frames are the frames people see: the window manager's
// decorations included, the invisible shadow of a window that draws its own left out. Writes go
// through the window manager with _NET_MOVERESIZE_WINDOW, which lands the outer frame exactly
// whatever the client's gravity. Every call finishes within the timeout it is given.
class X11Windows : public WindowService {
public:
    X11Windows(X11Connection& connection, X11Screens& screens);

    std::optional<WindowRef> focusedWindow(double timeout) override;
    std::optional<Rect> readFrame(WindowRef window, double timeout) override;
    void writeFrame(WindowRef window, const Rect& frame, double timeout) override;
    std::optional<bool> isSizeSettable(WindowRef window, double timeout) override;
    std::optional<std::int64_t> processId(WindowRef window, double timeout) override;
    std::int64_t ownProcessId() override;

    // From now on the focused window, and the window manager (replaced, gone, back), are
    // followed through the events of this source instead of asked for on every command.
    void watch(X11EventSource& events);

    // X keeps positions in 16 bits and sizes in 1…32767; anything else (NaN included) is
    // clamped before it is sent.
    static std::int32_t clampPosition(double value);
    // Whether WM_NORMAL_HINTS pin the size: a minimum equal to a maximum, neither zero.
    static bool hasFixedSize(std::span<const std::uint32_t> hints);
    static std::uint32_t clampSize(double value);

private:
    // What the last read or write learnt of a window. Trusted for a second, so that a command's
    // writes, and an animation's sixty a second, cost no round trips of their own.
    struct Facts {
        std::chrono::steady_clock::time_point learnt;
        X11Connection::FrameExtents extents;
        bool maximized = false;
        std::optional<std::int64_t> pid;
    };
    static constexpr std::chrono::milliseconds factsLifetime{1000};

    // Finds out which window manager runs now, and forgets what the last one did.
    void followWindowManager(X11EventSource& events);
    xcb_window_t managerCheck();
    // Whether a window manager frames windows (assumed until watched).
    bool isManaged();
    std::optional<Facts> freshFacts(xcb_window_t window);
    void remember(xcb_window_t window, const Facts& facts);
    // Makes sure the window can be moved and resized; its current extents.
    X11Connection::FrameExtents prepareForWrite(xcb_window_t window, double timeout);
    // A maximized or full-screen window ignores moves: take it out of that state first.
    void leaveMaximizedState(xcb_window_t window, const Deadline& deadline);
    void moveResize(xcb_window_t window, std::uint32_t flags, std::int32_t x, std::int32_t y,
                    std::uint32_t width, std::uint32_t height);
    // Configures the window itself at a frame in root coordinates, its shadow around it.
    void configure(xcb_window_t window, const Rect& root, const X11Connection::Extents& shadow);

    X11Connection& connection_;
    X11Screens& screens_;
    std::mutex mutex_; // guards the facts and the focus
    std::unordered_map<std::uint64_t, Facts> facts_;
    bool watched_ = false;
    bool managed_ = true;
    xcb_window_t managerCheck_ = XCB_WINDOW_NONE;
    std::optional<std::optional<WindowRef>> focused_; // known focus (which may be none)
    Subscription eventSubscription_;
};

} // namespace panemark
