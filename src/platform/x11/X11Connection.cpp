#include "platform/x11/X11Connection.h"

#include "base/Deadline.h"
#include "base/Text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <mutex>
#include <poll.h>
#include <thread>

namespace panemark {

namespace {

constexpr double connectTimeout = 2.0;
// While waiting, the socket is looked at in slices this long: another thread may read our
// reply off the socket into the queue, which poll() alone would not notice.
constexpr int pollSliceMilliseconds = 2;

} // namespace

namespace {

// xcb_connect blocks until the server has sent its setup, which a stopped or wedged server never
// does. It runs on a thread of its own; a caller that gives up leaves the thread to close what it
// eventually gets.
struct PendingConnect {
    std::mutex mutex;
    bool abandoned = false;
    xcb_connection_t* connection = nullptr;
    int screenNumber = 0;
};

xcb_connection_t* connectWithin(const char* displayName, double timeoutSeconds, int* screenNumber) {
    auto pending = std::make_shared<PendingConnect>();
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    const std::string name = displayName ? displayName : "";
    const bool useEnvironment = displayName == nullptr;
    std::thread([pending, done, name, useEnvironment] {
        int screen = 0;
        xcb_connection_t* connection =
            xcb_connect(useEnvironment ? nullptr : name.c_str(), &screen);
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            xcb_disconnect(connection);
            return;
        }
        pending->connection = connection;
        pending->screenNumber = screen;
        done->set_value();
    }).detach();
    const auto wait = std::chrono::duration<double>(std::max(timeoutSeconds, 0.0));
    const bool ready = finished.wait_for(wait) == std::future_status::ready;
    std::lock_guard lock(pending->mutex);
    if (!ready && !pending->connection) {
        pending->abandoned = true;
        return nullptr;
    }
    *screenNumber = pending->screenNumber;
    return pending->connection;
}

} // namespace

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName, std::string* whyNot,
                                                   double timeoutSeconds) {
    int screenNumber = 0;
    xcb_connection_t* connection = connectWithin(displayName, timeoutSeconds, &screenNumber);
    if (!connection) {
        if (whyNot) {
            const char* name = displayName ? displayName : std::getenv("DISPLAY");
            *whyNot = "the display " + std::string(name ? name : "") + " did not answer within " +
                      std::to_string(static_cast<int>(timeoutSeconds)) + " seconds";
        }
        return nullptr;
    }
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        if (whyNot) {
            const char* name = displayName ? displayName : std::getenv("DISPLAY");
            *whyNot = name && *name ? "cannot open display " + std::string(name)
                                    : "no display ($DISPLAY is not set)";
        }
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        if (whyNot) {
            *whyNot = "the display has no screen";
        }
        return nullptr;
    }
    auto result = std::unique_ptr<X11Connection>(new X11Connection(connection, screens.data));
    result->screenNumber_ = screenNumber;
    if (result->hasFailed()) {
        if (whyNot) {
            *whyNot = "the connection to the display failed";
        }
        return nullptr;
    }
    return result;
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_screen_t* screen)
    : connection_(connection), screen_(screen) {
    const std::pair<xcb_atom_t*, const char*> wanted[] = {
        {&atoms_.netActiveWindow, "_NET_ACTIVE_WINDOW"},
        {&atoms_.netSupportingWmCheck, "_NET_SUPPORTING_WM_CHECK"},
        {&atoms_.netFrameExtents, "_NET_FRAME_EXTENTS"},
        {&atoms_.gtkFrameExtents, "_GTK_FRAME_EXTENTS"},
        {&atoms_.netWmState, "_NET_WM_STATE"},
        {&atoms_.netWmStateMaximizedVert, "_NET_WM_STATE_MAXIMIZED_VERT"},
        {&atoms_.netWmStateMaximizedHorz, "_NET_WM_STATE_MAXIMIZED_HORZ"},
        {&atoms_.netWmStateFullscreen, "_NET_WM_STATE_FULLSCREEN"},
        {&atoms_.netMoveResizeWindow, "_NET_MOVERESIZE_WINDOW"},
        {&atoms_.netWmPid, "_NET_WM_PID"},
        {&atoms_.netWmAllowedActions, "_NET_WM_ALLOWED_ACTIONS"},
        {&atoms_.netWmActionResize, "_NET_WM_ACTION_RESIZE"},
        {&atoms_.netClientList, "_NET_CLIENT_LIST"},
        {&atoms_.netWmStrutPartial, "_NET_WM_STRUT_PARTIAL"},
        {&atoms_.netWmStrut, "_NET_WM_STRUT"},
        {&atoms_.netWorkarea, "_NET_WORKAREA"},
        {&atoms_.netCurrentDesktop, "_NET_CURRENT_DESKTOP"},
        {&atoms_.edid, "EDID"},
        {&atoms_.utf8String, "UTF8_STRING"},
    };
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto& [atom, name] : wanted) {
        cookies.push_back(
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name));
    }
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto reply = await<xcb_intern_atom_reply_t>(cookies[i].sequence, connectTimeout);
        *wanted[i].first = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }
}

X11Connection::~X11Connection() {
    xcb_disconnect(connection_);
}

