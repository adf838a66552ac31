#pragma once

#include "base/Deadline.h"
#include "base/Signal.h"
#include "platform/ScreenService.h"
#include "platform/x11/X11Connection.h"

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <xcb/randr.h>

namespace panemark {

class X11EventSource;

// Screens from RandR monitors, primary first. A monitor's visible frame leaves out the struts
// of panels and docks that touch its edges (a root-wide work area is wrong with two monitors).
class X11Screens : public ScreenService {
public:
    // One reserved strip of the root window, as _NET_WM_STRUT_PARTIAL gives it: left, right,
    // top, bottom widths, then the start and end of each along its edge.
    using Strut = std::array<std::uint32_t, 12>;

    explicit X11Screens(X11Connection& connection);

    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    Subscription onScreensChanged(std::function<void()> callback) override;

    // Screen changes are announced from now on, from the events of this source; while
    // watched, the screen list is kept between changes instead of asked for every time.
    void watch(X11EventSource& events);

    // The primary monitor's top-left in root coordinates: the origin of window space.
    std::pair<double, double> primaryOrigin();

    // The part of monitor (root coordinates) that the struts leave free. A strut counts for a
    // monitor when its inner edge falls inside the monitor and their extents along the edge meet.
    static Rect visibleArea(const Rect& monitor, const std::vector<Strut>& struts, double rootWidth,
                            double rootHeight);
    // The visible area cut down to the work area the window manager gives the monitor, when it
    // gives one per monitor (_GTK_WORKAREAS: muffin and mutter, whose own panels are no windows
    // and have no struts): the one that covers most of the monitor.
    static Rect insideWorkArea(const Rect& visible, const Rect& monitor,
                               const std::vector<Rect>& workAreas);
    // A laptop's own panel: by RandR's ConnectorType ("Panel") where the driver gives one, else
    // by the connector's name (eDP, LVDS, DSI).
    static bool isBuiltIn(const std::string& connector, const std::string& connectorType);
    // Monitors that would share a UUID take their told-apart one where they have it; every
    // other keeps its own, so what stored triggers name stays true.
    static void separateTwins(std::vector<std::string>& uuids,
                              const std::vector<std::optional<std::string>>& distinctUuids);

private:
    struct Monitor {
        Rect frame; // root coordinates
        bool primary = false;
        xcb_atom_t name = XCB_ATOM_NONE;
        std::optional<xcb_randr_output_t> output;
    };
    // Who a monitor is: looked up once (names, EDID), until the screens change.
    struct Identity {
        std::string name;
        bool isBuiltIn = false;
        std::string uuid;
        // For two connected units that share uuid: one told apart by the EDID's serial text.
        std::optional<std::string> distinctUuid;
    };

    // What takes room from the monitors: the struts of panels and docks, and the window
    // manager's own work areas per monitor where it says them.
    struct Reservations {
        std::vector<Strut> struts;
        std::vector<Rect> workAreas;
    };

    std::vector<Monitor> queryMonitors();
    xcb_get_property_cookie_t requestClientList();
    // The struts of every window that has one, and which windows those are.
    std::vector<Strut> queryStruts(xcb_get_property_cookie_t clientList,
                                   std::vector<xcb_window_t>* holders = nullptr);
    // The work areas of the current desktop, one per monitor, where the manager says them.
    std::vector<Rect> queryWorkAreas();
    // Struts and work areas as last read, until something that may change them happens.
    Reservations reservations(xcb_get_property_cookie_t clientList);
    // Viewable windows near the top of the tree, where panels live: a window manager's own
    // panel is neither a child of the root nor a listed client.
    std::vector<xcb_window_t> viewableWindowsNearTheRoot(const Deadline& deadline);
    // A window manager that keeps every window inside its one work area, whatever monitor it is
    // on (icewm), makes that work area a strut of its own; none for the others.
    std::optional<Strut> workAreaStrut(const Deadline& deadline);
    Identity identify(const Monitor& monitor);
    Screen describe(const Monitor& monitor, const Monitor& primary,
                    const Reservations& reservations);
    void forgetScreens();

    X11Connection& connection_;
    bool hasMonitors_ = false;
    std::uint8_t randrEventBase_ = 0;
    std::mutex mutex_; // guards the two caches
    std::optional<std::pair<double, double>> primaryOrigin_;
    std::map<std::pair<xcb_atom_t, std::uint32_t>, Identity> identities_;
    bool watched_ = false;
    std::optional<std::vector<Screen>> screens_;
    std::optional<Reservations> reservations_;
    X11EventSource* events_ = nullptr;    // set by watch()
    std::set<xcb_window_t> strutWindows_; // whose changes are followed
    Signal<> changed_;
    Subscription eventSubscription_;
};

} // namespace panemark
