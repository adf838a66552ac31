#pragma once

#include "model/FixedSizeSpec.h"
#include "model/HalfAction.h"
#include "model/Ordering.h"
#include "model/Shortcut.h"
#include "model/ZoneCommand.h"

namespace panemark::CommandReading {

// The one set of rules for reading a command, over any reader with JsonReader's calls: the
// strict one that names every fault, or a fast one that only says whether all was well.

template <class Reader> FixedSizeSpec fixedSize(const Reader& reader) {
    reader.expectObject();
    return FixedSizeSpec{reader.required("width").asInt64(), reader.required("height").asInt64()};
}

template <class Reader> Shortcut shortcut(const Reader& reader) {
    reader.expectObject("a shortcut object");
    return Shortcut{reader.required("keyCode").asUInt32(), reader.required("modifiers").asUInt32()};
}

template <class Reader> ZoneCommand command(const Reader& reader) {
    reader.expectObject("a command object");
    // The id given here: a command made with a fresh random one would cost a system call.
    ZoneCommand command{.id = reader.required("id").asUuid()};
    command.name = reader.required("name").asString();
    command.cols = reader.required("cols").asInt64();
    command.rows = reader.required("rows").asInt64();
    command.ordering = reader.required("ordering").template asChoice<Ordering>();
    command.colStart = reader.required("colStart").asInt64();
    command.colEnd = reader.required("colEnd").asInt64();
    command.rowStart = reader.required("rowStart").asInt64();
    command.rowEnd = reader.required("rowEnd").asInt64();
    if (auto found = reader.optional("shortcut")) {
        command.shortcut = shortcut(*found);
    }
    if (auto found = reader.optional("halfAction")) {
        command.halfAction = found->template asChoice<HalfAction>();
    }
    if (auto found = reader.optional("maximize")) {
        command.maximize = found->asBool();
    }
    if (auto found = reader.optional("fixedSize")) {
        command.fixedSize = fixedSize(*found);
    }
    return command;
}

} // namespace panemark::CommandReading
