#include "widgets/TerminalStepper.h"

#include "widgets/Symbols.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace panemark {

namespace {

QToolButton* stepButton(Symbols::Name symbol, const QString& accessibleName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFixedSize(22, 20);
    button->setIcon(QIcon(Symbols::pixmap(symbol, QSizeF(9, 9), Theme::textBright, 2)));
    button->setIconSize(QSize(9, 9));
    button->setAccessibleName(accessibleName);
    button->setStyleSheet(ThemeStyle::bareToolButton());
    return button;
}

} // namespace

TerminalStepper::TerminalStepper(QWidget* label, NumberEditing::Range range, std::int64_t step,
                                 QWidget* parent)
    : QWidget(parent), range_(range), step_(step), value_(range.lower) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    if (label) {
        label->setParent(this);
        row->addWidget(label);
    }
    auto* control = new QWidget(this);
    control->setObjectName("stepperControl");
    control->setStyleSheet(ThemeStyle::stepperFrame("stepperControl"));
    auto* buttons = new QHBoxLayout(control);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    minus_ = stepButton(Symbols::Name::minus, "Decrease", control);
    plus_ = stepButton(Symbols::Name::plus, "Increase", control);
    auto* rule = new QWidget(control);
    rule->setFixedSize(1, 16);
    rule->setStyleSheet(ThemeStyle::fill(Theme::withOpacity(Theme::line, 0.6)));
    buttons->addWidget(minus_);
    buttons->addWidget(rule);
    buttons->addWidget(plus_);
    row->addWidget(control);
    QObject::connect(minus_, &QToolButton::clicked, this, [this] { bump(-step_); });
    QObject::connect(plus_, &QToolButton::clicked, this, [this] { bump(step_); });
}

void TerminalStepper::bump(std::int64_t delta) {
    value_ = NumberEditing::bump(value_, delta, range_);
    Q_EMIT valueChanged(value_);
}

} // namespace panemark
