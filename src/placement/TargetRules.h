#pragma once

#include "model/FixedSizeSpec.h"
#include "model/GridSpan.h"
#include "model/HalfAction.h"
#include "model/Rect.h"
#include "model/ZoneCommand.h"

#include <functional>
#include <optional>

namespace panemark {

// Where a window goes, for each kind of command: a function of the visible frame of its screen
// and the window's base frame, both in window space (y down), giving the target frame or no change.
namespace TargetRules {

using Rule = std::function<std::optional<Rect>(const Rect& visibleFrame, const Rect& base)>;

// The span's cells in the visible frame, with the gap.
Rect grid(const GridSpan& span, double gap, const Rect& visibleFrame);
// The visible frame itself, edge to edge, unrounded.
Rect maximize(const Rect& visibleFrame);
// Exactly the requested size, centred on the visible frame even when larger than it.
Rect fixedSize(const FixedSizeSpec& size, const Rect& visibleFrame);
// Cut to the half, then widen to the full-width half, then nothing; the opposite half restores
// the full height. x and width are kept except when widening.
std::optional<Rect> halfStep(HalfAction action, double gap, const Rect& visibleFrame,
                             const Rect& base);

// The rule of the command's kind (fixed size, maximize, half-step, grid; first match wins).
Rule ruleFor(const ZoneCommand& command, double gap);

} // namespace TargetRules

} // namespace panemark
