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

// What the tests' headless desktops (KWin, GNOME Shell) share: a folder of their own with a
// runtime folder and a home, a session bus of their own, programs started in the session with
// its environment (each in a process group of its own, all stopped at the end), and the frames
// that a test script inside the compositor prints into the compositor's log, one line per change:
// "panemark-test-frame CAPTION|X|Y|WIDTH|HEIGHT|ACTIVE". Frames are thus read as the compositor
// sees them, not through Panemark.
class HeadlessSession {
public:
    virtual ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    bool ready() const { return ready_; }
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& home() const { return home_; }
    virtual std::map<std::string, std::string> environment() const;

    // Starts a program in the session; its output goes to outputFile when one is named.
    pid_t spawn(const std::vector<std::string>& argv, const std::string& outputFile = "");
    // Runs a program in the session to its end (at most 30 s): its exit status and output.
    std::pair<int, std::string> run(const std::vector<std::string>& argv);
    // Presses a key (evdev code) as a keyboard does, modifiers held around it.
    virtual bool press(unsigned evdevCode, const std::vector<std::string>& modifiers) = 0;
    // Opens the tests' plain window (another program's, a Wayland client) and waits until it
    // is active; whether it became so.
    bool openWaylandWindow(const std::string& title);
    // What the Panemark started with its output in the home's panemark.log wrote there.
    std::string panemarkLog() const;
    // A D-Bus method call on the session's bus through dbus-send; its printed reply.
    std::string call(const std::string& destination, const std::string& path,
                     const std::string& method, const std::vector<std::string>& arguments = {});

    // The frame the compositor last reported for the window with this caption, and whether it
    // is active.
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
    // Presses a combination until that window's frame is `frame` (at most `seconds`): what
    // binds it (a compositor's helper loaded again, an extension turned back on) may still be
    // starting. The command must land the same however often it runs.
    bool pressUntilFrame(const std::string& caption, unsigned evdevCode,
                         const std::vector<std::string>& modifiers, const Rect& frame,
                         double seconds);

protected:
    // kind names the folder ("kwin", "gnome").
    explicit HeadlessSession(const std::string& kind);
    pid_t start(const std::vector<std::string>& argv, const std::string& outputFile);
    // Stops every program spawned in the session (a compositor's clients before it).
    void stopPrograms();
    // Where the compositor writes what the test script prints.
    virtual std::filesystem::path compositorLog() const = 0;

    std::filesystem::path root_;
    std::filesystem::path runtime_;
    std::filesystem::path home_;
    std::string busAddress_;
    std::string unique_; // this session's part of names: "<pid>-<n>"
    bool ready_ = false;
    std::string problem_;

private:
    pid_t bus_ = -1;
    std::vector<pid_t> children_;
};

} // namespace panemark
