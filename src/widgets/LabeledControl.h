#pragma once

#include <QString>

namespace panemark {

// A themed control that shows a label it may have to shorten when it is too narrow: tests ask
// each one, at every scale, whether its whole label shows.
class LabeledControl {
public:
    virtual ~LabeledControl() = default;
    virtual QString shownLabel() const = 0;
    // Whether the control is wide enough for its whole label.
    virtual bool showsWholeLabel() const = 0;
};

} // namespace panemark
