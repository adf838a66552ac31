#pragma once

#include "base/ThreadScheduler.h"
#include "platform/WindowService.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcReplies.h"
#include "platform/i3ipc/I3IpcTree.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>

namespace panemark {

// Other applications' windows through the compositor's IPC: the focused one from its tree, and
// a frame written as one command that floats the window, sizes it, then places it (sizing
// second would move it, as the compositor keeps a window's centre when it resizes).
class I3IpcWindows : public WindowService {
public:
    // How windows are named and watched. sway's are named by their container; i3's, written on
    // behalf of the X11 side that reads them, by their X window (and i3 takes no late commits
    // for sizes, so there is nothing to look at again).
    struct Options {
        bool namedByXWindow = false;
        bool settleChecks = true;
    };

    explicit I3IpcWindows(I3IpcTree& tree) : I3IpcWindows(tree, Options{}) {}
    I3IpcWindows(I3IpcTree& tree, Options options);

    // Places a window, leaving full-screen first when it is.
    void place(WindowRef window, const Rect& frame, bool fullscreen, double timeout);

    std::optional<WindowRef> focusedWindow(double timeout) override;
    std::optional<Rect> readFrame(WindowRef window, double timeout) override;
    void writeFrame(WindowRef window, const Rect& frame, double timeout) override;
    // sway's tree shows no client's size limits (a Wayland client tells them to the compositor
    // alone), and sway applies them itself: any window is sized, and the placement's later
    // look finds where a client held to its own.
    std::optional<bool> isSizeSettable(WindowRef, double) override { return true; }
    std::optional<std::int64_t> processId(WindowRef window, double timeout) override;
    std::int64_t ownProcessId() override;

    // A write allowed this long or more is looked at a little later, on a thread of its own so
    // that nothing waits for it, and made again if the compositor took an older size from the
    // client; a shorter one is an animation step, and the next step follows anyway.
    static constexpr double settleCheckTimeout = 0.2;
    static constexpr double settleDelay = 0.05;
    static constexpr int settleAttempts = 3;
    // A window found where it should be at the first look is looked at once more this much
    // later: on a busy machine a client may commit its earlier size well after a few frames.
    static constexpr double lateLookDelay = 0.4;

    // The command that puts a window at a frame.
    static std::string placement(std::int64_t id, const Rect& frame, bool fullscreen,
                                 bool byXWindow = false);
    // A frame in the whole pixels the compositor takes (at least 1 × 1).
    static Rect rounded(const Rect& frame);

private:
    // A command reads the focused window, its frame and its process in a row: one look at the
    // tree answers all three, as long as nothing was written since.
    std::optional<I3IpcReplies::Window> lookUp(WindowRef window, double timeout);
    bool send(WindowRef window, const Rect& frame, bool fullscreen, double timeout);
    // One look at a placed window: which write it belongs to, the how-manieth it is, and the
    // size the last look found when that was not the wanted one.
    struct SettleLook {
        WindowRef window;
        Rect wanted;
        std::uint64_t write = 0;
        int attempt = 1;
        std::optional<Rect> previous;
        bool lateLookDone = false;
    };
    void scheduleSettleCheck(const SettleLook& look, double delay);
    void settleCheck(SettleLook look);
    void lookAgainLater(SettleLook look);

    I3IpcTree& tree_;
    I3IpcClient& client_;
    I3IpcReplies::Dialect dialect_;
    Options options_;
    std::mutex placedMutex_;
    std::optional<WindowRef> lastPlaced_;
    std::chrono::steady_clock::time_point placedAt_;
    std::atomic<std::uint64_t> writes_ = 0; // a check belongs to the last write only
    // Declared last, destroyed first: no check runs into a half-destroyed service.
    ThreadScheduler checks_;
};

} // namespace panemark
