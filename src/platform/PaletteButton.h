#pragma once

#include "base/Cancellable.h"

#include <functional>

namespace panemark {

// A button for Panemark in the desktop's own panel (GNOME's top bar), which asks for the
// palette; the desktop puts the palette beside it.
class PaletteButton {
public:
    virtual ~PaletteButton() = default;

    [[nodiscard]] virtual Subscription onPaletteRequested(std::function<void()> listener) = 0;
};

} // namespace panemark
