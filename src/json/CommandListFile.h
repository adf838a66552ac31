#pragma once

#include "base/Result.h"
#include "model/ZoneCommand.h"

#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// A text file of commands, as people keep them by hand: one command object, an array of them,
// or several command objects one after another (one per line, as format() writes them).
class CommandListFile {
public:
    // Values nested deeper than this are refused before they are parsed.
    static constexpr int maxNesting = 64;

    // The commands in the text, or what is wrong and where: "[2].ordering: …" for a command,
    // "line 3, column 7: …" for text that is not JSON.
    static Result<std::vector<ZoneCommand>> parse(std::string_view text);

    // One compact command object per line.
    static std::string format(const std::vector<ZoneCommand>& commands);
};

} // namespace panemark
