#pragma once

#include "model/Rect.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace panemark {

// A private X display for tests: Xvfb on a free display number with openbox managing it,
// started in the constructor and stopped, by process id, in the destructor. $DISPLAY points at
// it meanwhile.
class XvfbSession {
public:
    // The window managers the tests run under: openbox, GNOME's classic manager (metacity),
    // Xfce's (xfwm4, on a D-Bus session of its own), icewm, which draws its taskbar inside its
    // own window tree, MATE's marco and Cinnamon itself (the shell is its window manager, built
    // on muffin, and draws its panel), each on a D-Bus session of its own as their sessions
    // give them; and i3, tiling, with two fake outputs side by side (the left one 1280 pixels
    // wide) and a bar on each.
    enum class WindowManager { openbox, metacity, xfwm4, icewm, marco, cinnamon, i3, none };
    static const char* nameOf(WindowManager manager);

    explicit XvfbSession(int width = 2560, int height = 1440,
                         WindowManager manager = WindowManager::openbox);
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    bool ready() const { return ready_; }
    const std::string& display() const { return display_; }
    const std::string& problem() const { return problem_; }

    static constexpr double runTimeoutSeconds = 30;

    // Runs a program on the display and waits for it (at most runTimeoutSeconds); true when it
    // exits with 0.
    bool run(const std::vector<std::string>& argv) const;
    // Reaps a child within the time given: its wait status, or none if it is still running.
    static std::optional<int> waitForExit(pid_t pid, double timeoutSeconds);
    // Starts a program on the display; its process id, stopped with the session. Its standard
    // output and error go to outputFile when one is named.
    pid_t spawn(const std::vector<std::string>& argv, const std::string& outputFile = "");

    // Stops the X server alone, as the end of a session does.
    void stopServer();

    // Two side-by-side monitors of half the screen each, L (primary) and R.
    bool splitIntoTwoMonitors() const;
    // Monitors of these sizes and places (root coordinates), the first primary, named M0, M1….
    bool splitIntoMonitors(const std::vector<Rect>& monitors) const;

    // Until a window manager started on the display manages new windows (thirty seconds at
    // most).
    bool waitForWindowManager() const;

private:
    std::string display_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
    pid_t server_ = -1;
    std::vector<pid_t> children_;
    bool ready_ = false;
    std::string problem_;
    // Cinnamon's own settings folder, apart from the user's and removed with the session.
    std::string settingsFolder_;
    int width_;
    int height_;
};

} // namespace panemark
