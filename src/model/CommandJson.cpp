#include "model/CommandJson.h"

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

FixedSizeSpec readFixedSize(const JsonReader& reader) {
    reader.expectObject();
    return FixedSizeSpec{reader.required("width").asInt64(), reader.required("height").asInt64()};
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
    reader.expectObject("a shortcut object");
    return Shortcut{reader.required("keyCode").asUInt32(), reader.required("modifiers").asUInt32()};
}

ZoneCommand readCommand(const JsonReader& reader) {
    reader.expectObject("a command object");
    // The id given here: a command made with a fresh random one would cost a system call.
    ZoneCommand command{.id = reader.required("id").asUuid()};
    command.name = reader.required("name").asString();
    command.cols = reader.required("cols").asInt64();
    command.rows = reader.required("rows").asInt64();
    command.ordering = reader.required("ordering").asChoice<Ordering>();
    command.colStart = reader.required("colStart").asInt64();
    command.colEnd = reader.required("colEnd").asInt64();
    command.rowStart = reader.required("rowStart").asInt64();
    command.rowEnd = reader.required("rowEnd").asInt64();
    if (auto shortcut = reader.optional("shortcut")) {
        command.shortcut = readShortcut(*shortcut);
    }
    if (auto halfAction = reader.optional("halfAction")) {
        command.halfAction = halfAction->asChoice<HalfAction>();
    }
    if (auto maximize = reader.optional("maximize")) {
        command.maximize = maximize->asBool();
    }
    if (auto fixedSize = reader.optional("fixedSize")) {
        command.fixedSize = readFixedSize(*fixedSize);
    }
    return command;
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
