#pragma once

#include "model/Rect.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace panemark {

// A headless KWin (Wayland, with Xwayland) of the test's own: two 1280 × 800 outputs side by
// side, a session bus of its own, and a home, runtime folder and data folder of its own. A
// script of the test's reports every window's frame into KWin's log, so the test reads frames
// the way KWin sees them and not through Panemark. Everything it started is stopped in the
// destructor (each in a process group of its own).
class KWinSession {
public:
    KWinSession();
    ~KWinSession();
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

    bool ready() const { return ready_; }
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& home() const { return home_; }
    // Xwayland's display (":1").
    const std::string& xDisplay() const { return xDisplay_; }
    std::map<std::string, std::string> environment() const;

    // Starts a program in the session; its output goes to outputFile when one is named.
    pid_t spawn(const std::vector<std::string>& argv, const std::string& outputFile = "");
    // Runs a program in the session to its end (at most 30 s): its exit status and output.
    std::pair<int, std::string> run(const std::vector<std::string>& argv);
    // Presses a key (evdev code) through KWin's fake input, modifiers held around it.
    bool press(unsigned evdevCode, const std::vector<std::string>& modifiers);
    // Moves the pointer to a point in KWin's global coordinates.
    bool movePointer(int x, int y);
    // A D-Bus method call on the session's bus through dbus-send; its printed reply.
    std::string call(const std::string& destination, const std::string& path,
                     const std::string& method, const std::vector<std::string>& arguments = {});

    // The frame KWin last reported for the window with this caption, and whether it is active.
    struct Seen {
        Rect frame;
        bool active = false;
    };
    std::optional<Seen> window(const std::string& caption);
    // Waits until that window is active.
    bool waitForActive(const std::string& caption, double seconds = 10);
    // Waits until the window's frame is `frame` and has held for a moment; the last one seen
    // otherwise.
    std::optional<Rect> waitForFrame(const std::string& caption, const Rect& frame,
                                     double seconds = 5);

private:
    pid_t start(const std::vector<std::string>& argv, const std::string& outputFile);
    std::string kwinLog() const;
    bool loadFrameReporter();

    std::filesystem::path root_;
    std::filesystem::path runtime_;
    std::filesystem::path home_;
    std::string busAddress_;
    std::string waylandDisplay_ = "panemark-kwin-test";
    std::string xDisplay_;
    pid_t bus_ = -1;
    pid_t kwin_ = -1;
    std::vector<pid_t> children_;
    bool ready_ = false;
    std::string problem_;
};

} // namespace panemark
