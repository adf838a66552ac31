#include "platform/x11/X11Windows.h"

#include "base/Deadline.h"
#include "base/Log.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <unistd.h>

namespace panemark {

namespace {

// Facts are dropped for windows that are long gone; this many entries is plenty.
constexpr std::size_t factsTableLimit = 256;
// Finding out whether a window manager runs, when the backend starts watching and whenever one
// comes or goes.
constexpr double windowManagerProbeTimeout = 0.25;

// _NET_MOVERESIZE_WINDOW: gravity in bits 0–7, which values count in bits 8–11, and the source
// of the request (2, a pager or tool acting for the user) in bits 12–15.
constexpr std::uint32_t northWestGravity = 1;
constexpr std::uint32_t useX = 1u << 8;
constexpr std::uint32_t useY = 1u << 9;
constexpr std::uint32_t useWidth = 1u << 10;
constexpr std::uint32_t useHeight = 1u << 11;
constexpr std::uint32_t fromPager = 2u << 12;

// How long a window manager may take to redecorate a window it has just unmaximized; some keep
// the same decorations, and then this is waited out once.
constexpr int extentsSettleMilliseconds = 300;

// _NET_WM_STATE client message actions, and WM_NORMAL_HINTS flags.
constexpr std::uint32_t removeState = 0;
constexpr std::uint32_t hintsMinSize = 1u << 4;
constexpr std::uint32_t hintsMaxSize = 1u << 5;

xcb_window_t toX(WindowRef window) {
    return static_cast<xcb_window_t>(window.id);
}

} // namespace

X11Windows::X11Windows(X11Connection& connection, X11Screens& screens)
    : connection_(connection), screens_(screens) {}

std::int32_t X11Windows::clampPosition(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? 0 : value > 0 ? 32767 : -32768;
    }
    return static_cast<std::int32_t>(std::clamp(std::round(value), -32768.0, 32767.0));
}

std::uint32_t X11Windows::clampSize(double value) {
    if (std::isnan(value)) {
        return 1;
    }
    return static_cast<std::uint32_t>(std::clamp(std::round(value), 1.0, 32767.0));
}

std::optional<WindowRef> X11Windows::focusedWindow(double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (focused_) {
            return *focused_;
        }
    }
    const auto window = connection_.focusedWindow(timeout);
    const std::optional<WindowRef> focused =
        window ? std::optional<WindowRef>(WindowRef{*window}) : std::nullopt;
    std::lock_guard lock(mutex_);
    if (watched_ && managed_) {
        focused_ = focused;
    }
    return focused;
}

