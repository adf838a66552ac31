#include "core/InstanceProtocol.h"

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
