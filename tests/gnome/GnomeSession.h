#pragma once

#include "../support/HeadlessSession.h"

#include <optional>
#include <string>

namespace panemark {

// A headless GNOME Shell (Wayland, no X11) of the test's own: two 1280 × 800 monitors side by
// side, the top bar on the left one. Before the shell starts, Panemark's extension is set up
// with `panemark setup gnome-shell` from the clean home, and a test extension beside it leaves
// the overview the shell opens at start and reports the windows' frames (see HeadlessSession)
// and each monitor's usable area. Keys go in through mutter's remote-desktop service.
// GNOME Shell needs a system bus as well: it gets one of its own.
class GnomeSession : public HeadlessSession {
public:
    // `layouts` are the input sources' keyboard layouts ("fr,de"); the first is active. Empty:
    // the system's default.
    // `monitorSize` is each of the two virtual monitors' ("1280x800"); mutter scales only a
    // monitor that stays at least 800 × 480 points.
    // `logicalLayout` turns on mutter's fractional scaling (scale-monitor-framebuffer): monitors
    // are then laid out in points.
    explicit GnomeSession(const std::string& layouts = "",
                          const std::string& monitorSize = "1280x800", bool logicalLayout = false);
    ~GnomeSession() override;

    std::map<std::string, std::string> environment() const override;
    // What `panemark setup gnome-shell` printed.
    const std::string& setupOutput() const { return setupOutput_; }

    bool press(unsigned evdevCode, const std::vector<std::string>& modifiers) override;
    // Presses Panemark's top-bar button (through the test extension: a virtual pointer's clicks
    // do not reach a headless shell's top bar).
    bool pressPanemarkButton();
    // Replaces the input sources, as GNOME's keyboard settings do, and waits until the shell
    // has made the first one active.
    bool setLayouts(const std::string& layouts);
    // Gives the two monitors these scales, side by side, as GNOME's display settings do (for
    // this session only); an error in words, empty when mutter took them.
    std::string setMonitorScales(double left, double right);
    // Waits until the shell has reported no change of the work areas for a second (a change of
    // scale moves them more than once); whether they settled within 10 s.
    bool waitForSettledAreas();
    // Saves a picture of both monitors as build/screenshots/<name>.png.
    bool screenshot(const std::string& name);
    // A monitor's usable area as the shell reports it (the top bar left out).
    std::optional<Rect> usableArea(int monitor);
    // Where the top bar's Panemark button is (its centre).
    std::optional<std::pair<int, int>> panemarkButton();

private:
    std::filesystem::path compositorLog() const override { return root_ / "gnome-shell.log"; }
    void installTestExtension();
    void writeInputSources(const std::string& layouts);

    std::string waylandDisplay_;
    std::string systemBusAddress_;
    std::string setupOutput_;
    pid_t systemBus_ = -1;
    pid_t shell_ = -1;
};

} // namespace panemark
