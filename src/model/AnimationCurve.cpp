#include "model/AnimationCurve.h"

#include "model/LabeledChoice.h"

#include <cmath>

namespace panemark {

std::optional<AnimationCurve> AnimationCurve::fromRawValue(std::string_view raw) {
    return caseWithRawValue<AnimationCurve>(raw);
}

std::string_view AnimationCurve::rawValue() const {
    switch (value_) {
    case linear:
        return "linear";
    case easeOut:
        return "easeOut";
    case easeInOut:
        return "easeInOut";
    }
    return "easeInOut";
}

std::string_view AnimationCurve::label() const {
    switch (value_) {
    case linear:
        return "Linear";
    case easeOut:
        return "Ease out";
    case easeInOut:
        return "Ease in-out";
    }
    return "Ease in-out";
}

double AnimationCurve::progress(double t) const {
    if (!(t < 1)) {
        return 1; // also for NaN: an animation must always be able to arrive
    }
    if (t < 0) {
        return 0;
    }
    switch (value_) {
    case linear:
        return t;
    case easeOut:
        return 1 - std::pow(1 - t, 3);
    case easeInOut:
        return t < 0.5 ? 4 * t * t * t : 1 - 0.5 * std::pow(2 - 2 * t, 3);
    }
    return t;
}

} // namespace panemark
