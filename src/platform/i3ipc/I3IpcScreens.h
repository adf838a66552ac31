#pragma once

#include "base/Signal.h"
#include "platform/ScreenService.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcEvents.h"
#include "platform/i3ipc/I3IpcReplies.h"
#include "platform/i3ipc/I3IpcTree.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace panemark {

// The compositor's outputs as screens: each output's frame, and for its usable area the rect of
// the workspace it shows (the compositor has already taken the bars off). Screens are
// identified by make, model and serial; output events say they changed (or, where the
// compositor sends none, a workspace event after which the outputs read differently).
class I3IpcScreens : public ScreenService {
public:
    // keepFor: how long screens read once are trusted while no output, workspace or window
    // event came (0: read with every command's tree). Where a command reads no tree (i3), they
    // are kept; a bar that docks sends no event, hence the limit.
    I3IpcScreens(I3IpcTree& tree, I3IpcEvents& events, double keepFor = 0);

    std::vector<Screen> screens() override;
    Subscription onScreensChanged(std::function<void()> callback) override;

    static Screen describe(const I3IpcReplies::Output& output, std::uint32_t number);

private:
    std::vector<Screen> read();
    bool outputEventsRefused() const;
    void followOutputsByWorkspaces();

    I3IpcTree& tree_;
    I3IpcEvents& events_;
    double keepFor_;
    std::mutex mutex_;
    std::optional<std::vector<Screen>> kept_;
    std::chrono::steady_clock::time_point readAt_;
    Signal<> changed_;
    Subscription subscription_;
    // The outputs last seen where output events are refused, to tell a change.
    std::optional<std::vector<Screen>> lastAnnounced_;
};

} // namespace panemark
