#pragma once

#include "model/FixedSizeSpec.h"
#include "model/GridSpan.h"
#include "model/HalfAction.h"
#include "model/Ordering.h"
#include "model/Shortcut.h"
#include "model/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace panemark {

// One layout command: where the focused window is to go. The grid span is always present; the
// optional fields turn the command into another kind (see kind()). Spans are not ordered and
// not kept inside the grid: every consumer takes the min and max and clamps or prints as is.
struct ZoneCommand {
    enum class Kind { fixedSize, maximize, halfStep, grid };

    Uuid id = Uuid::random();
    std::string name{};
    std::int64_t cols = 1;
    std::int64_t rows = 1;
    Ordering ordering = Ordering::reading;
    std::int64_t colStart = 0;
    std::int64_t colEnd = 0;
    std::int64_t rowStart = 0;
    std::int64_t rowEnd = 0;
    std::optional<Shortcut> shortcut{};
    std::optional<HalfAction> halfAction{};
    std::optional<bool> maximize{};
    std::optional<FixedSizeSpec> fixedSize{};

    GridSpan gridSpan() const { return {cols, rows, colStart, colEnd, rowStart, rowEnd}; }

    // A new grid command of cols × rows in reading order, on its first cell.
    static ZoneCommand firstCellOf(std::int64_t cols, std::int64_t rows);

    // First match wins: fixed size, maximize (when true), half-step, grid.
    Kind kind() const;

    // The description shown when the command has no name of its own.
    std::string autoLabel() const;

    // What lists show: the name as stored, or autoLabel() when the name is blank (only spaces
    // and tabs; a line break is not blank).
    std::string displayName() const;

    bool operator==(const ZoneCommand&) const = default;
};

} // namespace panemark
