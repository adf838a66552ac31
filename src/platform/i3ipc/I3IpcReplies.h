#pragma once

#include "base/Result.h"
#include "json/JsonReader.h"
#include "model/Rect.h"
#include "model/Shortcut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// What Panemark reads in the replies and events of i3's IPC, as sway and i3 write them. Fields
// this does not use are ignored; a reply that is not JSON, or not of the expected shape, gives
// an error that says so. Coordinates are the compositor's (logical pixels on sway).
namespace I3IpcReplies {

// The two speakers of the protocol differ in where a window's title bar is: sway reports it
// apart from the window's rect (deco_rect, above it); i3's rect already holds it.
enum class Dialect { sway, i3 };

struct Window {
    std::int64_t id = 0; // the container's id, for [con_id=…] criteria
    Rect frame;          // the outer frame, title bar and borders included
    bool floating = false;
    bool fullscreen = false;
    std::optional<std::int64_t> pid;

    bool operator==(const Window&) const = default;
};

struct Output {
    std::string name; // "HDMI-A-1"
    std::string make;
    std::string model;
    std::string serial;
    Rect frame;
    Rect usable; // its visible workspace's rect: the bars are already left out
    bool active = false;

    bool operator==(const Output&) const = default;
};

// A tree as the compositor sent it, read once for the several questions a command asks of it.
Result<JsonValue> parseTree(std::string_view tree);

// The window with the keyboard focus, or none (an empty workspace has it).
Result<std::optional<Window>> focusedWindow(std::string_view tree, Dialect dialect);
std::optional<Window> focusedWindowIn(const JsonValue& tree, Dialect dialect);
// The window in the container with this id, or none when it has gone.
Result<std::optional<Window>> windowWithId(std::string_view tree, std::int64_t id, Dialect dialect);
std::optional<Window> windowWithIdIn(const JsonValue& tree, std::int64_t id, Dialect dialect);
// The active outputs as the tree has them, each with the rect of the workspace it shows: the
// same as outputs() from one reply instead of two.
std::vector<Output> outputsInTree(const JsonValue& tree, Dialect dialect);
// The active outputs with the usable area of each, in the compositor's order.
Result<std::vector<Output>> outputs(std::string_view outputs, std::string_view workspaces);
// "1.7" or "4.22 (2023-01-02)" from a GET_VERSION reply; none when it says nothing readable.
std::optional<std::string> version(std::string_view reply);
// Nothing when every command of a RUN_COMMAND reply succeeded, else the first error.
std::optional<std::string> commandFailure(std::string_view reply);
// The command of a binding event ("nop panemark:…"), or none for anything else.
std::optional<std::string> boundCommand(std::string_view event);
// Whether a workspace event says the compositor read its configuration again (which drops
// every binding and rule made at run time).
bool isConfigReload(std::string_view event);
// The combinations a configuration binds with bindsym or bindcode, as far as Panemark's key
// names reach; the others are left out.
std::vector<Shortcut> configuredShortcuts(std::string_view config);

} // namespace I3IpcReplies

} // namespace panemark
