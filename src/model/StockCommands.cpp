#include "model/StockCommands.h"

#include <algorithm>

namespace panemark {

namespace {

constexpr std::uint32_t stockModifiers =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;

ZoneCommand stockCommand(std::int64_t cols, std::int64_t rows, std::size_t n, std::uint32_t keyCode,
                         std::optional<HalfAction> halfAction = std::nullopt) {
    const std::vector<GridCell> cells = Ordering(Ordering::reading).cells(cols, rows);
    const GridCell cell = cells[std::min(n, cells.size()) - 1];
    ZoneCommand command;
    command.cols = cols;
    command.rows = rows;
    command.ordering = Ordering::reading;
    command.colStart = command.colEnd = cell.col;
    command.rowStart = command.rowEnd = cell.row;
    command.shortcut = Shortcut{keyCode, stockModifiers};
    command.halfAction = halfAction;
    return command;
}

} // namespace

std::vector<ZoneCommand> stockCommands() {
    return {
        stockCommand(3, 1, 1, 18),
        stockCommand(3, 1, 2, 19),
        stockCommand(3, 1, 3, 20),
        stockCommand(2, 1, 1, 123),
        stockCommand(2, 1, 2, 124),
        stockCommand(1, 2, 1, 126, HalfAction::top),
        stockCommand(1, 2, 2, 125, HalfAction::bottom),
    };
}

} // namespace panemark
