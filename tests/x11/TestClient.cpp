#include "TestClient.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace panemark {

TestClient::TestClient() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
}

TestClient::~TestClient() {
    if (connection_) {
        xcb_disconnect(connection_);
    }
}

xcb_atom_t TestClient::atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(reply);
    return result;
}

std::vector<std::uint32_t> TestClient::cardinals(xcb_window_t window, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr);
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

std::vector<xcb_window_t> TestClient::clientList() {
    return cardinals(screen_->root, atom("_NET_CLIENT_LIST"));
}

void TestClient::setCardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                              const std::uint32_t* values, int count) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(count), values);
}

void TestClient::rootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t a, std::uint32_t b,
                             std::uint32_t c) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = a;
    event.data.data32[1] = b;
    event.data.data32[2] = c;
    xcb_send_event(connection_, 0, screen_->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

bool TestClient::waitUntil(const std::function<bool()>& condition, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

xcb_window_t TestClient::createWindow(int x, int y, int width, int height) {
    const xcb_window_t window = xcb_generate_id(connection_);
    const std::uint32_t values[] = {screen_->white_pixel,
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_KEY_PRESS};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root,
                      static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "Panemark test window";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof(title) - 1, title);
    // A user-specified position, which openbox honours instead of placing the window itself.
    std::uint32_t hints[18] = {1u | 2u, static_cast<std::uint32_t>(x),
                               static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height)};
    setCardinals(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, hints, 18);
    const std::uint32_t pid = 1; // not ours: the window is another application's
    setCardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, &pid, 1);
    xcb_map_window(connection_, window);
    xcb_flush(connection_);
    // Managed once the window manager has given it WM_STATE.
    waitUntil([&] { return !cardinals(window, atom("WM_STATE")).empty(); }, 3);
    activate(window);
    return window;
}

xcb_window_t TestClient::createBottomDock(int startX, int endX, int height, int rootHeight) {
    const xcb_window_t window = xcb_generate_id(connection_);
    const std::uint32_t values[] = {screen_->black_pixel};
    xcb_create_window(
        connection_, XCB_COPY_FROM_PARENT, window, screen_->root, static_cast<std::int16_t>(startX),
        static_cast<std::int16_t>(rootHeight - height),
        static_cast<std::uint16_t>(endX - startX + 1), static_cast<std::uint16_t>(height), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, XCB_CW_BACK_PIXEL, values);
    const std::uint32_t dockType = atom("_NET_WM_WINDOW_TYPE_DOCK");
    setCardinals(window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, &dockType, 1);
    const std::uint32_t strut[12] = {0,
                                     0,
                                     0,
                                     static_cast<std::uint32_t>(height),
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint32_t>(startX),
                                     static_cast<std::uint32_t>(endX)};
    setCardinals(window, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, strut, 12);
    xcb_map_window(connection_, window);
    xcb_flush(connection_);
    waitUntil(
        [&] {
            const std::vector<xcb_window_t> clients = clientList();
            return std::find(clients.begin(), clients.end(), window) != clients.end();
        },
        3);
    return window;
}

void TestClient::destroyWindow(xcb_window_t window) {
    xcb_destroy_window(connection_, window);
    xcb_flush(connection_);
}

std::optional<xcb_window_t> TestClient::activeWindow() {
    const auto active = cardinals(screen_->root, atom("_NET_ACTIVE_WINDOW"));
    return !active.empty() && active.front() != XCB_WINDOW_NONE ? std::optional(active.front())
                                                                : std::nullopt;
}

bool TestClient::activate(xcb_window_t window) {
    rootMessage(window, atom("_NET_ACTIVE_WINDOW"), 2, XCB_CURRENT_TIME, 0);
    return waitUntil([&] { return activeWindow() == window; }, 3);
}

bool TestClient::isMaximized(xcb_window_t window) {
    const std::vector<std::uint32_t> states = cardinals(window, atom("_NET_WM_STATE"));
    return std::find(states.begin(), states.end(), atom("_NET_WM_STATE_MAXIMIZED_VERT")) !=
           states.end();
}

bool TestClient::maximize(xcb_window_t window) {
    rootMessage(window, atom("_NET_WM_STATE"), 1, atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
    return waitUntil([&] { return isMaximized(window); }, 3);
}

void TestClient::claimForThisProcess(xcb_window_t window) {
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    setCardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, &pid, 1);
    xcb_flush(connection_);
}