void* X11Connection::awaitReply(unsigned int sequence, double timeoutSeconds) const {
    std::uint8_t ignored = 0;
    return awaitReply(sequence, timeoutSeconds, &ignored);
}

void* X11Connection::awaitReply(unsigned int sequence, double timeoutSeconds,
                                std::uint8_t* errorCode) const {
    using Clock = std::chrono::steady_clock;
    const double bounded =
        std::isfinite(timeoutSeconds) ? std::clamp(timeoutSeconds, 0.0, 60.0) : 0.25;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(bounded));
    xcb_flush(connection_);
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error)) {
            if (error != nullptr) {
                *errorCode = error->error_code;
                std::free(error);
                std::free(reply);
                return nullptr;
            }
            return reply;
        }
        if (hasFailed()) {
            return nullptr;
        }
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0) {
            xcb_discard_reply(connection_, sequence);
            return nullptr;
        }
        pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&descriptor, 1,
             static_cast<int>(std::min<long long>(remaining, pollSliceMilliseconds)));
    }
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         std::uint32_t longs) const {
    return xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longs);
}

std::optional<std::vector<std::uint32_t>> X11Connection::cardinals(xcb_get_property_cookie_t cookie,
                                                                   double timeoutSeconds) const {
    auto reply = await<xcb_get_property_reply_t>(cookie.sequence, timeoutSeconds);
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32) {
        return std::nullopt;
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<std::uint32_t>(values, values + std::max(count, 0));
}

