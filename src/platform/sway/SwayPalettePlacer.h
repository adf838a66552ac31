#pragma once

#include "base/Cancellable.h"
#include "base/Scheduler.h"
#include "model/Rect.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

class I3IpcClient;
class I3IpcEvents;

// Keeps Panemark's palette inside the usable area of the output it opens on. A sway client cannot
// place its own window, nor read the pointer: sway's rule puts the new palette over the pointer
// (centred on it, held on the output), which may cover a bar or reach past the output's edge;
// the palette is then moved in as far as it must, and again when its size changes while it is
// open (the picker, a profile switch), which sway reports no event for: its frame is looked at
// ten times a second while it is open.
class SwayPalettePlacer {
public:
    SwayPalettePlacer(I3IpcClient& client, I3IpcEvents& events, Scheduler& mainLoop,
                      std::string desktopName);

    // Where a palette sway put over the pointer goes: moved in as far as the usable area of the
    // output under its middle needs (taller or wider than that, its top-left corner stays
    // inside). None when no output holds its middle.
    static std::optional<Rect> placement(const Rect& overPointer,
                                         const std::vector<I3IpcReplies::Output>& outputs);
    // The palette of this process a window event says appeared (or got its title), if it does.
    static std::optional<std::int64_t> newPalette(const std::string& event, std::int64_t ownPid);
    // The window a window event says closed, if it does.
    static std::optional<std::int64_t> closedWindow(const std::string& event);

    static constexpr double followInterval = 0.1;

private:
    void heard(const std::string& event);
    // Moves the palette inside; its frame as it is then, none once it is gone.
    std::optional<Rect> place(std::int64_t id);
    void follow();
    void stopFollowing();

    I3IpcClient& client_;
    Scheduler& mainLoop_;
    std::string desktopName_;
    Subscription events_;
    std::optional<std::int64_t> open_;
    Rect lastFrame_;
    TimerHandle following_;
};

} // namespace panemark
