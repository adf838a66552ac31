#pragma once

#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace panemark {

// A headless sway of the test's own with two outputs (1280 × 800 at the origin, 1024 × 768 to
// its right) and a bar on each. sway refuses to run as root, so under root it runs as nobody,
// and so do the programs the test starts in it (Panemark among them), with the session's
// environment and a runtime folder and home of their own; the test itself reads sway's state
// over its socket. Everything it started is stopped in the destructor.
class SwaySession {
public:
    SwaySession();
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    bool ready() const { return ready_; }
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& home() const { return home_; }
    const std::string& socketPath() const { return swaySocket_; }
    const std::string& waylandDisplay() const { return waylandDisplay_; }

    // A program of the build that the session's user can run: the build folder may be closed to
    // others (a clone under /root), so under root the program is copied into the session's own
    // folder first.
    std::string program(const std::string& path);
    // Starts a program in the session; its output goes to outputFile when one is named.
    pid_t spawn(const std::vector<std::string>& argv, const std::string& outputFile = "");
    // Runs a program in the session to its end (at most 30 s): its exit status and output.
    std::pair<int, std::string> run(const std::vector<std::string>& argv);
    // Presses a key as a keyboard with the standard keymap does, modifiers held around it.
    bool press(unsigned evdevCode, const std::vector<std::string>& modifiers);
    // The keyboard's layouts from the next press on ("us,ru"), the one at `active` in use.
    void setKeyboardLayout(const std::string& layouts, unsigned active = 0) {
        keyboardLayouts_ = layouts;
        activeLayout_ = active;
    }

    // Writes sway's configuration again with these lines added, and has sway read it anew
    // (`swaymsg reload`): sway's reply.
    std::string reloadConfig(const std::string& extraLines = "");

    // A request to sway's IPC.
    std::string ask(std::uint32_t type, const std::string& payload = "");
    // The focused window as sway reports it, once it is there.
    std::optional<I3IpcReplies::Window> focusedWindow();
    // Waits until the focused window's outer frame is `frame` and has held for a moment; the last
    // one seen otherwise.
    std::optional<Rect> waitForFrame(const Rect& frame, double seconds = 5);

private:
    static constexpr const char* baseConfig = "output HEADLESS-1 mode 1280x800 position 0 0\n"
                                              "output HEADLESS-2 mode 1024x768 position 1280 0\n"
                                              "bar {\n    position top\n    status_command "
                                              "true\n}\n";

    std::string keyboardLayouts_ = "us";
    unsigned activeLayout_ = 0;
    std::map<std::string, std::string> environment() const;
    pid_t start(const std::vector<std::string>& argv, const std::string& outputFile,
                bool asSessionUser);

    std::filesystem::path root_;
    std::filesystem::path runtime_;
    std::filesystem::path home_;
    std::string waylandDisplay_;
    std::string swaySocket_;
    pid_t sway_ = -1;
    std::vector<pid_t> children_;
    std::unique_ptr<I3IpcClient> ipc_;
    bool ready_ = false;
    std::string problem_;
};

} // namespace panemark
