#include "model/ZoneCommand.h"

#include "base/Text.h"

#include <algorithm>
#include <string_view>

namespace panemark {

namespace {

enum class Axis { horizontal, vertical };

std::string ordinal(WideInt number) {
    if (number == 1) {
        return "1st";
    }
    if (number == 2) {
        return "2nd";
    }
    if (number == 3) {
        return "3rd";
    }
    return toString(number) + "th";
}

// The name of cell index among count along an axis, or none for an index outside the named
// halves and thirds.
std::optional<std::string> nth(std::int64_t index, std::int64_t count, Axis axis) {
    static constexpr std::string_view halves[2][2] = {{"Left half", "Right half"},
                                                      {"Top half", "Bottom half"}};
    static constexpr std::string_view thirds[2][3] = {
        {"Left third", "Center third", "Right third"},
        {"Top third", "Middle third", "Bottom third"}};
    const int axisIndex = axis == Axis::horizontal ? 0 : 1;
    if (count == 2 || count == 3) {
        if (index < 0 || index >= count) {
            return std::nullopt;
        }
        return std::string(count == 2 ? halves[axisIndex][index] : thirds[axisIndex][index]);
    }
    return ordinal(static_cast<WideInt>(index) + 1) +
           (axis == Axis::horizontal ? " column of " : " row of ") + std::to_string(count);
}

// "2" for a single index, "1–3" for a range (1-based).
std::string range(std::int64_t lo, std::int64_t hi) {
    const std::string first = toString(static_cast<WideInt>(lo) + 1);
    return lo == hi ? first : first + "–" + toString(static_cast<WideInt>(hi) + 1);
}

std::string gridSize(std::int64_t cols, std::int64_t rows) {
    return std::to_string(cols) + "×" + std::to_string(rows);
}

std::string singleCellLabel(const ZoneCommand& command, std::int64_t col, std::int64_t row) {
    const std::int64_t cols = command.cols;
    const std::int64_t rows = command.rows;
    auto positionForm = [&] {
        return "Position " + toString(command.ordering.position({col, row}, cols, rows)) + " of " +
               gridSize(cols, rows);
    };
    if (cols == 2 && rows == 2) {
        return std::string(row == 0 ? "Top" : "Bottom") + "-" + (col == 0 ? "left" : "right") +
               " quadrant";
    }
    if (rows == 1) {
        std::optional<std::string> name = nth(col, cols, Axis::horizontal);
        if (!name && cols == 1) {
            name = nth(row, rows, Axis::vertical);
        }
        return name.value_or(positionForm());
    }
    if (cols == 1) {
        return nth(row, rows, Axis::vertical).value_or(positionForm());
    }
    return positionForm();
}

} // namespace

ZoneCommand ZoneCommand::firstCellOf(std::int64_t cols, std::int64_t rows) {
    ZoneCommand command;
    command.cols = cols;
    command.rows = rows;
    command.ordering = Ordering::reading;
    const GridCell first = Ordering(Ordering::reading).cells(cols, rows).front();
    command.colStart = command.colEnd = first.col;
    command.rowStart = command.rowEnd = first.row;
    return command;
}

ZoneCommand::Kind ZoneCommand::kind() const {
    if (fixedSize) {
        return Kind::fixedSize;
    }
    if (maximize.value_or(false)) {
        return Kind::maximize;
    }
    if (halfAction) {
        return Kind::halfStep;
    }
    return Kind::grid;
}

std::string ZoneCommand::autoLabel() const {
    switch (kind()) {
    case Kind::fixedSize:
        return std::to_string(fixedSize->width) + "×" + std::to_string(fixedSize->height) +
               " centered";
    case Kind::maximize:
        return "Maximize (full screen)";
    case Kind::halfStep:
        return *halfAction == HalfAction::top ? "Top half → full width"
                                              : "Bottom half → full width";
    case Kind::grid:
        break;
    }
    const auto [loC, hiC] = std::minmax(colStart, colEnd);
    const auto [loR, hiR] = std::minmax(rowStart, rowEnd);
    if (loC == hiC && loR == hiR) {
        return singleCellLabel(*this, loC, loR);
    }
    return "Cells " + range(loC, hiC) + "×" + range(loR, hiR) + " of " + gridSize(cols, rows);
}

std::string ZoneCommand::displayName() const {
    return Text::isBlank(name, Text::LineBreaks::kept) ? autoLabel() : name;
}

} // namespace panemark
