#pragma once

#include "model/StockCommands.h"
#include "model/Uuid.h"
#include "model/ZoneCommand.h"

#include <vector>

namespace panemark {

// A long list: the stock commands over and over, each with an id of its own and no shortcut.
inline std::vector<ZoneCommand> manyCommands(int count) {
    const std::vector<ZoneCommand> stock = stockCommands();
    std::vector<ZoneCommand> many;
    for (int i = 0; i < count; ++i) {
        many.push_back(stock[static_cast<std::size_t>(i) % stock.size()]);
        many.back().id = Uuid::random();
        many.back().shortcut.reset();
    }
    return many;
}

} // namespace panemark
