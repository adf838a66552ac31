#include "platform/x11/X11Screens.h"

#include "base/Deadline.h"
#include "model/Uuid.h"
#include "platform/Edid.h"
#include "platform/ScreenIdentity.h"
#include "platform/x11/X11EventSource.h"

#include <QByteArray>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <set>
#include <unistd.h>

namespace panemark {

namespace {

constexpr double queryTimeout = 0.25;
// Panels sit at most three windows below the root (icewm: frame, taskbar frame, taskbar); this
// many windows are looked at, at most, however crowded the desktop.
constexpr int strutSearchDepth = 3;
constexpr std::size_t strutSearchLimit = 4096;
// Work areas read per desktop: one per monitor, and nobody has this many.
constexpr std::uint32_t maxWorkAreas = 64;

bool rangesMeet(double start, double end, double low, double high) {
    return start < high && low <= end;
}

double overlapArea(const Rect& a, const Rect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
}

} // namespace

bool X11Screens::isBuiltIn(const std::string& connector, const std::string& connectorType) {
    return connectorType == "Panel" || ScreenIdentity::isBuiltInConnector(connector);
}

void X11Screens::separateTwins(std::vector<std::string>& uuids,
                               const std::vector<std::optional<std::string>>& distinctUuids) {
    const std::vector<std::string> shared = uuids;
    for (std::size_t i = 0; i < uuids.size(); ++i) {
        const bool twin = std::count(shared.begin(), shared.end(), shared[i]) > 1;
        if (twin && distinctUuids[i]) {
            uuids[i] = *distinctUuids[i];
        }
    }
}

X11Screens::X11Screens(X11Connection& connection) : connection_(connection) {
    auto version = connection_.await<xcb_randr_query_version_reply_t>(
        xcb_randr_query_version(connection_.get(), 1, 5).sequence, queryTimeout);
    hasMonitors_ = version && (version->major_version > 1 || version->minor_version >= 5);
}

Rect X11Screens::visibleArea(const Rect& monitor, const std::vector<Strut>& struts,
                             double rootWidth, double rootHeight) {
    double left = monitor.minX();
    double right = monitor.maxX();
    double top = monitor.minY();
    double bottom = monitor.maxY();
    for (const Strut& strut : struts) {
        const double leftEdge = strut[0];
        const double rightEdge = rootWidth - strut[1];
        const double topEdge = strut[2];
        const double bottomEdge = rootHeight - strut[3];
        if (strut[0] > 0 && monitor.minX() < leftEdge && leftEdge <= monitor.maxX() &&
            rangesMeet(strut[4], strut[5], monitor.minY(), monitor.maxY())) {
            left = std::max(left, leftEdge);
        }
        if (strut[1] > 0 && monitor.minX() <= rightEdge && rightEdge < monitor.maxX() &&
            rangesMeet(strut[6], strut[7], monitor.minY(), monitor.maxY())) {
            right = std::min(right, rightEdge);
        }
        if (strut[2] > 0 && monitor.minY() < topEdge && topEdge <= monitor.maxY() &&
            rangesMeet(strut[8], strut[9], monitor.minX(), monitor.maxX())) {
            top = std::max(top, topEdge);
        }
        if (strut[3] > 0 && monitor.minY() <= bottomEdge && bottomEdge < monitor.maxY() &&
            rangesMeet(strut[10], strut[11], monitor.minX(), monitor.maxX())) {
            bottom = std::min(bottom, bottomEdge);
        }
    }
    return {left, top, std::max(right - left, 0.0), std::max(bottom - top, 0.0)};
}

std::vector<X11Screens::Monitor> X11Screens::queryMonitors() {
    std::vector<Monitor> monitors;
    if (hasMonitors_) {
        auto reply = connection_.await<xcb_randr_get_monitors_reply_t>(
            xcb_randr_get_monitors(connection_.get(), connection_.root(), 1).sequence,
            queryTimeout);
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t& info = *it.data;
                Monitor monitor{Rect{static_cast<double>(info.x), static_cast<double>(info.y),
                                     static_cast<double>(info.width),
                                     static_cast<double>(info.height)},
                                info.primary != 0, info.name, std::nullopt};
                if (xcb_randr_monitor_info_outputs_length(it.data) > 0) {
                    monitor.output = xcb_randr_monitor_info_outputs(it.data)[0];
                }
                monitors.push_back(monitor);
            }
        }
    }
    if (monitors.empty()) {
        const xcb_screen_t& screen = connection_.screen();
        monitors.push_back({Rect{0, 0, static_cast<double>(screen.width_in_pixels),
                                 static_cast<double>(screen.height_in_pixels)},
                            true, XCB_ATOM_NONE, std::nullopt});
    }
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const Monitor& m) { return m.primary; });
    std::lock_guard lock(mutex_);
    primaryOrigin_ = std::make_pair(monitors.front().frame.x, monitors.front().frame.y);
    return monitors;
}

