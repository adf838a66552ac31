#include "control/InstanceProtocol.h"

#include "json/JsonText.h"

namespace panemark {

InstanceProtocol::Json InstanceProtocol::request(std::string_view name) {
    return Json{{"panemark", version}, {"request", name}};
}

InstanceProtocol::Json InstanceProtocol::reply() {
    return Json{{"panemark", version}, {"ok", true}};
}

InstanceProtocol::Json InstanceProtocol::failure(std::string_view message) {
    return Json{{"panemark", version}, {"ok", false}, {"error", message}};
}

std::string InstanceProtocol::line(const Json& message) {
    return message.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Result<InstanceProtocol::Json> InstanceProtocol::parse(std::string_view line) {
    // Everything that later copies, walks or prints the message recurses once per level: a
    // deeply nested request must be turned away before it is built.
    bool tooDeep = false;
    JsonText::forEachStructural(line, 0, line.size(), [&](std::size_t, char, int depth) {
        tooDeep = depth >= maxNesting;
        return !tooDeep;
    });
    if (tooDeep) {
        return Error{"the message nests deeper than " + std::to_string(maxNesting) + " levels"};
    }
    Json message = Json::parse(line, nullptr, false);
    if (message.is_discarded() || !message.is_object()) {
        return Error{"not a Panemark message"};
    }
    const auto found = message.find("panemark");
    if (found == message.end() || !found->is_number_integer()) {
        return Error{"not a Panemark message"};
    }
    if (*found != version) {
        return Error{"speaks version " + found->dump() + " of the instance protocol, not " +
                     std::to_string(version)};
    }
    return message;
}

} // namespace panemark
