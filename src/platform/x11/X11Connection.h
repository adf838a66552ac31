#pragma once

#include "model/Rect.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace panemark {

// One connection to the X server with the atoms Panemark uses, and replies awaited with a
// deadline so that a stuck server cannot hang the caller. Safe to use from several threads.
class X11Connection {
public:
    struct Atoms {
        xcb_atom_t netActiveWindow, netSupportingWmCheck, netFrameExtents, gtkFrameExtents,
            netWmState, netWmStateMaximizedVert, netWmStateMaximizedHorz, netWmStateFullscreen,
            netMoveResizeWindow, netWmPid, netWmAllowedActions, netWmActionResize, netClientList,
            netWmStrutPartial, netWmStrut, netWorkarea, netCurrentDesktop, edid, utf8String;
    };

    struct FreeDeleter {
        void operator()(void* p) const { std::free(p); }
    };
    template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

    // Connects to $DISPLAY (or the named display); none when that is impossible or the server
    // does not answer within timeoutSeconds, with why.
    static std::unique_ptr<X11Connection>
    open(const char* displayName, std::string* whyNot = nullptr, double timeoutSeconds = 5.0);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return screen_->root; }
    const xcb_screen_t& screen() const { return *screen_; }
    const Atoms& atoms() const { return atoms_; }
    // The number of the screen this connection uses (the N of $DISPLAY=:0.N).
    int screenNumber() const { return screenNumber_; }
    bool hasFailed() const { return xcb_connection_has_error(connection_) != 0; }

    // Waits at most timeoutSeconds for the reply to a request; none on an X error or time-out.
    template <class T> Reply<T> await(unsigned int sequence, double timeoutSeconds) const {
        return Reply<T>(static_cast<T*>(awaitReply(sequence, timeoutSeconds)));
    }

    // The values of a 32-bit property (CARDINAL, WINDOW, ATOM …), or none when it is not set or
    // cannot be read in time.
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_get_property_cookie_t cookie,
                                                        double timeoutSeconds) const;
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t longs = 64) const;

    std::string atomName(xcb_atom_t atom, double timeoutSeconds) const;
    // An atom that some client already named; none otherwise (asking never creates one).
    xcb_atom_t existingAtom(const std::string& name, double timeoutSeconds) const;
    // The window that owns a selection ("_NET_WM_CM_S0" …); none when nobody does.
    std::optional<xcb_window_t> selectionOwner(const std::string& selection,
                                               double timeoutSeconds) const;
    // False only when the server says there is no such window (a time-out is not proof).
    bool windowExists(xcb_window_t window, double timeoutSeconds) const;

    // Sends a client message to the root window, as window managers expect for EWMH requests.
    void sendRootMessage(xcb_window_t window, xcb_atom_t type,
                         const std::uint32_t (&data)[5]) const;

    void flush() const { xcb_flush(connection_); }

    // Widths along the four sides of a window: left, right, top, bottom.
    struct Extents {
        double left = 0, right = 0, top = 0, bottom = 0;
        bool operator==(const Extents&) const = default;
    };
    // What lies between a client window and the frame people see: the window manager's
    // decorations outside it (_NET_FRAME_EXTENTS), and the shadow a client that draws its own
    // decorations keeps inside it, invisible (_GTK_FRAME_EXTENTS: GTK, and muffin, marco and
    // mutter, which know it).
    struct FrameExtents {
        Extents decorations;
        Extents shadow;
        // How far the visible frame reaches beyond the client window on each side (inward, so
        // below zero, for a shadow).
        Extents visible() const {
            return {decorations.left - shadow.left, decorations.right - shadow.right,
                    decorations.top - shadow.top, decorations.bottom - shadow.bottom};
        }
        bool operator==(const FrameExtents&) const = default;
    };

    // The focused top-level client: _NET_ACTIVE_WINDOW under an EWMH window manager, else the
    // input focus walked up to its top-level window. None when nothing has the focus.
    std::optional<xcb_window_t> focusedWindow(double timeoutSeconds) const;
    // The frame a reparenting window manager put around a window, in root coordinates, with
    // whether the window is full screen: its parent's rectangle (the window's own when it is
    // not reparented). For managers that draw decorations without _NET_FRAME_EXTENTS (i3).
    struct ParentFrame {
        Rect frame;
        bool fullscreen = false;
    };
    std::optional<ParentFrame> parentFrame(xcb_window_t window, double timeoutSeconds) const;
    // A text property of the root window (i3's I3_SOCKET_PATH), or none.
    std::optional<std::string> rootText(const std::string& property, double timeoutSeconds) const;
    // The check window of the EWMH window manager that runs now: _NET_SUPPORTING_WM_CHECK on
    // the root names a window that names itself the same way. A manager that died leaves the
    // root's property behind, naming a window that is gone: none then.
    std::optional<xcb_window_t> windowManagerCheck(double timeoutSeconds) const;
    bool hasWindowManager(double timeoutSeconds) const {
        return windowManagerCheck(timeoutSeconds).has_value();
    }
    // What the window manager calls itself (_NET_WM_NAME of its check window): "Openbox"; none
    // without an EWMH window manager.
    std::optional<std::string> windowManagerName(double timeoutSeconds) const;
    FrameExtents frameExtents(xcb_window_t window, double timeoutSeconds) const;
    // What one round trip tells of a window: its outer frame (the visible one: decorations
    // included, a client's shadow left out; root coordinates; none when the window is gone),
    // the extents, its _NET_WM_STATE and its pid.
    struct WindowSnapshot {
        std::optional<Rect> outerFrame;
        FrameExtents extents;
        std::vector<std::uint32_t> states;
        std::optional<std::uint32_t> pid;
    };
    WindowSnapshot snapshot(xcb_window_t window, double timeoutSeconds) const;
    std::optional<Rect> outerFrame(xcb_window_t window, double timeoutSeconds) const {
        return snapshot(window, timeoutSeconds).outerFrame;
    }

private:
    X11Connection(xcb_connection_t* connection, xcb_screen_t* screen);
    void* awaitReply(unsigned int sequence, double timeoutSeconds) const;
    // The same, with the code of an X error in *errorCode (left as it is otherwise).
    void* awaitReply(unsigned int sequence, double timeoutSeconds, std::uint8_t* errorCode) const;

    xcb_connection_t* connection_;
    xcb_screen_t* screen_;
    Atoms atoms_{};
    int screenNumber_ = 0;
};

} // namespace panemark
