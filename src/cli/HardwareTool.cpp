#include "cli/HardwareTool.h"

#include "base/Text.h"
#include "cli/ArgumentParser.h"
#include "cli/PlatformSession.h"
#include "control/InstanceProtocol.h"
#include "hardware/DisplayWatcher.h"

#include <cstdio>
#include <ostream>

namespace panemark {

std::string HardwareTool::keyboardId(std::int64_t vendorID, std::int64_t productID) {
    char text[32];
    std::snprintf(text, sizeof text, "%04llx:%04llx", static_cast<long long>(vendorID),
                  static_cast<long long>(productID));
    return text;
}

int HardwareTool::main(const std::vector<std::string>& args, std::istream& /*in*/,
                       std::ostream& out, std::ostream& err) {
    ArgumentParser parser("hardware",
                          "Lists the external displays (UUID and name) and the keyboards "
                          "(vendor:product and name) connected now, as profile triggers name "
                          "them: panemark profile trigger PROFILE --display UUID.");
    parser.addFlag("json", "Print the lists as JSON.");
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    Result<std::unique_ptr<PlatformSession>> session = PlatformSession::open();
    if (!session) {
        err << "panemark: " << session.error() << '\n';
        return 1;
    }
    Platform& platform = session.value()->platform();
    using Json = InstanceProtocol::Json;
    Json displays = Json::array();
    for (const DisplayWatcher::Display& display :
         DisplayWatcher::currentExternalDisplays(platform.screens())) {
        displays.push_back({{"uuid", display.uuid}, {"name", display.name}});
    }
    Json keyboards = Json::array();
    for (const KeyboardDevice& keyboard : platform.keyboardDevices().list()) {
        keyboards.push_back({{"id", keyboardId(keyboard.vendorID, keyboard.productID)},
                             {"vendorID", keyboard.vendorID},
                             {"productID", keyboard.productID},
                             {"name", keyboard.name}});
    }
    if (parser.isSet("json")) {
        out << Json{{"displays", displays}, {"keyboards", keyboards}}.dump(
                   -1, ' ', false, Json::error_handler_t::replace)
            << '\n';
        return 0;
    }
    out << "external displays: " << displays.size() << '\n';
    for (const Json& display : displays) {
        out << "  " << display["uuid"].get<std::string>() << '\t'
            << Text::printable(display["name"].get<std::string>()) << '\n';
    }
    out << "keyboards: " << keyboards.size() << '\n';
    for (const Json& keyboard : keyboards) {
        out << "  " << keyboard["id"].get<std::string>() << '\t'
            << Text::printable(keyboard["name"].get<std::string>()) << '\n';
    }
    if (const std::optional<std::string> why = platform.keyboardDevices().unavailable()) {
        out << "(keyboards cannot be followed as they come and go: " << Text::printable(*why)
            << ")\n";
    }
    return 0;
}

} // namespace panemark
