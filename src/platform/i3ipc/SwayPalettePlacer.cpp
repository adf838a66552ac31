#include "platform/i3ipc/SwayPalettePlacer.h"

#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcCodec.h"
#include "platform/i3ipc/I3IpcEvents.h"
#include "runtime/Log.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace panemark {

namespace {

constexpr double requestTimeout = 2.0;
constexpr const char* paletteTitle = "Panemark Palette";

bool holds(const Rect& area, double x, double y) {
    return x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
}

} // namespace

SwayPalettePlacer::SwayPalettePlacer(I3IpcClient& client, I3IpcEvents& events,
                                     std::string desktopName)
    : client_(client), desktopName_(std::move(desktopName)) {
    events_ = events.onEvent([this](std::uint32_t type, const std::string& payload) {
        if (type != I3IpcCodec::windowEvent) {
            return;
        }
        if (const std::optional<std::int64_t> id = newPalette(payload, ::getpid())) {
            place(*id);
        }
    });
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
    if (!ours || text("name") != paletteTitle || !container.contains("id") ||
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

void SwayPalettePlacer::place(std::int64_t id) {
    // Asked after the event, sway has applied its rules: the palette is over the pointer.
    const Result<std::string> tree = client_.request(I3IpcCodec::getTree, "", requestTimeout);
    const Result<std::string> outputs = client_.request(I3IpcCodec::getOutputs, "", requestTimeout);
    const Result<std::string> workspaces =
        client_.request(I3IpcCodec::getWorkspaces, "", requestTimeout);
    if (!tree || !outputs || !workspaces) {
        Log::write(!tree ? tree.error() : !outputs ? outputs.error() : workspaces.error());
        return;
    }
    const auto palette = I3IpcReplies::windowWithId(tree.value(), id, I3IpcReplies::Dialect::sway);
    const auto screens = I3IpcReplies::outputs(outputs.value(), workspaces.value());
    if (!palette || !palette.value() || !screens) {
        return; // closed again already, or a reply sway never sends
    }
    const std::optional<Rect> target = placement(palette.value()->frame, screens.value());
    if (!target || *target == palette.value()->frame) {
        return;
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
}

} // namespace panemark