void X11Windows::watch(X11EventSource& events) {
    // The window manager announces every change of focus on the root. It can also be replaced
    // while Panemark runs, or be away for a moment: a new one sets _NET_SUPPORTING_WM_CHECK on
    // the root, and the one that goes destroys its check window.
    events.listenOnRoot(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_window_t root = events.connection().root();
    const xcb_atom_t activeWindow = connection_.atoms().netActiveWindow;
    const xcb_atom_t wmCheck = connection_.atoms().netSupportingWmCheck;
    followWindowManager(events);
    eventSubscription_ = events.subscribe(
        [this, &events, root, activeWindow, wmCheck](const xcb_generic_event_t& event) {
            const std::uint8_t type = event.response_type & 0x7F;
            if (type == XCB_PROPERTY_NOTIFY) {
                const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
                if (property.window == root && property.atom == wmCheck) {
                    followWindowManager(events);
                } else if (property.window == root && property.atom == activeWindow) {
                    std::lock_guard lock(mutex_);
                    focused_.reset();
                } else if (property.window == managerCheck() && property.atom == wmCheck) {
                    followWindowManager(events); // a manager that named its check window last
                }
            } else if (type == XCB_DESTROY_NOTIFY) {
                const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
                if (destroyed.window == managerCheck()) {
                    followWindowManager(events);
                }
            }
        });
}

bool X11Windows::isManaged() {
    std::lock_guard lock(mutex_);
    return managed_;
}

xcb_window_t X11Windows::managerCheck() {
    std::lock_guard lock(mutex_);
    return managerCheck_;
}

void X11Windows::followWindowManager(X11EventSource& events) {
    const Deadline deadline(windowManagerProbeTimeout);
    const auto named =
        connection_.cardinals(connection_.requestProperty(
                                  connection_.root(), connection_.atoms().netSupportingWmCheck, 1),
                              deadline.remaining());
    xcb_window_t window = XCB_WINDOW_NONE;
    if (named && !named->empty()) {
        window = static_cast<xcb_window_t>(named->front());
    }
    if (window != XCB_WINDOW_NONE) {
        // To hear it go, or, when it does not name itself yet, when it does.
        events.listenOn(window, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    }
    const bool live =
        connection_.windowManagerCheck(deadline.remaining()) == window && window != XCB_WINDOW_NONE;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = watched_ && (window != managerCheck_ || live != managed_);
        managerCheck_ = window;
        managed_ = live;
        watched_ = true;
        // Without a manager the input focus moves silently: every command asks. A new manager
        // draws other decorations, so what was learnt of windows no longer holds.
        focused_.reset();
        facts_.clear();
    }
    if (changed) {
        const std::optional<std::string> name =
            connection_.windowManagerName(windowManagerProbeTimeout);
        Log::write(name ? "the window manager is now " + *name
                        : "no window manager runs on this display: Panemark places windows "
                          "itself until one starts");
    }
}

std::optional<Rect> X11Windows::readFrame(WindowRef window, double timeout) {
    const X11Connection::WindowSnapshot snapshot = connection_.snapshot(toX(window), timeout);
    if (!snapshot.outerFrame) {
        std::lock_guard lock(mutex_);
        facts_.erase(window.id);
        return std::nullopt;
    }
    const auto& atoms = connection_.atoms();
    const bool maximized =
        std::any_of(snapshot.states.begin(), snapshot.states.end(), [&](std::uint32_t state) {
            return state == atoms.netWmStateMaximizedVert ||
                   state == atoms.netWmStateMaximizedHorz || state == atoms.netWmStateFullscreen;
        });
    std::optional<std::int64_t> pid;
    if (snapshot.pid && *snapshot.pid != 0) {
        pid = static_cast<std::int64_t>(*snapshot.pid);
    }
    Rect frame = *snapshot.outerFrame;
    X11Connection::FrameExtents extents = snapshot.extents;
    if (!isManaged()) {
        // A manager that has gone may leave its extents on the window; nothing frames it now.
        const X11Connection::Extents& gone = extents.decorations;
        frame = Rect{frame.x + gone.left, frame.y + gone.top, frame.width - gone.left - gone.right,
                     frame.height - gone.top - gone.bottom};
        extents.decorations = {};
    }
    remember(toX(window), {std::chrono::steady_clock::now(), extents, maximized, pid});
    const auto [originX, originY] = screens_.primaryOrigin();
    return Rect{frame.x - originX, frame.y - originY, frame.width, frame.height};
}

std::optional<X11Windows::Facts> X11Windows::freshFacts(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    auto found = facts_.find(window);
    if (found == facts_.end() ||
        std::chrono::steady_clock::now() - found->second.learnt > factsLifetime) {
        return std::nullopt;
    }
    return found->second;
}

void X11Windows::remember(xcb_window_t window, const Facts& facts) {
    std::lock_guard lock(mutex_);
    if (facts_.size() >= factsTableLimit && facts_.count(window) == 0) {
        facts_.clear();
    }
    facts_[window] = facts;
}

X11Connection::FrameExtents X11Windows::prepareForWrite(xcb_window_t window, double timeout) {
    const std::optional<Facts> known = freshFacts(window);
    if (known && !known->maximized) {
        return known->extents;
    }
    const Deadline deadline(timeout);
    leaveMaximizedState(window, deadline);
    Facts facts{std::chrono::steady_clock::now(),
                connection_.frameExtents(window, deadline.remaining()), false,
                known ? known->pid : std::nullopt};
    remember(window, facts);
    return facts.extents;
}

void X11Windows::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    const auto [originX, originY] = screens_.primaryOrigin();
    const Rect root{frame.x + originX, frame.y + originY, frame.width, frame.height};
    if (!isManaged()) {
        // Nobody frames or redirects the window: it is configured itself.
        configure(toX(window), root, connection_.frameExtents(toX(window), timeout).shadow);
        return;
    }
    const X11Connection::FrameExtents extents = prepareForWrite(toX(window), timeout);
    if (extents.decorations == X11Connection::Extents{} &&
        extents.shadow != X11Connection::Extents{}) {
        // A window that draws its own frame has none of the manager's around it: it asks as its
        // own client would. A manager may hold a pager's move inside the screen, shadow and all
        // (marco 1.26.2), which would stop a frame at the screen's edge a shadow short.
        configure(toX(window), root, extents.shadow);
        return;
    }
    // The window manager places the corner of its frame and takes the client's size; the
    // decorations come on top of it. One message does both, so the window never shows a frame
    // that is half old and half new.
    const X11Connection::Extents visible = extents.visible();
    moveResize(toX(window), useX | useY | useWidth | useHeight, clampPosition(root.x),
               clampPosition(root.y), clampSize(frame.width - visible.left - visible.right),
               clampSize(frame.height - visible.top - visible.bottom));
}

