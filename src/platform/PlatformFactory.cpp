#include "platform/PlatformFactory.h"

#include "platform/gnome/GnomePlatform.h"
#include "platform/gnome/GnomeShellDesktopSetup.h"
#include "platform/i3/I3Platform.h"
#include "platform/kwin/KWinPlatform.h"
#include "platform/linux/SysfsKeyboards.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sway/SwayPlatform.h"
#include "platform/x11/X11Platform.h"
#include "platform/xdg/XdgAutostartItem.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace panemark {

namespace {

std::string supported() {
    return "Panemark supports GNOME on Wayland (gnome), KDE Plasma on Wayland (kwin), sway "
           "(sway), i3 (i3), other X11 window managers (x11) and a simulated desktop (sim)";
}

bool contains(const std::string& list, const char* name) {
    std::string lowered = list;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered.find(name) != std::string::npos;
}

// The Wayland desktop of a session, by the variables its compositor sets.
std::string waylandDesktop(const PlatformFactory::Environment& environment) {
    const std::string desktop = environment("XDG_CURRENT_DESKTOP");
    if (!environment("SWAYSOCK").empty() || contains(desktop, "sway")) {
        return "sway";
    }
    if (contains(desktop, "gnome")) {
        return "GNOME";
    }
    if (contains(desktop, "kde")) {
        return "KDE Plasma";
    }
    return desktop.empty() ? "a Wayland desktop" : desktop;
}

} // namespace

const std::vector<std::string>& PlatformFactory::backendNames() {
    static const std::vector<std::string> names{"x11", "gnome", "kwin", "sway", "i3", "sim"};
    return names;
}

std::unique_ptr<DesktopSetup> PlatformFactory::desktopSetup(const std::string& name) {
    if (name == "gnome-shell") {
        return std::make_unique<GnomeShellDesktopSetup>();
    }
    return nullptr;
}

std::optional<std::string> PlatformFactory::windowSystemFor(const std::string& backend) {
    // On sway and Plasma a Wayland client's, X11 (Xwayland) only where Wayland fails: a session
    // without Xwayland has no X display at all. Elsewhere Qt's own choice stands.
    if (backend == "sway" || backend == "kwin") {
        return "wayland;xcb";
    }
    return std::nullopt;
}

Result<std::string> PlatformFactory::choose(const std::optional<std::string>& requested,
                                            const Environment& environment) {
    const std::string named = requested ? *requested : environment("PANEMARK_BACKEND");
    if (!named.empty()) {
        if (std::find(backendNames().begin(), backendNames().end(), named) ==
            backendNames().end()) {
            return Error{"there is no backend \"" + named + "\"; " + supported()};
        }
        return named;
    }
    // Wayland first: its sessions often run an X server for older programs as well, whose
    // windows are not the ones the user works in.
    if (environment("XDG_SESSION_TYPE") == "wayland" || !environment("WAYLAND_DISPLAY").empty()) {
        const std::string desktop = waylandDesktop(environment);
        if (desktop == "sway") {
            return std::string("sway");
        }
        if (desktop == "KDE Plasma") {
            return std::string("kwin");
        }
        if (desktop == "GNOME") {
            return std::string("gnome");
        }
        return Error{"this is " + desktop + " on Wayland, which Panemark cannot drive yet; " +
                     supported()};
    }
    if (!environment("DISPLAY").empty()) {
        const bool i3 =
            !environment("I3SOCK").empty() || contains(environment("XDG_CURRENT_DESKTOP"), "i3");
        return std::string(i3 ? "i3" : "x11");
    }
    return Error{"found no desktop (neither DISPLAY nor WAYLAND_DISPLAY is set); " + supported()};
}

namespace {

// A backend's own opening, as the seam's type.
template <class Backend>
Result<std::unique_ptr<Platform>> asPlatform(Result<std::unique_ptr<Backend>> opened) {
    if (!opened) {
        return Error{opened.error()};
    }
    return std::unique_ptr<Platform>(std::move(opened).value());
}

Result<std::unique_ptr<Platform>> openBackend(Scheduler& mainLoop, const std::string& backend,
                                              const PlatformFactory::Environment& environment) {
    if (backend == "sway") {
        const std::string socket = environment("SWAYSOCK");
        if (socket.empty()) {
            return Error{"sway names no IPC socket ($SWAYSOCK is not set)"};
        }
        return asPlatform(SwayPlatform::open(mainLoop, socket));
    }
    if (backend == "gnome") {
        return asPlatform(GnomePlatform::open(mainLoop));
    }
    if (backend == "kwin") {
        return asPlatform(KWinPlatform::open(mainLoop));
    }
    if (backend == "i3") {
        return asPlatform(I3Platform::open(mainLoop, environment("I3SOCK")));
    }
    if (backend == "sim") {
        return asPlatform(SimPlatform::open(mainLoop));
    }
    return asPlatform(X11Platform::open(mainLoop));
}

} // namespace

Result<std::unique_ptr<Platform>> PlatformFactory::open(Scheduler& mainLoop,
                                                        const std::string& backend) {
    Result<std::unique_ptr<Platform>> opened = openBackend(mainLoop, backend, processEnvironment());
    // What every Linux desktop has alike, built here once for whichever backend opened (the
    // simulated desktop keeps its stand-ins).
    if (opened && backend != "sim") {
        opened.value()->useSystemServices(
            std::make_unique<XdgAutostartItem>(XdgAutostartItem::forThisProgram()),
            SysfsKeyboards::forThisSystem());
    }
    return opened;
}

Result<std::unique_ptr<Platform>>
PlatformFactory::open(Scheduler& mainLoop, const std::optional<std::string>& requested) {
    Result<std::string> backend = choose(requested, processEnvironment());
    if (!backend) {
        return Error{backend.error()};
    }
    return open(mainLoop, backend.value());
}

PlatformFactory::Environment PlatformFactory::processEnvironment() {
    return [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
}

} // namespace panemark
