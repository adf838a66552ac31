#pragma once

#include "model/FixedSizeSpec.h"
#include "model/ZoneCommand.h"

#include <array>
#include <cstdint>
#include <string>

namespace panemark {

// The rules of the command editor, apart from any widget: which form edits a command, how its
// span reads, and what each control writes. Every function returns the whole new command; the
// editor writes it through its binding once.
class CommandEditing {
public:
    enum class Form { grid, halfStep, maximize, fixedSize };
    struct Preset {
        const char* label;
        std::int64_t width;
        std::int64_t height;
    };
    static constexpr std::array<Preset, 3> presets{
        {{"720p", 1280, 720}, {"1080p", 1920, 1080}, {"1440p", 2560, 1440}}};
    static constexpr std::int64_t defaultWidth = FixedSizeSpec::defaultWidth;
    static constexpr std::int64_t defaultHeight = FixedSizeSpec::defaultHeight;
    static constexpr std::int64_t minimumSize = 100;
    static constexpr std::int64_t maximumSize = 8192;
    static constexpr std::int64_t maximumGrid = 12;

    // The same precedence as running a command: fixed size, maximize, grid, half-step.
    static Form formFor(const ZoneCommand& command);

    static std::int64_t spanWidth(const ZoneCommand& command);
    static std::int64_t spanHeight(const ZoneCommand& command);
    static bool isSingleCell(const ZoneCommand& command);
    // "(single cell)" or "(6 cells)".
    static std::string selectionDetail(const ZoneCommand& command);
    // "Cell 6" for a single cell, "Span 2×3" otherwise.
    static std::string positionLabel(const ZoneCommand& command);

    // The place, in the command's ordering, of the span's top-left cell.
    static std::int64_t position(const ZoneCommand& command);
    // The single cell at place n (kept within the grid).
    static ZoneCommand withPosition(ZoneCommand command, std::int64_t n);
    // A span collapsed onto its start corner: the cell where a drag began.
    static ZoneCommand singleCell(ZoneCommand command);
    // After the grid shrank: every span index lowered into it (never raised).
    static ZoneCommand clampSelection(ZoneCommand command);
    static ZoneCommand withGrid(ZoneCommand command, std::int64_t cols, std::int64_t rows);

    static std::int64_t width(const ZoneCommand& command);
    static std::int64_t height(const ZoneCommand& command);
    static ZoneCommand withWidth(ZoneCommand command, std::int64_t width);
    static ZoneCommand withHeight(ZoneCommand command, std::int64_t height);
    static bool isPreset(const ZoneCommand& command, const Preset& preset);
};

} // namespace panemark
