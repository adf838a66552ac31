#pragma once

#include <string>
#include <string_view>

namespace panemark {

// The scripts Panemark runs inside a compositor (the KWin script, the GNOME Shell extension),
// compiled into the program as resources, and the logic they share: written once, put into
// each at its `%HELPER_LOGIC%` line, with Panemark's own windows' titles filled in.
class HelperScript {
public:
    // A compiled-in file by its resource path (":/panemark/kwin/panemark-kwin.js"); empty if
    // there is none, which a test of every script catches.
    static std::string resource(std::string_view path);
    // The shared logic as the helpers carry it.
    static std::string sharedLogic();
    // A helper's text with the shared logic put in at its marker line.
    static std::string withSharedLogic(std::string script);
};

} // namespace panemark
