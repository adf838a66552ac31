#pragma once

#include "widgets/NumberEditing.h"

#include <QLineEdit>
#include <cstdint>

class QLabel;

namespace panemark {

// An integer in a range, typed in a terminal well: only digits can be typed; Return or leaving
// the field commits, clamped; Escape restores the number and leaves the field.
class TerminalNumberField : public QWidget {
    Q_OBJECT

public:
    TerminalNumberField(NumberEditing::Range range, const QString& suffix,
                        QWidget* parent = nullptr);

    std::int64_t value() const { return value_; }
    // From outside: the field shows it at once.
    void setValue(std::int64_t value);
    QLineEdit* editor() const { return editor_; }

Q_SIGNALS:
    // Each committed value that differs from the last.
    void valueChanged(std::int64_t value);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commit();

    NumberEditing::Range range_;
    std::int64_t value_ = 0;
    QLineEdit* editor_;
    QLabel* suffix_;
};

} // namespace panemark
