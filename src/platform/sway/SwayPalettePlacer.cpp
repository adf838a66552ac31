#include "platform/sway/SwayPalettePlacer.h"

#include "base/Log.h"
#include "platform/OwnWindows.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcCodec.h"
#include "platform/i3ipc/I3IpcEvents.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace panemark {

namespace {

constexpr double requestTimeout = 2.0;

bool holds(const Rect& area, double x, double y) {
    return x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
}

} // namespace

SwayPalettePlacer::SwayPalettePlacer(I3IpcClient& client, I3IpcEvents& events, Scheduler& mainLoop,
                                     std::string desktopName)
    : client_(client), mainLoop_(mainLoop), desktopName_(std::move(desktopName)) {
    events_ = events.onEvent([this](std::uint32_t type, const std::string& payload) {
        if (type == I3IpcCodec::windowEvent) {
            heard(payload);
        }
    });
}

void SwayPalettePlacer::heard(const std::string& event) {
    if (const std::optional<std::int64_t> id = newPalette(event, ::getpid())) {
        const bool following = open_.has_value();
        open_ = id;
        if (const std::optional<Rect> frame = place(*id)) {
            lastFrame_ = *frame;
            if (!following) {
                following_ = mainLoop_.every(followInterval, [this] { follow(); });
            }
        } else if (!following) {
            open_.reset();
        }
    } else if (open_ && closedWindow(event) == open_) {
        stopFollowing();
    }
}

void SwayPalettePlacer::follow() {
    if (!open_) {
        stopFollowing();
        return;
    }
    const Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", requestTimeout);
    if (!tree) {
        stopFollowing(); // sway went away
        return;
    }
    const auto palette =
        I3IpcReplies::windowWithId(tree.value(), *open_, I3IpcReplies::Dialect::sway);
    if (!palette || !palette.value()) {
        stopFollowing(); // closed
        return;
    }
    const Rect frame = palette.value()->frame;
    if (frame.width != lastFrame_.width || frame.height != lastFrame_.height) {
        lastFrame_ = place(*open_).value_or(frame);
    }
}

void SwayPalettePlacer::stopFollowing() {
    following_.cancel();
    open_.reset();
}

std::optional<std::int64_t> SwayPalettePlacer::closedWindow(const std::string& event) {
    const nlohmann::json json = nlohmann::json::parse(event, nullptr, false);
    if (!json.is_object() || json.value("change", "") != "close" || !json.contains("container") ||
        !json["container"].is_object() || !json["container"].contains("id") ||
        !json["container"]["id"].is_number_integer()) {
        return std::nullopt;
    }
    return json["container"]["id"].get<std::int64_t>();
}

std::optional<std::int64_t> SwayPalettePlacer::newPalette(const std::string& event,
                                                          std::int64_t ownPid) {
    const nlohmann::json json = nlohmann::json::parse(event, nullptr, false);
    // A Wayland window may have no title yet when it appears: its title comes as a change.
    const std::string change = json.is_object() ? json.value("change", "") : "";
    if ((change != "new" && change != "title") || !json.contains("container") ||
        !json["container"].is_object()) {
        return std::nullopt;
    }
    const nlohmann::json& container = json["container"];
    const auto text = [&](const char* key) {
        return container.contains(key) && container[key].is_string()
                   ? container[key].get<std::string>()
                   : std::string();
    };
    const bool ours = container.contains("pid") && container["pid"].is_number_integer() &&
                      container["pid"].get<std::int64_t>() == ownPid;
    if (!ours || text("name") != OwnWindows::paletteTitle || !container.contains("id") ||
        !container["id"].is_number_integer()) {
        return std::nullopt;
    }
    return container["id"].get<std::int64_t>();
}

std::optional<Rect> SwayPalettePlacer::placement(const Rect& overPointer,
                                                 const std::vector<I3IpcReplies::Output>& outputs) {
    const double middleX = overPointer.x + std::floor(overPointer.width / 2);
    const double middleY = overPointer.y + std::floor(overPointer.height / 2);
    const auto under = std::find_if(outputs.begin(), outputs.end(), [&](const auto& output) {
        return holds(output.frame, middleX, middleY);
    });
    if (under == outputs.end()) {
        return std::nullopt;
    }
    const Rect& area = under->usable;
    const double x =
        std::max(area.x, std::min(overPointer.x, area.x + area.width - overPointer.width));
    const double y =
        std::max(area.y, std::min(overPointer.y, area.y + area.height - overPointer.height));
    return Rect{x, y, overPointer.width, overPointer.height};
}

std::optional<Rect> SwayPalettePlacer::place(std::int64_t id) {
    // Asked after the event, sway has applied its rules: the palette is over the pointer.
    const Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", requestTimeout);
    const Result<std::string> outputs = client_.request(I3IpcCodec::getOutputs, "", requestTimeout);
    const Result<std::string> workspaces =
        client_.request(I3IpcCodec::getWorkspaces, "", requestTimeout);
    if (!tree || !outputs || !workspaces) {
        Log::write(!tree ? tree.error() : !outputs ? outputs.error() : workspaces.error());
        return std::nullopt;
    }
    const auto palette = I3IpcReplies::windowWithId(tree.value(), id, I3IpcReplies::Dialect::sway);
    const auto screens = I3IpcReplies::outputs(outputs.value(), workspaces.value());
    if (!palette || !palette.value() || !screens) {
        return std::nullopt; // closed again already, or a reply sway never sends
    }
    const Rect frame = palette.value()->frame;
    const std::optional<Rect> target = placement(frame, screens.value());
    if (!target || *target == frame) {
        return frame;
    }
    const std::string command = "[con_id=" + std::to_string(id) + "] move absolute position " +
                                std::to_string(std::lround(target->x)) + " px " +
                                std::to_string(std::lround(target->y)) + " px";
    const Result<std::string> reply =
        client_.request(I3IpcCodec::runCommand, command, requestTimeout);
    if (!reply) {
        Log::write(reply.error());
    } else if (const auto refused = I3IpcReplies::commandFailure(reply.value())) {
        Log::write(desktopName_ + " refused \"" + command + "\": " + *refused);
    }
    return *target;
}

} // namespace panemark