xcb_get_property_cookie_t X11Screens::requestClientList() {
    return connection_.requestProperty(connection_.root(), connection_.atoms().netClientList, 4096);
}

std::vector<xcb_window_t> X11Screens::viewableWindowsNearTheRoot(const Deadline& deadline) {
    std::vector<xcb_window_t> found;
    std::vector<xcb_window_t> level{connection_.root()};
    for (int depth = 1; depth <= strutSearchDepth && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> trees;
        for (const xcb_window_t window : level) {
            trees.push_back(xcb_query_tree(connection_.get(), window));
        }
        std::vector<xcb_window_t> children;
        for (const auto& cookie : trees) {
            auto tree =
                connection_.await<xcb_query_tree_reply_t>(cookie.sequence, deadline.remaining());
            if (!tree) {
                continue; // gone meanwhile, or out of time
            }
            const xcb_window_t* listed = xcb_query_tree_children(tree.get());
            const int count = xcb_query_tree_children_length(tree.get());
            children.insert(children.end(), listed, listed + std::max(count, 0));
        }
        if (found.size() + children.size() > strutSearchLimit) {
            children.resize(strutSearchLimit - std::min(found.size(), strutSearchLimit));
        }
        std::vector<xcb_get_window_attributes_cookie_t> attributes;
        for (const xcb_window_t child : children) {
            attributes.push_back(xcb_get_window_attributes(connection_.get(), child));
        }
        level.clear();
        for (std::size_t i = 0; i < children.size(); ++i) {
            auto state = connection_.await<xcb_get_window_attributes_reply_t>(
                attributes[i].sequence, deadline.remaining());
            if (state && state->map_state == XCB_MAP_STATE_VIEWABLE) {
                found.push_back(children[i]);
                level.push_back(children[i]);
            }
        }
    }
    return found;
}

