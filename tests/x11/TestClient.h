#pragma once

#include "model/Rect.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace panemark {

// An X client of the tests' own, on its own connection: plain windows that take any size,
// docks that reserve a strip of the screen, and what it takes to see where they ended up.
class TestClient {
public:
    TestClient();
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return connection_ != nullptr; }

    // A managed, mapped and focused top-level window with no size constraints. It claims a
    // process id other than the test's, so the mover treats it as another application's.
    xcb_window_t createWindow(int x, int y, int width, int height);
    // A dock along the bottom of [startX, endX] reserving `height` rows (_NET_WM_STRUT_PARTIAL).
    xcb_window_t createBottomDock(int startX, int endX, int height, int rootHeight);
    void destroyWindow(xcb_window_t window);
    // Says the window belongs to this process (_NET_WM_PID).
    void claimForThisProcess(xcb_window_t window);
    bool activate(xcb_window_t window);
    bool maximize(xcb_window_t window);
    bool isMaximized(xcb_window_t window);

    // Gives the window the input focus itself, as there is nobody to ask without a window
    // manager.
    void focusDirectly(xcb_window_t window);
    // The outer frame people see (decorations included, a client's shadow left out) in root
    // coordinates.
    std::optional<Rect> outerFrame(xcb_window_t window);
    // The window's own rectangle in root coordinates, whatever extents it carries: its frame
    // when nothing frames it.
    std::optional<Rect> clientFrame(xcb_window_t window);
    // Waits, bounded, until the window's outer frame equals expected; returns the last frame.
    std::optional<Rect> waitForFrame(xcb_window_t window, const Rect& expected, double seconds = 3);
    std::optional<xcb_window_t> activeWindow();
    // Key presses the window has received since the last call, as X keycodes.
    std::vector<xcb_keycode_t> keyPresses(xcb_window_t window, double waitSeconds);
    // Whether some other client holds a passive grab of this key and modifier mask on the root.
    bool isGrabbedElsewhere(xcb_keycode_t keycode, std::uint16_t modifiers);
    // Grabs the key on the root for this client; false when another client holds it.
    bool grabKey(xcb_keycode_t keycode, std::uint16_t modifiers);
    // The first managed window whose WM_CLASS contains this text.
    std::optional<xcb_window_t> findWindow(const std::string& windowClass, double seconds = 5);

    // The invisible shadow a window that draws its own frame keeps around it
    // (_GTK_FRAME_EXTENTS: left, right, top, bottom); empty when it has none.
    std::vector<std::uint32_t> shadowExtents(xcb_window_t window);
    // The workspace shown (_NET_CURRENT_DESKTOP), none when the manager does not say.
    std::optional<std::uint32_t> currentDesktop();
    // The work area of the current desktop as the window manager says it (_NET_WORKAREA).
    std::optional<Rect> workArea();
    // A text property of the root window (i3's I3_SOCKET_PATH); empty when it is not set.
    std::string rootText(const char* property);

private:
    xcb_atom_t atom(const char* name);
    // The values of a 32-bit property (empty when it is not set).
    std::vector<std::uint32_t> cardinals(xcb_window_t window, xcb_atom_t property);
    std::vector<xcb_window_t> clientList();
    void setCardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                      const std::uint32_t* values, int count);
    void rootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t a, std::uint32_t b,
                     std::uint32_t c);
    bool waitUntil(const std::function<bool()>& condition, double seconds);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

} // namespace panemark