xcb_atom_t X11Connection::existingAtom(const std::string& name, double timeoutSeconds) const {
    const auto cookie =
        xcb_intern_atom(connection_, 1, static_cast<std::uint16_t>(name.size()), name.c_str());
    const auto reply = await<xcb_intern_atom_reply_t>(cookie.sequence, timeoutSeconds);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<xcb_window_t> X11Connection::selectionOwner(const std::string& selection,
                                                          double timeoutSeconds) const {
    // A selection nobody ever named has no owner.
    const xcb_atom_t atom = existingAtom(selection, timeoutSeconds);
    if (atom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const auto owner = await<xcb_get_selection_owner_reply_t>(
        xcb_get_selection_owner(connection_, atom).sequence, timeoutSeconds);
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return owner->owner;
}

bool X11Connection::windowExists(xcb_window_t window, double timeoutSeconds) const {
    std::uint8_t error = 0;
    std::free(awaitReply(xcb_get_window_attributes(connection_, window).sequence, timeoutSeconds,
                         &error));
    return error != XCB_WINDOW;
}

std::string X11Connection::atomName(xcb_atom_t atom, double timeoutSeconds) const {
    auto reply = await<xcb_get_atom_name_reply_t>(xcb_get_atom_name(connection_, atom).sequence,
                                                  timeoutSeconds);
    if (!reply) {
        return {};
    }
    return std::string(xcb_get_atom_name_name(reply.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

void X11Connection::sendRootMessage(xcb_window_t window, xcb_atom_t type,
                                    const std::uint32_t (&data)[5]) const {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(std::begin(data), std::end(data), event.data.data32);
    xcb_send_event(connection_, 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

} // namespace panemark

namespace panemark {

std::optional<xcb_window_t> X11Connection::windowManagerCheck(double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    const auto check =
        cardinals(requestProperty(root(), atoms_.netSupportingWmCheck, 1), deadline.remaining());
    if (!check || check->empty() || check->front() == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const xcb_window_t window = check->front();
    const auto itself =
        cardinals(requestProperty(window, atoms_.netSupportingWmCheck, 1), deadline.remaining());
    if (!itself || itself->empty() || itself->front() != window) {
        return std::nullopt;
    }
    return window;
}

std::optional<std::string> X11Connection::windowManagerName(double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    const std::optional<xcb_window_t> check = windowManagerCheck(deadline.remaining());
    if (!check) {
        return std::nullopt;
    }
    const xcb_atom_t netWmName = existingAtom("_NET_WM_NAME", deadline.remaining());
    auto reply = await<xcb_get_property_reply_t>(
        xcb_get_property(connection_, 0, *check, netWmName, atoms_.utf8String, 0, 64).sequence,
        deadline.remaining());
    if (!reply || xcb_get_property_value_length(reply.get()) <= 0) {
        return std::string("an unnamed window manager");
    }
    return Text::printable(
        std::string_view(static_cast<const char*>(xcb_get_property_value(reply.get())),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))));
}

std::optional<X11Connection::ParentFrame> X11Connection::parentFrame(xcb_window_t window,
                                                                     double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    const auto treeCookie = xcb_query_tree(connection_, window);
    const auto stateCookie = requestProperty(window, atoms_.netWmState, 32);
    auto tree = await<xcb_query_tree_reply_t>(treeCookie.sequence, deadline.remaining());
    const auto states = cardinals(stateCookie, deadline.remaining());
    if (!tree) {
        return std::nullopt;
    }
    const xcb_window_t framed = tree->parent != root() ? tree->parent : window;
    const auto geometryCookie = xcb_get_geometry(connection_, framed);
    const auto originCookie = xcb_translate_coordinates(connection_, framed, root(), 0, 0);
    auto geometry = await<xcb_get_geometry_reply_t>(geometryCookie.sequence, deadline.remaining());
    auto origin =
        await<xcb_translate_coordinates_reply_t>(originCookie.sequence, deadline.remaining());
    if (!geometry || !origin) {
        return std::nullopt;
    }
    ParentFrame found;
    found.frame = Rect{static_cast<double>(origin->dst_x), static_cast<double>(origin->dst_y),
                       static_cast<double>(geometry->width), static_cast<double>(geometry->height)};
    found.fullscreen = states && std::find(states->begin(), states->end(),
                                           atoms_.netWmStateFullscreen) != states->end();
    return found;
}

std::optional<std::string> X11Connection::rootText(const std::string& property,
                                                   double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    const xcb_atom_t atom = existingAtom(property, deadline.remaining());
    if (atom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    auto reply = await<xcb_get_property_reply_t>(
        xcb_get_property(connection_, 0, root(), atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024).sequence,
        deadline.remaining());
    if (!reply || reply->format != 8 || xcb_get_property_value_length(reply.get()) <= 0) {
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::optional<xcb_window_t> X11Connection::focusedWindow(double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds); // for the whole walk, however deep
    // Both questions in one round trip: this is on the path of every command.
    const auto checkCookie = requestProperty(root(), atoms_.netSupportingWmCheck, 1);
    const auto activeCookie = requestProperty(root(), atoms_.netActiveWindow, 1);
    const auto check = cardinals(checkCookie, deadline.remaining());
    const auto active = cardinals(activeCookie, deadline.remaining());
    if (check && !check->empty() && check->front() != XCB_WINDOW_NONE) {
        if (!active || active->empty() || active->front() == XCB_WINDOW_NONE) {
            return std::nullopt;
        }
        return active->front();
    }
    auto focus = await<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection_).sequence,
                                                    deadline.remaining());
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == root()) {
        return std::nullopt;
    }
    xcb_window_t window = focus->focus;
    for (int depth = 0; depth < 64; ++depth) { // a tree deeper than this is not a real one
        auto tree = await<xcb_query_tree_reply_t>(xcb_query_tree(connection_, window).sequence,
                                                  deadline.remaining());
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == root() || tree->parent == XCB_WINDOW_NONE) {
            return window;
        }
        window = tree->parent;
    }
    return std::nullopt;
}

namespace {

X11Connection::Extents extentsFrom(const std::optional<std::vector<std::uint32_t>>& values) {
    if (!values || values->size() < 4) {
        return {};
    }
    return {static_cast<double>((*values)[0]), static_cast<double>((*values)[1]),
            static_cast<double>((*values)[2]), static_cast<double>((*values)[3])};
}

} // namespace

X11Connection::FrameExtents X11Connection::frameExtents(xcb_window_t window,
                                                        double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    const auto decorationsCookie = requestProperty(window, atoms_.netFrameExtents, 4);
    const auto shadowCookie = requestProperty(window, atoms_.gtkFrameExtents, 4);
    FrameExtents extents;
    extents.decorations = extentsFrom(cardinals(decorationsCookie, deadline.remaining()));
    extents.shadow = extentsFrom(cardinals(shadowCookie, deadline.remaining()));
    return extents;
}

X11Connection::WindowSnapshot X11Connection::snapshot(xcb_window_t window,
                                                      double timeoutSeconds) const {
    const Deadline deadline(timeoutSeconds);
    // Every request in flight at once: one round trip instead of five.
    const auto geometryCookie = xcb_get_geometry(connection_, window);
    const auto originCookie = xcb_translate_coordinates(connection_, window, root(), 0, 0);
    const auto extentsCookie = requestProperty(window, atoms_.netFrameExtents, 4);
    const auto shadowCookie = requestProperty(window, atoms_.gtkFrameExtents, 4);
    const auto stateCookie = requestProperty(window, atoms_.netWmState, 32);
    const auto pidCookie = requestProperty(window, atoms_.netWmPid, 1);
    auto geometry = await<xcb_get_geometry_reply_t>(geometryCookie.sequence, deadline.remaining());
    auto origin =
        await<xcb_translate_coordinates_reply_t>(originCookie.sequence, deadline.remaining());
    WindowSnapshot snapshot;
    snapshot.extents.decorations = extentsFrom(cardinals(extentsCookie, deadline.remaining()));
    snapshot.extents.shadow = extentsFrom(cardinals(shadowCookie, deadline.remaining()));
    snapshot.states =
        cardinals(stateCookie, deadline.remaining()).value_or(std::vector<std::uint32_t>{});
    if (const auto pid = cardinals(pidCookie, deadline.remaining()); pid && !pid->empty()) {
        snapshot.pid = pid->front();
    }
    if (geometry && origin) {
        const Extents e = snapshot.extents.visible();
        snapshot.outerFrame =
            Rect{origin->dst_x - e.left, origin->dst_y - e.top, geometry->width + e.left + e.right,
                 geometry->height + e.top + e.bottom};
    }
    return snapshot;
}

} // namespace panemark
