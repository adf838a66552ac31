#pragma once

#include "base/Result.h"
#include "json/JsonReader.h"
#include "model/ZoneCommand.h"

namespace panemark {

// The JSON forms of commands and shortcuts. Writers emit keys in declaration order and leave
// absent optional keys out; readers accept any key order, ignore unknown keys, and take a
// missing or null optional key as absent.
namespace CommandJson {

Json encode(const Shortcut& shortcut);
Json encode(const ZoneCommand& command);

Result<Shortcut> decodeShortcut(const JsonValue& value);
Result<ZoneCommand> decodeCommand(const JsonValue& value);

// The keys a command decoder reads: of the command itself, and of its nested objects. Readers
// may drop every other key before it costs memory.
bool isCommandKey(std::string_view key);
bool isNestedKey(std::string_view parent, std::string_view key);

// Decoders to compose into larger ones: they throw JsonDecodeError naming the reader's path.
Shortcut readShortcut(const JsonReader& reader);
ZoneCommand readCommand(const JsonReader& reader);

} // namespace CommandJson

} // namespace panemark
