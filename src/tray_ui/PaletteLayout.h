#pragma once

#include <optional>

namespace panemark {

// The heights of the command palette, from the line height L of the 13-point font: a row is
// L + 12 high; the command list holds what it needs up to a cap from the screen; an open profile
// picker takes its room from the command list but leaves at least two rows (or the empty state).
class PaletteLayout {
public:
    static constexpr double width = 290;
    static constexpr double emptyStateHeight = 62;
    static constexpr double screenMargin = 260; // kept free of the list on the main screen
    static constexpr double minimumCap = 320;
    static constexpr double capWithoutScreen = 540;

    explicit PaletteLayout(double lineHeight) : lineHeight_(lineHeight) {}

    double rowHeight() const { return lineHeight_ + 12; }
    // n rows with 1-point separators and 12 points of padding; 0 for none.
    double estimatedContentHeight(int rows) const;
    double minimumVisibleCommandHeight() const;
    // visibleHeight: the visible height of the screen the palette opens on, if known.
    double baseCommandListHeight(int commands, int profiles,
                                 std::optional<double> visibleHeight) const;
    double profilePickerHeight(bool open, int commands, int profiles,
                               std::optional<double> visibleHeight) const;
    double commandListHeight(bool pickerOpen, int commands, int profiles,
                             std::optional<double> visibleHeight) const;

private:
    double commandsPart(int commands) const;
    double lineHeight_;
};

} // namespace panemark
