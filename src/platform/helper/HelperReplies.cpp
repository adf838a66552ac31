#include "platform/helper/HelperReplies.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace panemark::HelperReplies {

namespace {

using Json = nlohmann::json;

// Coordinates past this are no screen's: a helper that sends them is broken.
constexpr double coordinateLimit = 1e6;

Result<Json> parsed(std::string_view text) {
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        return Error{"the compositor's helper sent something that is not a JSON object"};
    }
    return json;
}

std::optional<double> number(const Json& object, const char* key) {
    const auto field = object.find(key);
    if (field == object.end() || !field->is_number()) {
        return std::nullopt;
    }
    const double value = field->get<double>();
    if (!std::isfinite(value) || std::abs(value) > coordinateLimit) {
        return std::nullopt;
    }
    return value;
}

std::string text(const Json& object, const char* key) {
    const auto field = object.find(key);
    return field != object.end() && field->is_string() ? field->get<std::string>() : "";
}

bool flag(const Json& object, const char* key, bool fallback) {
    const auto field = object.find(key);
    return field != object.end() && field->is_boolean() ? field->get<bool>() : fallback;
}

std::optional<Rect> rect(const Json& object, const char* key) {
    const auto field = object.find(key);
    if (field == object.end() || !field->is_object()) {
        return std::nullopt;
    }
    const auto x = number(*field, "x");
    const auto y = number(*field, "y");
    const auto width = number(*field, "width");
    const auto height = number(*field, "height");
    if (!x || !y || !width || !height || *width < 0 || *height < 0) {
        return std::nullopt;
    }
    return Rect{*x, *y, *width, *height};
}

Result<std::vector<OutputFacts>> screenList(const Json& json) {
    const auto list = json.find("screens");
    if (list == json.end() || !list->is_array()) {
        return Error{"the compositor's helper sent no list of screens"};
    }
    std::vector<OutputFacts> screens;
    for (const Json& entry : *list) {
        if (!entry.is_object()) {
            return Error{"the compositor's helper sent a screen that is not an object"};
        }
        const std::optional<Rect> frame = rect(entry, "frame");
        const std::optional<Rect> area = rect(entry, "area");
        if (!frame || !area) {
            return Error{"the compositor's helper sent a screen without its frame or usable area"};
        }
        // An output being turned off (or one that shows nothing) may be listed with an empty
        // frame or area: no window can be placed on it, so it is no screen.
        if (frame->width <= 0 || frame->height <= 0 || area->width <= 0 || area->height <= 0) {
            continue;
        }
        const auto primary = entry.find("primary");
        screens.push_back(
            {text(entry, "name"), text(entry, "manufacturer"), text(entry, "model"),
             text(entry, "serial"), *frame, *area,
             primary != entry.end() && primary->is_boolean() && primary->get<bool>()});
    }
    return screens;
}

Result<std::optional<Window>> windowIn(const Json& json) {
    const auto field = json.find("window");
    if (field == json.end() || field->is_null()) {
        return std::optional<Window>();
    }
    if (!field->is_object()) {
        return Error{"the compositor's helper sent a window that is not an object"};
    }
    Window window;
    window.id = text(*field, "id");
    const std::optional<Rect> frame = rect(*field, "frame");
    if (window.id.empty() || !frame) {
        return Error{"the compositor's helper sent a window without its id or frame"};
    }
    window.frame = *frame;
    window.pid = static_cast<std::int64_t>(number(*field, "pid").value_or(0));
    window.resizable = flag(*field, "resizable", true);
    window.fullScreen = flag(*field, "fullScreen", false);
    window.caption = text(*field, "caption");
    return std::optional<Window>(window);
}

} // namespace

Result<Look> look(std::string_view text) {
    Result<Json> json = parsed(text);
    if (!json) {
        return Error{json.error()};
    }
    Result<std::optional<Window>> window = windowIn(json.value());
    if (!window) {
        return Error{window.error()};
    }
    Result<std::vector<OutputFacts>> screens = screenList(json.value());
    if (!screens) {
        return Error{screens.error()};
    }
    return Look{window.value(), std::move(screens).value()};
}

Result<std::vector<OutputFacts>> screens(std::string_view text) {
    Result<Json> json = parsed(text);
    if (!json) {
        return Error{json.error()};
    }
    return screenList(json.value());
}

Result<std::optional<Window>> window(std::string_view text) {
    Result<Json> json = parsed(text);
    if (!json) {
        return Error{json.error()};
    }
    return windowIn(json.value());
}

Result<Placed> placed(std::string_view text) {
    Result<Json> json = parsed(text);
    if (!json) {
        return Error{json.error()};
    }
    if (!flag(json.value(), "placed", false)) {
        return Placed{};
    }
    const std::optional<Rect> frame = rect(json.value(), "frame");
    if (!frame) {
        return Error{"the compositor's helper placed a window but sent no frame"};
    }
    return Placed{frame};
}

} // namespace panemark::HelperReplies
