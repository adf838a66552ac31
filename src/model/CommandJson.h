#pragma once

#include "model/JsonReader.h"
#include "model/ZoneCommand.h"
#include "runtime/Result.h"

namespace panemark {

// The JSON forms of commands and shortcuts. Writers emit keys in declaration order and leave
// absent optional keys out; readers accept any key order, ignore unknown keys, and take a
// missing or null optional key as absent.
namespace CommandJson {

Json encode(const Shortcut& shortcut);
Json encode(const ZoneCommand& command);

Result<Shortcut> decodeShortcut(const Json& value);
Result<ZoneCommand> decodeCommand(const Json& value);

// Decoders to compose into larger ones: they throw JsonDecodeError naming the reader's path.
Shortcut readShortcut(const JsonReader& reader);
ZoneCommand readCommand(const JsonReader& reader);

} // namespace CommandJson

} // namespace panemark
