#pragma once

#include "../support/HeadlessSession.h"

#include <string>

namespace panemark {

// A headless KWin (Wayland, with Xwayland) of the test's own: two 1280 × 800 outputs side by
// side. A test script loaded into KWin reports the windows' frames (see HeadlessSession). Keys
// and the pointer go in through KWin's fake input.
class KWinSession : public HeadlessSession {
public:
    // `layouts` is Plasma's list of keyboard layouts ("fr,de"); the first is active. Empty: the
    // system's default.
    // `scale`, when given, is every output's ("2", "1.5"); the outputs are then 1440 × 900
    // pixels, whole points at either scale.
    // `start` later: the session and its bus are there, KWin is not until startCompositor().
    // `restartable`: through kwin_wayland_wrapper, as Plasma 6 starts it, which keeps the
    // Wayland socket and starts KWin again when it ends; restartCompositor() then ends it.
    enum class Start { now, later, restartable };
    explicit KWinSession(const std::string& layouts = "", const std::string& scale = "",
                         Start start = Start::now);
    // Starts KWin in a session made to start later; whether it came up.
    bool startCompositor();
    // Ends KWin as a crash does, in a restartable session, and waits until the wrapper has
    // started it again and it answers on the bus; whether it did.
    bool restartCompositor();
    ~KWinSession() override;

    // Xwayland's display (":1").
    const std::string& xDisplay() const { return xDisplay_; }
    std::map<std::string, std::string> environment() const override;

    // Presses a key (evdev code), modifiers held around it.
    bool press(unsigned evdevCode, const std::vector<std::string>& modifiers) override;
    // Saves a picture of both outputs as build/screenshots/<name>.png (the tests' build only).
    bool screenshot(const std::string& name);
    // Moves the pointer to a point in KWin's global coordinates.
    bool movePointer(int x, int y);
    // Switches to the layout at that index of the list, as Plasma's layout switcher does.
    bool switchLayout(unsigned index);
    // Replaces the list of layouts, as Plasma's keyboard settings do; the first is active.
    bool setLayouts(const std::string& layouts);
    // Changes the outputs as Plasma's display settings do, through kscreen-doctor
    // ("output.Virtual-0.scale.2", "output.Virtual-1.disable"): an error in words, empty when
    // KWin took it.
    std::string configureOutputs(const std::string& setting);
    // The enabled outputs' names, from left to right.
    std::vector<std::string> outputNames();
    // Every screen's usable area as KWin last reported them with `docks` docks managed.
    std::vector<Rect> usableAreas(int docks);
    // A screen's usable area as KWin gives maximized windows, once KWin manages `docks` docks.
    std::optional<Rect> usableArea(int screen, int docks);

private:
    std::filesystem::path compositorLog() const override { return root_ / "kwin.log"; }
    bool loadFrameReporter();

    std::string scale_;
    bool wrapped_ = false;
    std::string waylandDisplay_;
    std::string xDisplay_;
    pid_t kwin_ = -1;
};

} // namespace panemark
