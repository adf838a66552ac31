#pragma once

#include "theme/NumberEditing.h"

#include <QWidget>
#include <functional>

class QToolButton;

namespace panemark {

// A caller's label, then minus and plus buttons that bump an integer by a step within a range.
// The buttons are never disabled: at a bound a press writes the same value again.
class TerminalStepper : public QWidget {
public:
    TerminalStepper(QWidget* label, NumberEditing::Range range, std::int64_t step,
                    QWidget* parent = nullptr);

    std::int64_t value() const { return value_; }
    void setValue(std::int64_t value) { value_ = value; }
    void setRange(NumberEditing::Range range) { range_ = range; }
    // Called with the value after every press.
    std::function<void(std::int64_t)> onChange;

    QToolButton* minusButton() const { return minus_; }
    QToolButton* plusButton() const { return plus_; }

private:
    void bump(std::int64_t delta);

    NumberEditing::Range range_;
    std::int64_t step_;
    std::int64_t value_;
    QToolButton* minus_;
    QToolButton* plus_;
};

} // namespace panemark
