#pragma once

#include "widgets/NumberEditing.h"

#include <QWidget>
#include <cstdint>

class QToolButton;

namespace panemark {

// A caller's label, then minus and plus buttons that bump an integer by a step within a range.
// The buttons are never disabled: at a bound a press writes the same value again.
class TerminalStepper : public QWidget {
    Q_OBJECT

public:
    TerminalStepper(QWidget* label, NumberEditing::Range range, std::int64_t step,
                    QWidget* parent = nullptr);

    std::int64_t value() const { return value_; }
    void setValue(std::int64_t value) { value_ = value; }
    void setRange(NumberEditing::Range range) { range_ = range; }
    QToolButton* minusButton() const { return minus_; }
    QToolButton* plusButton() const { return plus_; }

Q_SIGNALS:
    // The value after every press.
    void valueChanged(std::int64_t value);

private:
    void bump(std::int64_t delta);

    NumberEditing::Range range_;
    std::int64_t step_;
    std::int64_t value_;
    QToolButton* minus_;
    QToolButton* plus_;
};

} // namespace panemark
