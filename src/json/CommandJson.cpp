#include "json/CommandJson.h"

#include "json/CommandReading.h"

#include <algorithm>
#include <iterator>

namespace panemark::CommandJson {

namespace {

template <class T, class Read> Result<T> decodeCatching(const JsonValue& value, Read read) {
    try {
        return read(JsonReader(value, ""));
    } catch (const JsonDecodeError& error) {
        return Error{error.what()};
    }
}

} // namespace

Json encode(const Shortcut& shortcut) {
    Json object = Json::object();
    object["keyCode"] = shortcut.keyCode;
    object["modifiers"] = shortcut.modifiers;
    return object;
}

Json encode(const ZoneCommand& command) {
    Json object = Json::object();
    object["id"] = command.id.toString();
    object["name"] = command.name;
    object["cols"] = command.cols;
    object["rows"] = command.rows;
    object["ordering"] = command.ordering.rawValue();
    object["colStart"] = command.colStart;
    object["colEnd"] = command.colEnd;
    object["rowStart"] = command.rowStart;
    object["rowEnd"] = command.rowEnd;
    if (command.shortcut) {
        object["shortcut"] = encode(*command.shortcut);
    }
    if (command.halfAction) {
        object["halfAction"] = command.halfAction->rawValue();
    }
    if (command.maximize) {
        object["maximize"] = *command.maximize;
    }
    if (command.fixedSize) {
        Json size = Json::object();
        size["width"] = command.fixedSize->width;
        size["height"] = command.fixedSize->height;
        object["fixedSize"] = std::move(size);
    }
    return object;
}

Shortcut readShortcut(const JsonReader& reader) {
    return CommandReading::shortcut(reader);
}

ZoneCommand readCommand(const JsonReader& reader) {
    return CommandReading::command(reader);
}

Result<Shortcut> decodeShortcut(const JsonValue& value) {
    return decodeCatching<Shortcut>(value, readShortcut);
}

Result<ZoneCommand> decodeCommand(const JsonValue& value) {
    return decodeCatching<ZoneCommand>(value, readCommand);
}

bool isCommandKey(std::string_view key) {
    static constexpr std::string_view keys[] = {
        "id",       "name",   "cols",     "rows",       "ordering", "colStart", "colEnd",
        "rowStart", "rowEnd", "shortcut", "halfAction", "maximize", "fixedSize"};
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

bool isNestedKey(std::string_view parent, std::string_view key) {
    if (parent == "shortcut") {
        return key == "keyCode" || key == "modifiers";
    }
    if (parent == "fixedSize") {
        return key == "width" || key == "height";
    }
    return false;
}

} // namespace panemark::CommandJson
