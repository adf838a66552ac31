#include "platform/i3ipc/I3IpcReplies.h"

#include "json/JsonText.h"
#include "platform/evdev/EvdevKeyCodes.h"

#include <map>
#include <sstream>

namespace panemark::I3IpcReplies {

namespace {

// A compositor's tree nests two JSON levels per container; splits in splits in splits are
// deep, but never this deep.
constexpr int maxNesting = 512;

Result<JsonValue> parse(std::string_view text, const char* what) {
    Result<JsonValue> value = JsonText::parse(text, maxNesting);
    if (!value) {
        return Error{std::string("the compositor's ") + what + " is not JSON: " + value.error()};
    }
    return value;
}

double number(const JsonValue& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number() ? found->get<double>() : 0;
}

std::string text(const JsonValue& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool flag(const JsonValue& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

Rect rectOf(const JsonValue& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_object()) {
        return {};
    }
    return {number(*found, "x"), number(*found, "y"), number(*found, "width"),
            number(*found, "height")};
}

// A container that shows an application's window, not a split or a workspace: sway gives
// views a pid (and Wayland ones an app_id), i3 an X window id.
bool isView(const JsonValue& node) {
    const std::string type = text(node, "type");
    if (type != "con" && type != "floating_con") {
        return false;
    }
    const auto window = node.find("window");
    const auto pid = node.find("pid");
    return (window != node.end() && window->is_number()) ||
           (pid != node.end() && pid->is_number() && pid->get<double>() > 0) ||
           !text(node, "app_id").empty();
}

Window windowOf(const JsonValue& node, bool insideFloating, Dialect dialect) {
    Window window;
    window.id = node.value("id", std::int64_t{0});
    const Rect rect = rectOf(node, "rect");
    const double title = dialect == Dialect::sway ? rectOf(node, "deco_rect").height : 0;
    window.frame = {rect.x, rect.y - title, rect.width, rect.height + title};
    window.floating = insideFloating || text(node, "type") == "floating_con";
    window.fullscreen = number(node, "fullscreen_mode") > 0;
    const auto pid = node.find("pid");
    if (pid != node.end() && pid->is_number_integer() && pid->get<std::int64_t>() > 0) {
        window.pid = pid->get<std::int64_t>();
    }
    return window;
}

// Visits containers depth first until found() says so; floating ones know they float.
template <class Found>
std::optional<Window> findView(const JsonValue& node, bool insideFloating, Dialect dialect,
                               const Found& found) {
    if (!node.is_object()) {
        return std::nullopt;
    }
    if (isView(node) && found(node)) {
        return windowOf(node, insideFloating, dialect);
    }
    for (const auto* key : {"nodes", "floating_nodes"}) {
        const auto children = node.find(key);
        if (children == node.end() || !children->is_array()) {
            continue;
        }
        const bool floating = insideFloating || std::string_view(key) == "floating_nodes";
        for (const JsonValue& child : *children) {
            if (auto window = findView(child, floating, dialect, found)) {
                return window;
            }
        }
    }
    return std::nullopt;
}

std::optional<Window> searchParsed(const JsonValue& root, Dialect dialect,
                                   const std::function<bool(const JsonValue&)>& found) {
    return root.is_object() ? findView(root, false, dialect, found) : std::nullopt;
}

Result<std::optional<Window>> searchTree(std::string_view tree, Dialect dialect,
                                         const std::function<bool(const JsonValue&)>& found) {
    Result<JsonValue> root = parseTree(tree);
    if (!root) {
        return Error{root.error()};
    }
    return searchParsed(root.value(), dialect, found);
}

bool isFocused(const JsonValue& node) {
    return flag(node, "focused");
}

const JsonValue* childWithId(const JsonValue& node, std::int64_t id) {
    const auto children = node.find("nodes");
    if (children == node.end() || !children->is_array()) {
        return nullptr;
    }
    for (const JsonValue& child : *children) {
        if (child.is_object() && child.value("id", std::int64_t{-1}) == id) {
            return &child;
        }
    }
    return nullptr;
}

// The workspace an output shows: sway names it; in i3 it is the first its content container
// focuses.
const JsonValue* visibleWorkspace(const JsonValue& output, Dialect dialect) {
    const auto children = output.find("nodes");
    if (children == output.end() || !children->is_array()) {
        return nullptr;
    }
    if (dialect == Dialect::sway) {
        const std::string current = text(output, "current_workspace");
        for (const JsonValue& workspace : *children) {
            if (workspace.is_object() && text(workspace, "name") == current) {
                return &workspace;
            }
        }
        return nullptr;
    }
    for (const JsonValue& child : *children) {
        if (!child.is_object() || text(child, "name") != "content") {
            continue;
        }
        const auto focus = child.find("focus");
        if (focus != child.end() && focus->is_array() && !focus->empty() &&
            focus->front().is_number_integer()) {
            return childWithId(child, focus->front().get<std::int64_t>());
        }
    }
    return nullptr;
}

// Keysym names of the keys Panemark can bind, as a US layout gives them, by evdev code.
const std::map<std::string, std::uint32_t>& keysymCodes() {
    static const std::map<std::string, std::uint32_t> codes = [] {
        std::map<std::string, std::uint32_t> table{
            {"Escape", 1},     {"minus", 12},       {"equal", 13},        {"BackSpace", 14},
            {"Tab", 15},       {"bracketleft", 26}, {"bracketright", 27}, {"Return", 28},
            {"semicolon", 39}, {"apostrophe", 40},  {"grave", 41},        {"backslash", 43},
            {"comma", 51},     {"period", 52},      {"slash", 53},        {"space", 57},
            {"F11", 87},       {"F12", 88},         {"Home", 102},        {"Up", 103},
            {"Prior", 104},    {"Page_Up", 104},    {"Left", 105},        {"Right", 106},
            {"End", 107},      {"Down", 108},       {"Next", 109},        {"Page_Down", 109},
            {"Delete", 111},
        };
        const std::string rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
        const std::uint32_t rowStarts[] = {16, 30, 44};
        for (int row = 0; row < 3; ++row) {
            for (std::size_t i = 0; i < rows[row].size(); ++i) {
                table[std::string(1, rows[row][i])] =
                    rowStarts[row] + static_cast<std::uint32_t>(i);
            }
        }
        for (std::uint32_t digit = 1; digit <= 9; ++digit) {
            table[std::to_string(digit)] = digit + 1;
        }
        table["0"] = 11;
        for (std::uint32_t f = 1; f <= 10; ++f) {
            table["F" + std::to_string(f)] = 58 + f;
        }
        return table;
    }();
    return codes;
}

std::optional<std::uint32_t> modifierBit(const std::string& name) {
    if (name == "Ctrl" || name == "Control") {
        return Shortcut::controlMask;
    }
    if (name == "Mod1" || name == "Alt") {
        return Shortcut::optionMask;
    }
    if (name == "Mod4" || name == "Super" || name == "Logo") {
        return Shortcut::commandMask;
    }
    if (name == "Shift") {
        return Shortcut::shiftMask;
    }
    return std::nullopt;
}

// "Mod4+Ctrl+Left" (bindsym) or "Mod4+Ctrl+113" (bindcode) as a shortcut, when every part of it
// is known.
std::optional<Shortcut> combination(const std::string& keys, bool byCode) {
    std::vector<std::string> parts;
    std::stringstream split(keys);
    for (std::string part; std::getline(split, part, '+');) {
        parts.push_back(part);
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    Shortcut shortcut;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::optional<std::uint32_t> bit = modifierBit(parts[i]);
        if (!bit) {
            return std::nullopt;
        }
        shortcut.modifiers |= *bit;
    }
    std::optional<std::uint32_t> evdev;
    if (byCode) {
        std::uint32_t code = 0;
        std::istringstream number(parts.back());
        if (number >> code && code > EvdevKeyCodes::xKeycodeOffset) {
            evdev = code - EvdevKeyCodes::xKeycodeOffset;
        }
    } else if (const auto found = keysymCodes().find(parts.back()); found != keysymCodes().end()) {
        evdev = found->second;
    }
    if (!evdev) {
        return std::nullopt;
    }
    shortcut.keyCode = EvdevKeyCodes::virtualKeyFor(*evdev);
    return shortcut;
}

} // namespace

Result<JsonValue> parseTree(std::string_view tree) {
    Result<JsonValue> root = parse(tree, "tree");
    if (root && !root.value().is_object()) {
        return Error{"the compositor's tree is not an object"};
    }
    return root;
}

Result<std::optional<Window>> focusedWindow(std::string_view tree, Dialect dialect) {
    return searchTree(tree, dialect, isFocused);
}

std::optional<Window> focusedWindowIn(const JsonValue& tree, Dialect dialect) {
    return searchParsed(tree, dialect, isFocused);
}

Result<std::optional<Window>> windowWithId(std::string_view tree, std::int64_t id,
                                           Dialect dialect) {
    return searchTree(tree, dialect, [id](const JsonValue& node) {
        return node.value("id", std::int64_t{-1}) == id;
    });
}

std::optional<Window> windowWithIdIn(const JsonValue& tree, std::int64_t id, Dialect dialect) {
    return searchParsed(tree, dialect, [id](const JsonValue& node) {
        return node.value("id", std::int64_t{-1}) == id;
    });
}

std::vector<Output> outputsInTree(const JsonValue& tree, Dialect dialect) {
    std::vector<Output> found;
    const auto outputs = tree.find("nodes");
    if (!tree.is_object() || outputs == tree.end() || !outputs->is_array()) {
        return found;
    }
    for (const JsonValue& node : *outputs) {
        const std::string name = node.is_object() ? text(node, "name") : std::string();
        // i3 and sway keep the scratchpad on a pseudo-output of this name.
        if (name.empty() || name == "__i3" || text(node, "type") != "output" ||
            (node.contains("active") && !flag(node, "active"))) {
            continue;
        }
        Output output;
        output.name = name;
        output.make = text(node, "make");
        output.model = text(node, "model");
        output.serial = text(node, "serial");
        output.frame = rectOf(node, "rect");
        output.active = true;
        const JsonValue* workspace = visibleWorkspace(node, dialect);
        output.usable = workspace ? rectOf(*workspace, "rect") : output.frame;
        found.push_back(std::move(output));
    }
    return found;
}

Result<std::vector<Output>> outputs(std::string_view outputsReply,
                                    std::string_view workspacesReply) {
    Result<JsonValue> outputList = parse(outputsReply, "list of outputs");
    if (!outputList) {
        return Error{outputList.error()};
    }
    Result<JsonValue> workspaceList = parse(workspacesReply, "list of workspaces");
    if (!workspaceList) {
        return Error{workspaceList.error()};
    }
    if (!outputList.value().is_array() || !workspaceList.value().is_array()) {
        return Error{"the compositor's outputs or workspaces are not a list"};
    }
    std::vector<Output> found;
    for (const JsonValue& entry : outputList.value()) {
        if (!entry.is_object() || !flag(entry, "active")) {
            continue; // switched off, or i3's pseudo-output of the scratchpad
        }
        Output output;
        output.name = text(entry, "name");
        output.make = text(entry, "make");
        output.model = text(entry, "model");
        output.serial = text(entry, "serial");
        output.frame = rectOf(entry, "rect");
        output.usable = output.frame;
        output.active = true;
        const std::string current = text(entry, "current_workspace");
        for (const JsonValue& workspace : workspaceList.value()) {
            if (workspace.is_object() && text(workspace, "name") == current &&
                text(workspace, "output") == output.name) {
                output.usable = rectOf(workspace, "rect");
            }
        }
        found.push_back(std::move(output));
    }
    return found;
}

std::optional<std::string> version(std::string_view reply) {
    Result<JsonValue> value = parse(reply, "version");
    if (!value || !value.value().is_object()) {
        return std::nullopt;
    }
    const std::string human = text(value.value(), "human_readable");
    return human.empty() ? std::nullopt : std::optional<std::string>(human);
}

std::optional<std::string> commandFailure(std::string_view reply) {
    Result<JsonValue> results = parse(reply, "reply to a command");
    if (!results) {
        return results.error();
    }
    if (!results.value().is_array()) {
        return "the compositor's reply to a command is not a list";
    }
    for (const JsonValue& result : results.value()) {
        if (!result.is_object() || !flag(result, "success")) {
            const std::string error = result.is_object() ? text(result, "error") : std::string();
            return error.empty() ? std::string("the compositor refused the command") : error;
        }
    }
    return std::nullopt;
}

std::optional<std::string> boundCommand(std::string_view event) {
    Result<JsonValue> value = parse(event, "binding event");
    if (!value || !value.value().is_object() || text(value.value(), "change") != "run") {
        return std::nullopt;
    }
    const auto binding = value.value().find("binding");
    if (binding == value.value().end() || !binding->is_object()) {
        return std::nullopt;
    }
    return text(*binding, "command");
}

bool isConfigReload(std::string_view event) {
    Result<JsonValue> value = parse(event, "workspace event");
    return value && value.value().is_object() && text(value.value(), "change") == "reload";
}

std::vector<Shortcut> configuredShortcuts(std::string_view config) {
    std::map<std::string, std::string> variables;
    std::vector<Shortcut> bound;
    std::istringstream lines{std::string(config)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "set") {
            std::string name;
            std::string value;
            words >> name >> value;
            if (name.starts_with("$")) {
                variables[name] = value;
            }
            continue;
        }
        if (verb != "bindsym" && verb != "bindcode") {
            continue;
        }
        std::string keys;
        while (words >> keys && keys.starts_with("--")) {
        }
        for (const auto& [name, value] : variables) {
            for (std::size_t at = keys.find(name); at != std::string::npos;
                 at = keys.find(name, at + value.size())) {
                keys.replace(at, name.size(), value);
            }
        }
        if (const std::optional<Shortcut> shortcut = combination(keys, verb == "bindcode")) {
            bound.push_back(*shortcut);
        }
    }
    return bound;
}

} // namespace panemark::I3IpcReplies
