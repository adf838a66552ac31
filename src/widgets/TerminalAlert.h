#pragma once

#include "widgets/TerminalDialog.h"

#include <vector>

class QLabel;
class QLineEdit;

namespace panemark {

class TerminalButton;

// A question on the theme, in a window of its own over its parent: a title, a message, perhaps
// a line to type in, and buttons. The last button is the default (Return); the cancel button
// also answers Escape. A button closes the alert, which says which one through QDialog::finished:
// the button's place in the list, counting from 1 (0 when the window was closed).
class TerminalAlert : public TerminalDialog {
    Q_OBJECT

public:
    enum class Role { normal, cancel, destructive };
    struct Button {
        QString title;
        Role role = Role::normal;
    };

    TerminalAlert(QWidget* parent, const QString& title, const QString& message,
                  std::vector<Button> buttons);

    // Adds a line to type in, with a placeholder, before the buttons.
    QLineEdit* addField(const QString& text, const QString& placeholder);
    QLineEdit* field() const { return field_; }

    QString title() const;
    QString message() const;
    TerminalButton* button(const QString& title) const;
    const std::vector<TerminalButton*>& buttons() const { return buttons_; }

    static constexpr int buttonSpacing = 8;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void answer(std::size_t index);

    QLabel* title_;
    QLabel* message_;
    QLineEdit* field_ = nullptr;
    std::vector<Button> choices_;
    std::vector<TerminalButton*> buttons_;
};

} // namespace panemark
