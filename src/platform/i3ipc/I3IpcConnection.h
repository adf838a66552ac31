#pragma once

#include "base/Result.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcEvents.h"
#include "platform/i3ipc/I3IpcReplies.h"
#include "platform/i3ipc/I3IpcTree.h"

#include <memory>
#include <string>
#include <vector>

namespace panemark {

// What sway and i3 open alike: a client the compositor answered, its name and version as
// `panemark status` shows them ("sway (1.10.1)"), the events asked for, and the tree the window
// and screen services share.
struct I3IpcConnection {
    std::unique_ptr<I3IpcClient> client;
    std::string desktopName;
    std::unique_ptr<I3IpcEvents> events;
    std::unique_ptr<I3IpcTree> tree;

    // An error names the compositor and the socket when it does not answer in `timeout`.
    static Result<I3IpcConnection> open(const std::string& socket, I3IpcReplies::Dialect dialect,
                                        const std::vector<std::string>& eventKinds, double timeout);
};

} // namespace panemark
