#pragma once

#include <functional>

namespace panemark {

// Ending the resident program from wherever it is asked for: a signal, `panemark quit`, the
// palette's Quit row. Start-up work can run a nested event loop (the tray asks D-Bus, windows
// wait to be shown) that delivers such a request before the main loop runs, when quitting would
// be lost; so the request is also remembered, and the launch looks at it before entering the
// main loop.
class QuitRequest {
public:
    // Asks the main loop to end, now or as soon as it starts. Main thread only.
    static void post();
    static bool isPending();
    // Also tells a wait of the launch's own, which runs before the main loop, that a request
    // came; none to stop telling it. Main thread only.
    static void setWaitListener(std::function<void()> listener);
};

} // namespace panemark
