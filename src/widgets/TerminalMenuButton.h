#pragma once

#include <QToolButton>

namespace panemark {

// What every TerminalMenu is to Qt, whatever its choice: a tool button that says which entry of
// its menu was chosen (a template cannot declare signals).
class TerminalMenuButton : public QToolButton {
    Q_OBJECT

public:
    using QToolButton::QToolButton;

Q_SIGNALS:
    // The entry at this place in the menu's order.
    void chosen(int index);
};

} // namespace panemark
