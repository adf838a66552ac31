#pragma once

#include "base/Result.h"

#include <string>

namespace panemark {

// Where the running Panemark of this user and display can be found: its lock file and its
// socket, in the user's private runtime folder ($XDG_RUNTIME_DIR, else a 0700 folder of our own
// under the temporary folder). Hot keys belong to a display, so each display has its own.
struct InstanceAddress {
    std::string folder;
    std::string lockPath;
    std::string socketPath;

    static Result<InstanceAddress> forThisSession();
    // In a given folder, for a display name as $DISPLAY writes it.
    static InstanceAddress in(const std::string& folder, const std::string& display);
    // Makes sure a folder we create ourselves is ours alone; the reason when it is not.
    static Result<std::string> privateFolder(const std::string& path);
};

} // namespace panemark
