#pragma once

#include "base/Result.h"
#include "platform/gnome/GnomeShellExtension.h"

#include <optional>
#include <string>

namespace panemark {

// `panemark setup gnome-shell`: installs the extension for this user and enables it, whether
// or not GNOME Shell runs now. Enabling goes through the shell when it runs (it then starts the
// extension itself when it can) and always into the shell's settings (enabled-extensions, and
// user extensions allowed), which a shell reads when it starts.
class GnomeShellSetup {
public:
    struct Outcome {
        std::string folder;
        int shellMajor = 0;
        // Whether the running shell has the extension on now; otherwise it loads at next login.
        bool activeNow = false;
        // Written for a shell newer than any this program was tested on.
        bool untested = false;
    };

    // shellMajor: the shell's version when it is known better than it can be found out.
    static Result<Outcome> run(std::optional<int> shellMajor);

    // The running shell's version over the session bus, else `gnome-shell --version`'s.
    static std::optional<int> installedShellMajor();
    // The running shell's version over the session bus; none when no shell runs.
    static std::optional<int> runningShellMajor();
    // At Panemark's start: an installed copy that does not fit this shell version or this
    // program (written for an older shell, or by another Panemark) is replaced by a user copy
    // written for it. True when it was; the shell loads it at the next login. Nothing is
    // written when no copy is installed: `panemark setup gnome-shell` is for that.
    static Result<bool> refreshInstalledCopy(int shellMajor);
    // The newest shell this program knows; a shell not found at all gets its extension.
    static constexpr int newestKnownShell = GnomeShellExtension::newestKnownShell;
};

} // namespace panemark
