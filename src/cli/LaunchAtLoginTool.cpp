#include "cli/LaunchAtLoginTool.h"

#include "base/Text.h"
#include "cli/ArgumentParser.h"
#include "platform/LaunchAtLogin.h"
#include "platform/xdg/XdgAutostartItem.h"

#include <ostream>

namespace panemark {

namespace {

std::string describe(XdgAutostartItem& item) {
    switch (item.status()) {
    case LoginItem::Status::enabled:
        return "on";
    case LoginItem::Status::notRegistered:
        return "off";
    case LoginItem::Status::requiresApproval:
        return "off (disabled in the session settings)";
    case LoginItem::Status::notFound:
        break;
    }
    if (item.unusableBecause()) {
        return "off (the entry is unusable: " + Text::printable(*item.unusableBecause()) + ")";
    }
    return "off (the entry runs another program)";
}

} // namespace

int LaunchAtLoginTool::main(const std::vector<std::string>& args, std::istream& /*in*/,
                            std::ostream& out, std::ostream& err) {
    ArgumentParser parser("launch-at-login",
                          "Starts Panemark when you log in (on), stops doing so (off), or says "
                          "which it does (status), through an XDG autostart entry.",
                          "on|off|status");
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    const std::vector<std::string> words = parser.positional();
    if (words.size() != 1 || (words[0] != "on" && words[0] != "off" && words[0] != "status")) {
        return parser.usageError(err, "say on, off or status");
    }
    XdgAutostartItem item = XdgAutostartItem::forThisProgram();
    if (words[0] == "status") {
        out << "launch at login: " << describe(item) << " (" << Text::printable(item.entryPath())
            << ")\n";
        return 0;
    }
    const bool wanted = words[0] == "on";
    LaunchAtLogin::set(item, wanted); // a failure is logged on standard error
    const bool enabled = item.status() == LoginItem::Status::enabled;
    out << "launch at login: " << (enabled ? "on" : "off") << '\n';
    return enabled == wanted ? 0 : 1;
}

} // namespace panemark
