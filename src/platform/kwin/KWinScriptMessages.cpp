#include "platform/kwin/KWinScriptMessages.h"

#include "model/Rect.h"
#include "platform/helper/HelperReplies.h"

#include <nlohmann/json.hpp>

namespace panemark::KWinScriptMessages {

namespace {

using Json = nlohmann::json;

Json request(std::uint64_t serial, const char* op) {
    return {{"serial", serial}, {"op", op}};
}

} // namespace

std::string lookRequest(std::uint64_t serial) {
    return request(serial, "look").dump();
}

std::string screensRequest(std::uint64_t serial) {
    return request(serial, "screens").dump();
}

std::string windowRequest(std::uint64_t serial, const std::string& id) {
    Json json = request(serial, "window");
    json["id"] = id;
    return json.dump();
}

std::string placeRequest(std::uint64_t serial, const std::string& id, const Rect& frame,
                         int waitMilliseconds) {
    Json json = request(serial, "place");
    json["id"] = id;
    json["frame"] = {
        {"x", frame.x}, {"y", frame.y}, {"width", frame.width}, {"height", frame.height}};
    json["wait"] = waitMilliseconds;
    return json.dump();
}

std::string echoRequest(std::uint64_t serial) {
    return request(serial, "echo").dump();
}

std::string idle() {
    return R"({"op":"idle"})";
}

std::string stop() {
    return R"({"op":"stop"})";
}

Result<Hello> hello(std::string_view text) {
    const Json json = Json::parse(text, nullptr, false);
    const int api = json.is_object() && json.contains("api") && json["api"].is_number_integer()
                        ? json["api"].get<int>()
                        : 0;
    if (api != 5 && api != 6) {
        return Error{"KWin's script speaks a scripting API Panemark does not know"};
    }
    Result<std::vector<OutputFacts>> screens = HelperReplies::screens(text);
    if (!screens) {
        return Error{screens.error()};
    }
    return Hello{api, std::move(screens).value()};
}

} // namespace panemark::KWinScriptMessages