void X11Windows::configure(xcb_window_t window, const Rect& root,
                           const X11Connection::Extents& shadow) {
    // The window itself, its shadow around the frame.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(clampPosition(root.x - shadow.left)),
                                    static_cast<std::uint32_t>(clampPosition(root.y - shadow.top)),
                                    clampSize(root.width + shadow.left + shadow.right),
                                    clampSize(root.height + shadow.top + shadow.bottom)};
    xcb_configure_window(connection_.get(), window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    connection_.flush();
}

void X11Windows::moveResize(xcb_window_t window, std::uint32_t flags, std::int32_t x,
                            std::int32_t y, std::uint32_t width, std::uint32_t height) {
    const std::uint32_t data[5] = {northWestGravity | flags | fromPager,
                                   static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                   width, height};
    connection_.sendRootMessage(window, connection_.atoms().netMoveResizeWindow, data);
    connection_.flush();
}

void X11Windows::leaveMaximizedState(xcb_window_t window, const Deadline& deadline) {
    const auto& atoms = connection_.atoms();
    auto isMaximized = [&] {
        const auto states = connection_.cardinals(
            connection_.requestProperty(window, atoms.netWmState), deadline.remaining());
        return states && std::any_of(states->begin(), states->end(), [&](std::uint32_t state) {
                   return state == atoms.netWmStateMaximizedVert ||
                          state == atoms.netWmStateMaximizedHorz ||
                          state == atoms.netWmStateFullscreen;
               });
    };
    if (!isMaximized()) {
        return;
    }
    const X11Connection::FrameExtents maximizedExtents =
        connection_.frameExtents(window, deadline.remaining());
    connection_.sendRootMessage(
        window, atoms.netWmState,
        {removeState, atoms.netWmStateMaximizedVert, atoms.netWmStateMaximizedHorz, 2, 0});
    connection_.sendRootMessage(window, atoms.netWmState,
                                {removeState, atoms.netWmStateFullscreen, 0, 2, 0});
    connection_.flush();
    // The window manager changes the state, and after it the decorations and their extents, in
    // its own time; the size written next is only right with the new extents.
    while (isMaximized() && !deadline.passed()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto extentsDeadline =
        std::min(deadline.at(), std::chrono::steady_clock::now() +
                                    std::chrono::milliseconds(extentsSettleMilliseconds));
    while (connection_.frameExtents(window, deadline.remaining()) == maximizedExtents &&
           std::chrono::steady_clock::now() < extentsDeadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool X11Windows::hasFixedSize(std::span<const std::uint32_t> hints) {
    // flags, then x, y, width, height (obsolete), min width and height, max width and height
    if (hints.size() < 9) {
        return false;
    }
    const bool bounded = (hints[0] & hintsMinSize) && (hints[0] & hintsMaxSize);
    return bounded && hints[5] == hints[7] && hints[6] == hints[8] && hints[5] != 0 &&
           hints[6] != 0;
}

std::optional<bool> X11Windows::isSizeSettable(WindowRef window, double timeout) {
    const Deadline deadline(timeout);
    const auto& atoms = connection_.atoms();
    const auto hintsCookie = connection_.requestProperty(toX(window), XCB_ATOM_WM_NORMAL_HINTS, 18);
    const auto actionsCookie =
        connection_.requestProperty(toX(window), atoms.netWmAllowedActions, 64);
    auto hintsReply =
        connection_.await<xcb_get_property_reply_t>(hintsCookie.sequence, deadline.remaining());
    const auto actions = connection_.cardinals(actionsCookie, deadline.remaining());
    if (!hintsReply) {
        return std::nullopt; // the window is gone, or the server did not answer in time
    }
    if (hintsReply->format == 32) {
        const auto* hints =
            static_cast<const std::uint32_t*>(xcb_get_property_value(hintsReply.get()));
        const auto count =
            static_cast<std::size_t>(xcb_get_property_value_length(hintsReply.get())) / 4;
        if (hasFixedSize({hints, count})) {
            return false;
        }
    }
    if (actions &&
        std::find(actions->begin(), actions->end(), atoms.netWmActionResize) == actions->end()) {
        return false;
    }
    return true;
}

std::optional<std::int64_t> X11Windows::processId(WindowRef window, double timeout) {
    if (const std::optional<Facts> known = freshFacts(toX(window))) {
        return known->pid;
    }
    const auto pid = connection_.cardinals(
        connection_.requestProperty(toX(window), connection_.atoms().netWmPid, 1), timeout);
    if (!pid || pid->empty() || pid->front() == 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(pid->front());
}

std::int64_t X11Windows::ownProcessId() {
    return static_cast<std::int64_t>(getpid());
}

} // namespace panemark
