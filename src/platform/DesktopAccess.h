#pragma once

#include <string>

namespace panemark {

// Whether the desktop lets Panemark move windows and hear its shortcuts. A compositor that
// needs a script or an extension of ours refuses until it is installed and enabled; the
// settings window then says so, with what to do, in the words given here.
struct DesktopAccess {
    bool granted = true;
    std::string problem; // "KWin has not loaded Panemark's script."
    std::string remedy;  // what the user can do about it; empty when the problem says it

    // Both, as one line for logs and the command line.
    std::string sentence() const { return remedy.empty() ? problem : problem + " " + remedy; }

    bool operator==(const DesktopAccess&) const = default;
};

} // namespace panemark
