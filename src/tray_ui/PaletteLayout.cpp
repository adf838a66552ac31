#include "tray_ui/PaletteLayout.h"

#include <algorithm>

namespace panemark {

double PaletteLayout::estimatedContentHeight(int rows) const {
    if (rows < 1) {
        return 0;
    }
    return rowHeight() * rows + (rows - 1) + 12;
}

double PaletteLayout::minimumVisibleCommandHeight() const {
    return 2 * rowHeight() + 1 + 12;
}

double PaletteLayout::commandsPart(int commands) const {
    return commands == 0 ? emptyStateHeight : estimatedContentHeight(commands);
}

double PaletteLayout::baseCommandListHeight(int commands, int profiles,
                                            std::optional<double> visibleHeight) const {
    const double pickerPart =
        profiles < 2 ? 0
                     : estimatedContentHeight(profiles) +
                           (commands == 0 ? emptyStateHeight : minimumVisibleCommandHeight());
    const double wanted = std::max(commandsPart(commands), pickerPart);
    double cap = capWithoutScreen;
    if (visibleHeight) {
        cap = *visibleHeight - screenMargin >= minimumCap ? *visibleHeight - screenMargin
                                                          : minimumCap;
    }
    return std::min(wanted, cap);
}

double PaletteLayout::profilePickerHeight(bool open, int commands, int profiles,
                                          std::optional<double> visibleHeight) const {
    if (!open) {
        return 0;
    }
    const double keep = commands == 0 ? emptyStateHeight : minimumVisibleCommandHeight();
    const double room = baseCommandListHeight(commands, profiles, visibleHeight) - keep;
    return std::min(estimatedContentHeight(profiles), std::max(room, lineHeight_ + 24));
}

double PaletteLayout::commandListHeight(bool pickerOpen, int commands, int profiles,
                                        std::optional<double> visibleHeight) const {
    return baseCommandListHeight(commands, profiles, visibleHeight) -
           profilePickerHeight(pickerOpen, commands, profiles, visibleHeight);
}

} // namespace panemark