void TestClient::focusDirectly(xcb_window_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

std::optional<Rect> TestClient::clientFrame(xcb_window_t window) {
    auto* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    auto* origin = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr);
    std::optional<Rect> frame;
    if (geometry && origin) {
        frame = Rect{static_cast<double>(origin->dst_x), static_cast<double>(origin->dst_y),
                     static_cast<double>(geometry->width), static_cast<double>(geometry->height)};
    }
    free(geometry);
    free(origin);
    return frame;
}

std::optional<std::uint32_t> TestClient::currentDesktop() {
    const std::vector<std::uint32_t> desktop =
        cardinals(screen_->root, atom("_NET_CURRENT_DESKTOP"));
    if (desktop.empty()) {
        return std::nullopt;
    }
    return desktop.front();
}

std::optional<Rect> TestClient::workArea() {
    const std::vector<std::uint32_t> area = cardinals(screen_->root, atom("_NET_WORKAREA"));
    if (area.size() < 4) {
        return std::nullopt;
    }
    return Rect{static_cast<double>(area[0]), static_cast<double>(area[1]),
                static_cast<double>(area[2]), static_cast<double>(area[3])};
}

std::vector<std::uint32_t> TestClient::shadowExtents(xcb_window_t window) {
    return cardinals(window, atom("_GTK_FRAME_EXTENTS"));
}

std::optional<Rect> TestClient::outerFrame(xcb_window_t window) {
    auto* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    auto* origin = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr);
    std::optional<Rect> frame;
    if (geometry && origin) {
        // The window manager's decorations around it, less the invisible shadow a window that
        // decorates itself keeps inside.
        std::vector<std::uint32_t> extents = cardinals(window, atom("_NET_FRAME_EXTENTS"));
        std::vector<std::uint32_t> shadow = cardinals(window, atom("_GTK_FRAME_EXTENTS"));
        extents.resize(4, 0);
        shadow.resize(4, 0);
        const double left = static_cast<double>(extents[0]) - shadow[0];
        const double right = static_cast<double>(extents[1]) - shadow[1];
        const double top = static_cast<double>(extents[2]) - shadow[2];
        const double bottom = static_cast<double>(extents[3]) - shadow[3];
        frame = Rect{origin->dst_x - left, origin->dst_y - top, geometry->width + left + right,
                     geometry->height + top + bottom};
    }
    free(geometry);
    free(origin);
    return frame;
}

std::optional<Rect> TestClient::waitForFrame(xcb_window_t window, const Rect& expected,
                                             double seconds) {
    std::optional<Rect> frame;
    waitUntil(
        [&] {
            frame = outerFrame(window);
            return frame == expected;
        },
        seconds);
    return frame;
}

std::optional<xcb_window_t> TestClient::findWindow(const std::string& windowClass, double seconds) {
    std::optional<xcb_window_t> found;
    waitUntil(
        [&] {
            for (const xcb_window_t window : clientList()) {
                auto* reply = xcb_get_property_reply(connection_,
                                                     xcb_get_property(connection_, 0, window,
                                                                      XCB_ATOM_WM_CLASS,
                                                                      XCB_ATOM_STRING, 0, 64),
                                                     nullptr);
                std::string value;
                if (reply) {
                    value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                                 static_cast<std::size_t>(xcb_get_property_value_length(reply)));
                }
                free(reply);
                if (value.find(windowClass) != std::string::npos) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        seconds);
    return found;
}

} // namespace panemark

namespace panemark {

std::vector<xcb_keycode_t> TestClient::keyPresses(xcb_window_t window, double waitSeconds) {
    std::vector<xcb_keycode_t> presses;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(waitSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
                if (press->event == window) {
                    presses.push_back(press->detail);
                }
            }
            free(event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return presses;
}

bool TestClient::grabKey(xcb_keycode_t keycode, std::uint16_t modifiers) {
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_grab_key_checked(connection_, 1, screen_->root, modifiers, keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool granted = error == nullptr;
    free(error);
    return granted;
}

bool TestClient::isGrabbedElsewhere(xcb_keycode_t keycode, std::uint16_t modifiers) {
    if (!grabKey(keycode, modifiers)) {
        return true;
    }
    // Let go of before this returns: a grab of the tested program's that reaches the server
    // next must not meet the probe's.
    free(xcb_request_check(connection_,
                           xcb_ungrab_key_checked(connection_, keycode, screen_->root, modifiers)));
    return false;
}

std::string TestClient::rootText(const char* property) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr);
    std::string text;
    if (reply && reply->format == 8) {
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    }
    free(reply);
    return text;
}

} // namespace panemark
