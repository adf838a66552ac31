#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "platform/Platform.h"
#include "platform/i3/I3Windows.h"
#include "platform/i3ipc/I3IpcConnection.h"
#include "platform/i3ipc/I3IpcScreens.h"
#include "platform/i3ipc/I3IpcWindows.h"
#include "platform/x11/X11Platform.h"

#include <memory>

namespace panemark {

// i3: outputs through its IPC, windows read through X11 and placed through the IPC (i3 ignores
// a client's requests to move a tiled window), everything else through X11 as under any window
// manager; i3 takes no bindings at run time, so the shortcuts are X11 key grabs.
class I3Platform : public Platform {
public:
    // The socket is $I3SOCK, else the root window's I3_SOCKET_PATH.
    static Result<std::unique_ptr<I3Platform>> open(Scheduler& mainLoop,
                                                    const std::string& socketFromEnvironment);

    WindowService& windows() override { return *windows_; }
    ScreenService& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return x11_->shortcuts(); }
    std::string displayName() const override { return x11_->displayName(); }
    std::string desktopName() override { return ipc_.desktopName; }
    // The X display's, which i3 manages.
    Beeper* bell() override { return x11_->bell(); }
    DisplayFacts* displayFacts() override { return x11_.get(); }
    DesktopLink* desktopLink() override { return x11_.get(); }

private:
    I3Platform() = default;

    std::unique_ptr<X11Platform> x11_;
    I3IpcConnection ipc_;
    std::unique_ptr<I3IpcWindows> placer_;
    std::unique_ptr<I3Windows> windows_;
    std::unique_ptr<I3IpcScreens> screens_;
};

} // namespace panemark
