#include "settings_ui/CommandEditing.h"

#include "model/WideInt.h"

#include <algorithm>
#include <limits>

namespace panemark {

namespace {

// |end − start| + 1 without overflow on values from hand-edited files.
std::int64_t extent(std::int64_t start, std::int64_t end) {
    const WideInt difference = static_cast<WideInt>(end) - start;
    return saturatedInt64((difference < 0 ? -difference : difference) + 1);
}

} // namespace

CommandEditing::Form CommandEditing::formFor(const ZoneCommand& command) {
    switch (command.kind()) {
    case ZoneCommand::Kind::fixedSize:
        return Form::fixedSize;
    case ZoneCommand::Kind::maximize:
        return Form::maximize;
    case ZoneCommand::Kind::halfStep:
        return Form::halfStep;
    case ZoneCommand::Kind::grid:
        break;
    }
    return Form::grid;
}

std::int64_t CommandEditing::spanWidth(const ZoneCommand& command) {
    return extent(command.colStart, command.colEnd);
}

std::int64_t CommandEditing::spanHeight(const ZoneCommand& command) {
    return extent(command.rowStart, command.rowEnd);
}

bool CommandEditing::isSingleCell(const ZoneCommand& command) {
    return spanWidth(command) == 1 && spanHeight(command) == 1;
}

std::string CommandEditing::selectionDetail(const ZoneCommand& command) {
    if (isSingleCell(command)) {
        return "(single cell)";
    }
    const std::int64_t cells =
        saturatedInt64(static_cast<WideInt>(spanWidth(command)) * spanHeight(command));
    return "(" + std::to_string(cells) + " cells)";
}

std::string CommandEditing::positionLabel(const ZoneCommand& command) {
    if (isSingleCell(command)) {
        return "Cell " + std::to_string(position(command));
    }
    return "Span " + std::to_string(spanWidth(command)) + "×" + std::to_string(spanHeight(command));
}

std::int64_t CommandEditing::position(const ZoneCommand& command) {
    const GridCell corner{std::min(command.colStart, command.colEnd),
                          std::min(command.rowStart, command.rowEnd)};
    return saturatedInt64(command.ordering.position(corner, command.cols, command.rows));
}

ZoneCommand CommandEditing::withPosition(ZoneCommand command, std::int64_t n) {
    const std::vector<GridCell> cells = command.ordering.cells(command.cols, command.rows);
    if (cells.empty()) {
        return command;
    }
    const auto last = static_cast<std::int64_t>(cells.size()) - 1;
    const GridCell cell = cells[static_cast<std::size_t>(std::clamp<std::int64_t>(
        n > std::numeric_limits<std::int64_t>::min() ? n - 1 : 0, 0, last))];
    command.colStart = command.colEnd = cell.col;
    command.rowStart = command.rowEnd = cell.row;
    return command;
}

ZoneCommand CommandEditing::singleCell(ZoneCommand command) {
    command.colEnd = command.colStart;
    command.rowEnd = command.rowStart;
    return command;
}

ZoneCommand CommandEditing::clampSelection(ZoneCommand command) {
    const std::int64_t maxCol = std::max<std::int64_t>(command.cols - 1, 0);
    const std::int64_t maxRow = std::max<std::int64_t>(command.rows - 1, 0);
    command.colStart = std::min(maxCol, command.colStart);
    command.colEnd = std::min(maxCol, command.colEnd);
    command.rowStart = std::min(maxRow, command.rowStart);
    command.rowEnd = std::min(maxRow, command.rowEnd);
    return command;
}

ZoneCommand CommandEditing::withGrid(ZoneCommand command, std::int64_t cols, std::int64_t rows) {
    command.cols = cols;
    command.rows = rows;
    return clampSelection(std::move(command));
}

std::int64_t CommandEditing::width(const ZoneCommand& command) {
    return command.fixedSize ? command.fixedSize->width : defaultWidth;
}

std::int64_t CommandEditing::height(const ZoneCommand& command) {
    return command.fixedSize ? command.fixedSize->height : defaultHeight;
}

ZoneCommand CommandEditing::withWidth(ZoneCommand command, std::int64_t width) {
    command.fixedSize = FixedSizeSpec{width, height(command)};
    return command;
}

ZoneCommand CommandEditing::withHeight(ZoneCommand command, std::int64_t height) {
    command.fixedSize = FixedSizeSpec{width(command), height};
    return command;
}

bool CommandEditing::isPreset(const ZoneCommand& command, const Preset& preset) {
    return command.fixedSize == FixedSizeSpec{preset.width, preset.height};
}

} // namespace panemark