std::optional<X11Screens::Strut> X11Screens::workAreaStrut(const Deadline& deadline) {
    const auto& atoms = connection_.atoms();
    const auto check = connection_.cardinals(
        connection_.requestProperty(connection_.root(), atoms.netSupportingWmCheck, 1),
        deadline.remaining());
    if (!check || check->empty()) {
        return std::nullopt;
    }
    const xcb_atom_t nameAtom = connection_.existingAtom("_NET_WM_NAME", deadline.remaining());
    if (nameAtom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const auto wmName = connection_.await<xcb_get_property_reply_t>(
        connection_.requestProperty(check->front(), nameAtom, 16).sequence, deadline.remaining());
    if (!wmName) {
        return std::nullopt;
    }
    const std::string manager(
        static_cast<const char*>(xcb_get_property_value(wmName.get())),
        static_cast<std::size_t>(std::max(xcb_get_property_value_length(wmName.get()), 0)));
    if (manager.rfind("IceWM", 0) != 0) {
        return std::nullopt;
    }
    const auto area =
        connection_.cardinals(connection_.requestProperty(connection_.root(), atoms.netWorkarea, 4),
                              deadline.remaining());
    if (!area || area->size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t rootWidth = connection_.screen().width_in_pixels;
    const std::uint32_t rootHeight = connection_.screen().height_in_pixels;
    const std::uint32_t x = std::min((*area)[0], rootWidth), y = std::min((*area)[1], rootHeight);
    const std::uint32_t right = rootWidth - std::min(rootWidth, x + (*area)[2]);
    const std::uint32_t bottom = rootHeight - std::min(rootHeight, y + (*area)[3]);
    // Along the whole length of each edge, as a plain strut.
    return Strut{x, right,          y, bottom,        0, rootHeight - 1,
                 0, rootHeight - 1, 0, rootWidth - 1, 0, rootWidth - 1};
}

X11Screens::Reservations X11Screens::reservations(xcb_get_property_cookie_t clientList) {
    {
        std::lock_guard lock(mutex_);
        if (reservations_) {
            xcb_discard_reply(connection_.get(), clientList.sequence);
            return *reservations_;
        }
    }
    std::vector<xcb_window_t> holders;
    Reservations read{queryStruts(clientList, &holders), queryWorkAreas()};
    std::lock_guard lock(mutex_);
    if (watched_) {
        reservations_ = read;
        // A panel that changes its strut or goes away changes the visible frames.
        for (const xcb_window_t window : holders) {
            if (strutWindows_.insert(window).second) {
                events_->listenOn(window,
                                  XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            }
        }
    }
    return read;
}

std::vector<Rect> X11Screens::queryWorkAreas() {
    const Deadline deadline(queryTimeout);
    const auto desktop = connection_.cardinals(
        connection_.requestProperty(connection_.root(), connection_.atoms().netCurrentDesktop, 1),
        deadline.remaining());
    const std::string name =
        "_GTK_WORKAREAS_D" + std::to_string(desktop && !desktop->empty() ? desktop->front() : 0);
    const xcb_atom_t atom = connection_.existingAtom(name, deadline.remaining());
    if (atom == XCB_ATOM_NONE) {
        return {};
    }
    const auto values = connection_.cardinals(
        connection_.requestProperty(connection_.root(), atom, 4 * maxWorkAreas),
        deadline.remaining());
    std::vector<Rect> areas;
    for (std::size_t i = 0; values && i + 3 < values->size(); i += 4) {
        areas.push_back({static_cast<double>((*values)[i]), static_cast<double>((*values)[i + 1]),
                         static_cast<double>((*values)[i + 2]),
                         static_cast<double>((*values)[i + 3])});
    }
    return areas;
}

Rect X11Screens::insideWorkArea(const Rect& visible, const Rect& monitor,
                                const std::vector<Rect>& workAreas) {
    const Rect* best = nullptr;
    double bestOverlap = 0;
    for (const Rect& area : workAreas) {
        if (const double overlap = overlapArea(area, monitor); overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &area;
        }
    }
    if (best == nullptr) {
        return visible;
    }
    const double left = std::max(visible.minX(), best->minX());
    const double top = std::max(visible.minY(), best->minY());
    const double right = std::min(visible.maxX(), best->maxX());
    const double bottom = std::min(visible.maxY(), best->maxY());
    return {left, top, std::max(right - left, 0.0), std::max(bottom - top, 0.0)};
}

std::vector<X11Screens::Strut> X11Screens::queryStruts(xcb_get_property_cookie_t clientList,
                                                       std::vector<xcb_window_t>* holders) {
    // However many windows there are, reading their struts is one operation with one deadline:
    // what has not come by then is left out.
    const Deadline deadline(queryTimeout);
    const auto& atoms = connection_.atoms();
    const auto clients = connection_.cardinals(clientList, deadline.remaining());
    std::set<xcb_window_t> candidates;
    if (clients) {
        candidates.insert(clients->begin(), clients->end());
    }
    for (const xcb_window_t window : viewableWindowsNearTheRoot(deadline)) {
        candidates.insert(window);
    }
    struct Questions {
        xcb_window_t window;
        xcb_get_property_cookie_t partial, plain, pid;
    };
    std::vector<Questions> cookies;
    for (const std::uint32_t window : candidates) {
        cookies.push_back({window, connection_.requestProperty(window, atoms.netWmStrutPartial, 12),
                           connection_.requestProperty(window, atoms.netWmStrut, 4),
                           connection_.requestProperty(window, atoms.netWmPid, 1)});
    }
    const double rootWidth = connection_.screen().width_in_pixels;
    const double rootHeight = connection_.screen().height_in_pixels;
    const auto ownPid = static_cast<std::uint32_t>(getpid());
    std::vector<Strut> struts;
    for (const auto& [window, partialCookie, plainCookie, pidCookie] : cookies) {
        const auto partial = connection_.cardinals(partialCookie, deadline.remaining());
        const auto plain = connection_.cardinals(plainCookie, deadline.remaining());
        const auto pid = connection_.cardinals(pidCookie, deadline.remaining());
        if (pid && !pid->empty() && pid->front() == ownPid) {
            continue; // Panemark's own windows never take room from the screen
        }
        const bool hasPartial = partial && partial->size() >= 12;
        const bool hasPlain = plain && plain->size() >= 4;
        if ((hasPartial || hasPlain) && holders) {
            holders->push_back(window);
        }
        if (hasPartial) {
            Strut strut{};
            std::copy_n(partial->begin(), 12, strut.begin());
            struts.push_back(strut);
        } else if (hasPlain) {
            // The whole length of each edge.
            const auto w = static_cast<std::uint32_t>(rootWidth - 1);
            const auto h = static_cast<std::uint32_t>(rootHeight - 1);
            struts.push_back(
                {(*plain)[0], (*plain)[1], (*plain)[2], (*plain)[3], 0, h, 0, h, 0, w, 0, w});
        }
    }
    if (const std::optional<Strut> confined = workAreaStrut(deadline)) {
        struts.push_back(*confined);
    }
    return struts;
}

X11Screens::Identity X11Screens::identify(const Monitor& monitor) {
    const auto key = std::make_pair(monitor.name, monitor.output.value_or(0));
    {
        std::lock_guard lock(mutex_);
        if (auto found = identities_.find(key); found != identities_.end()) {
            return found->second;
        }
    }
    const Deadline deadline(queryTimeout);
    const std::string monitorName = monitor.name == XCB_ATOM_NONE
                                        ? "Screen"
                                        : connection_.atomName(monitor.name, deadline.remaining());
    std::string connector;
    std::string connectorType;
    std::optional<Edid> edid;
    if (monitor.output) {
        const auto infoCookie =
            xcb_randr_get_output_info(connection_.get(), *monitor.output, XCB_CURRENT_TIME);
        const auto edidCookie =
            xcb_randr_get_output_property(connection_.get(), *monitor.output,
                                          connection_.atoms().edid, XCB_ATOM_ANY, 0, 64, 0, 0);
        const xcb_atom_t connectorTypeAtom =
            connection_.existingAtom("ConnectorType", deadline.remaining());
        const auto typeCookie = xcb_randr_get_output_property(
            connection_.get(), *monitor.output, connectorTypeAtom, XCB_ATOM_ATOM, 0, 1, 0, 0);
        if (auto info = connection_.await<xcb_randr_get_output_info_reply_t>(
                infoCookie.sequence, deadline.remaining())) {
            connector.assign(
                reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
        }
        if (auto property = connection_.await<xcb_randr_get_output_property_reply_t>(
                edidCookie.sequence, deadline.remaining())) {
            edid = Edid::parse({xcb_randr_get_output_property_data(property.get()),
                                static_cast<std::size_t>(
                                    xcb_randr_get_output_property_data_length(property.get()))});
        }
        // Asked even when the atom is unknown (then the server says there is no such property).
        if (auto property = connection_.await<xcb_randr_get_output_property_reply_t>(
                typeCookie.sequence, deadline.remaining());
            property && property->format == 32 &&
            xcb_randr_get_output_property_data_length(property.get()) >= 4) {
            xcb_atom_t type = XCB_ATOM_NONE;
            std::memcpy(&type, xcb_randr_get_output_property_data(property.get()), sizeof type);
            connectorType = connection_.atomName(type, deadline.remaining());
        }
    }
    Identity identity;
    identity.isBuiltIn = isBuiltIn(connector, connectorType);
    identity.name = edid && !edid->displayName.empty() ? edid->displayName
                    : !connector.empty()               ? connector
                                                       : monitorName;
    identity.uuid = ScreenIdentity::uuidFor(edid ? edid->identity() : "monitor:" + monitorName);
    if (edid && edid->identityWithSerialText()) {
        identity.distinctUuid = ScreenIdentity::uuidFor(*edid->identityWithSerialText());
    }
    std::lock_guard lock(mutex_);
    identities_[key] = identity;
    return identity;
}

Screen X11Screens::describe(const Monitor& monitor, const Monitor& primary,
                            const Reservations& reservations) {
    const double rootWidth = connection_.screen().width_in_pixels;
    const double rootHeight = connection_.screen().height_in_pixels;
    auto toWindowSpace = [&primary](const Rect& root) {
        return Rect{root.x - primary.frame.x, root.y - primary.frame.y, root.width, root.height};
    };
    const Identity identity = identify(monitor);
    Screen screen;
    screen.frame = toWindowSpace(monitor.frame);
    const Rect visible = visibleArea(monitor.frame, reservations.struts, rootWidth, rootHeight);
    screen.visibleFrame =
        toWindowSpace(insideWorkArea(visible, monitor.frame, reservations.workAreas));
    screen.displayNumber = monitor.output.value_or(monitor.name);
    screen.name = identity.name;
    screen.isBuiltIn = identity.isBuiltIn;
    screen.uuid = identity.uuid;
    return screen;
}

std::vector<Screen> X11Screens::screens() {
    {
        std::lock_guard lock(mutex_);
        if (screens_) {
            return *screens_;
        }
    }
    // The client list travels with the monitors' request: one round trip less per command.
    const xcb_get_property_cookie_t clientList = requestClientList();
    const std::vector<Monitor> monitors = queryMonitors();
    const Reservations known = reservations(clientList);
    std::vector<Screen> result;
    std::vector<std::string> uuids;
    std::vector<std::optional<std::string>> distinctUuids;
    for (const Monitor& monitor : monitors) {
        result.push_back(describe(monitor, monitors.front(), known));
        uuids.push_back(result.back().uuid);
        distinctUuids.push_back(identify(monitor).distinctUuid);
    }
    separateTwins(uuids, distinctUuids);
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i].uuid = uuids[i];
    }
    std::lock_guard lock(mutex_);
    if (watched_) {
        screens_ = result;
    }
    return result;
}

std::optional<Screen> X11Screens::mainScreen() {
    const xcb_get_property_cookie_t clientList = requestClientList();
    const std::vector<Monitor> monitors = queryMonitors();
    std::size_t chosen = 0; // the primary, unless the focus or the pointer says otherwise
    std::optional<Rect> focus;
    if (auto window = connection_.focusedWindow(queryTimeout)) {
        focus = connection_.outerFrame(*window, queryTimeout);
    }
    if (!focus) {
        auto pointer = connection_.await<xcb_query_pointer_reply_t>(
            xcb_query_pointer(connection_.get(), connection_.root()).sequence, queryTimeout);
        if (pointer) {
            focus = Rect{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y),
                         1, 1};
        }
    }
    if (focus) {
        double best = 0;
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (const double area = overlapArea(monitors[i].frame, *focus); area > best) {
                best = area;
                chosen = i;
            }
        }
    }
    return describe(monitors[chosen], monitors.front(), reservations(clientList));
}

