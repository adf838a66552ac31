#pragma once

#include "model/ZoneCommand.h"

#include <string>
#include <vector>

namespace panemark {

// Values a valid command file may hold but the settings window would never write, and that
// tile badly or never fire. Each warning names the element and key: "[3].cols: 40 is outside
// 1–12". A problem shared by many commands is one warning, not one per command.
class CommandLinter {
public:
    static constexpr std::int64_t maxGrid = 12;
    static constexpr std::int64_t minFixedSize = 100;
    static constexpr std::int64_t maxFixedSize = 8192;
    // How many element positions a shared-value warning lists before "…".
    static constexpr std::size_t listedPositions = 5;

    static std::vector<std::string> warnings(const std::vector<ZoneCommand>& commands);
};

} // namespace panemark
