#include "cli/CommandLinter.h"

#include "base/Text.h"
#include "control/HotKeyManager.h"
#include "platform/evdev/EvdevKeyCodes.h"

#include <map>

namespace panemark {

namespace {

std::string at(std::size_t index, const std::string& key) {
    return "[" + std::to_string(index) + "]." + key;
}

void checkGrid(const ZoneCommand& command, std::size_t index, std::vector<std::string>& out) {
    const auto inGrid = [](std::int64_t value) {
        return value >= 1 && value <= CommandLinter::maxGrid;
    };
    for (const auto& [key, value] : {std::pair{"cols", command.cols}, {"rows", command.rows}}) {
        if (!inGrid(value)) {
            out.push_back(at(index, key) + ": " + std::to_string(value) + " is outside 1–12");
        }
    }
    const auto checkSpan = [&](const char* key, std::int64_t value, std::int64_t size,
                               const char* unit) {
        if (inGrid(size) && (value < 0 || value >= size)) {
            out.push_back(at(index, key) + ": " + std::to_string(value) +
                          " is outside the grid's " + std::to_string(size) + " " + unit + " (0–" +
                          std::to_string(size - 1) + ")");
        }
    };
    checkSpan("colStart", command.colStart, command.cols, "columns");
    checkSpan("colEnd", command.colEnd, command.cols, "columns");
    checkSpan("rowStart", command.rowStart, command.rows, "rows");
    checkSpan("rowEnd", command.rowEnd, command.rows, "rows");
}

void checkFixedSize(const FixedSizeSpec& size, std::size_t index, std::vector<std::string>& out) {
    for (const auto& [key, value] :
         {std::pair{"fixedSize.width", size.width}, {"fixedSize.height", size.height}}) {
        if (value < 0) {
            out.push_back(at(index, key) + ": " + std::to_string(value) + " is negative");
        } else if (value < CommandLinter::minFixedSize || value > CommandLinter::maxFixedSize) {
            out.push_back(at(index, key) + ": " + std::to_string(value) + " is outside 100–8192");
        }
    }
}

void checkShortcut(const Shortcut& shortcut, std::size_t index, std::vector<std::string>& out) {
    if (!HotKeyManager::canFire(shortcut)) {
        out.push_back(at(index, "shortcut") + ": " + shortcut.displayString() +
                      " has no control, option or command key and can never fire");
    }
    if (!EvdevKeyCodes::canExist(shortcut.keyCode)) {
        out.push_back(at(index, "shortcut.keyCode") + ": " + std::to_string(shortcut.keyCode) +
                      " names no key");
    }
}

// "[0], [4], [9], [12], [20], … (7 in all)"
std::string positions(const std::vector<std::size_t>& indices) {
    std::string text;
    for (std::size_t i = 0; i < indices.size() && i < CommandLinter::listedPositions; ++i) {
        text += (i == 0 ? "[" : ", [") + std::to_string(indices[i]) + "]";
    }
    if (indices.size() > CommandLinter::listedPositions) {
        text += ", … (" + std::to_string(indices.size()) + " in all)";
    }
    return text;
}

template <class Key>
void checkShared(const std::map<Key, std::vector<std::size_t>>& uses, const std::string& key,
                 const std::string& what, const std::string& consequence, auto describe,
                 std::vector<std::string>& out) {
    for (const auto& [value, indices] : uses) {
        if (indices.size() > 1) {
            out.push_back(at(indices.front(), key) + ": " + describe(value) + " is the " + what +
                          " of " + std::to_string(indices.size()) + " commands (" +
                          positions(indices) + ")" + consequence);
        }
    }
}

} // namespace

std::vector<std::string> CommandLinter::warnings(const std::vector<ZoneCommand>& commands) {
    std::vector<std::string> out;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::size_t>> shortcuts;
    std::map<std::string, std::vector<std::size_t>> ids;
    for (std::size_t index = 0; index < commands.size(); ++index) {
        const ZoneCommand& command = commands[index];
        if (command.kind() == ZoneCommand::Kind::grid) {
            checkGrid(command, index, out);
        }
        if (command.kind() == ZoneCommand::Kind::fixedSize) {
            checkFixedSize(*command.fixedSize, index, out);
        }
        if (command.shortcut) {
            checkShortcut(*command.shortcut, index, out);
            shortcuts[{command.shortcut->keyCode, command.shortcut->modifiers}].push_back(index);
        }
        ids[command.id.toString()].push_back(index);
    }
    const auto shortcutName = [](const auto& key) {
        return Shortcut{key.first, key.second}.displayString();
    };
    const auto idName = [](const std::string& id) { return id; };
    checkShared(shortcuts, "shortcut", "shortcut", "; only the last of them fires", shortcutName,
                out);
    checkShared(ids, "id", "id", "", idName, out);
    return out;
}

} // namespace panemark