Subscription X11Screens::onScreensChanged(std::function<void()> callback) {
    return changed_.connect([callback = std::move(callback)] { callback(); });
}

void X11Screens::watch(X11EventSource& events) {
    X11Connection& watched = events.connection();
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(watched.get(), &xcb_randr_id);
    if (randr && randr->present) {
        randrEventBase_ = randr->first_event;
        xcb_randr_select_input(
            watched.get(), watched.root(),
            XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    }
    // Editing RandR monitors sends only a ConfigureNotify of the root. Panels and docks come
    // and go with the client list, and the window manager recomputes its work area whenever
    // a strut changes.
    events.listenOnRoot(XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    const bool haveRandr = randr && randr->present;
    const xcb_window_t root = watched.root();
    const xcb_atom_t clientList = connection_.atoms().netClientList;
    const xcb_atom_t workArea = connection_.atoms().netWorkarea;
    const xcb_atom_t currentDesktop = connection_.atoms().netCurrentDesktop;
    const xcb_atom_t strutPartial = connection_.atoms().netWmStrutPartial;
    const xcb_atom_t strut = connection_.atoms().netWmStrut;
    {
        std::lock_guard lock(mutex_);
        watched_ = true;
        events_ = &events;
    }
    eventSubscription_ =
        events.subscribe([this, haveRandr, root, clientList, workArea, currentDesktop, strutPartial,
                          strut](const xcb_generic_event_t& event) {
            const std::uint8_t type = event.response_type & 0x7F;
            const bool rootConfigured =
                type == XCB_CONFIGURE_NOTIFY &&
                reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == root;
            const bool randrChanged =
                haveRandr && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                              type == randrEventBase_ + XCB_RANDR_NOTIFY);
            if (type == XCB_UNMAP_NOTIFY || type == XCB_DESTROY_NOTIFY) {
                // Only the panels' own windows report these: the root is not asked for them.
                const xcb_window_t window =
                    type == XCB_UNMAP_NOTIFY
                        ? reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window
                        : reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
                std::lock_guard lock(mutex_);
                if (strutWindows_.count(window) != 0) {
                    if (type == XCB_DESTROY_NOTIFY) {
                        strutWindows_.erase(window);
                    }
                    screens_.reset();
                    reservations_.reset();
                }
            }
            if (type == XCB_PROPERTY_NOTIFY) {
                const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
                const bool strutChanged = property.atom == strutPartial || property.atom == strut;
                // The window manager sets its per-monitor work areas along with _NET_WORKAREA.
                const bool rootChanged = property.atom == clientList || property.atom == workArea ||
                                         property.atom == currentDesktop;
                if ((property.window == root && rootChanged) ||
                    (property.window != root && strutChanged)) {
                    std::lock_guard lock(mutex_);
                    screens_.reset(); // the visible frames may have changed; the screens have not
                    reservations_.reset();
                }
            }
            if (rootConfigured || randrChanged) {
                forgetScreens();
                changed_.emit();
            }
        });
}

void X11Screens::forgetScreens() {
    std::lock_guard lock(mutex_);
    primaryOrigin_.reset();
    identities_.clear();
    screens_.reset();
    reservations_.reset();
}

std::pair<double, double> X11Screens::primaryOrigin() {
    {
        std::lock_guard lock(mutex_);
        if (primaryOrigin_) {
            return *primaryOrigin_;
        }
    }
    const auto monitors = queryMonitors();
    return {monitors.front().frame.x, monitors.front().frame.y};
}

} // namespace panemark
