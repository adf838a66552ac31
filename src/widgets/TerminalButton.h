#pragma once

#include "widgets/LabeledControl.h"

#include <QPushButton>

namespace panemark {

// A button on the terminal theme: prominent ones are dark text on the phosphor bar, plain ones
// bright text on the raised fill; both outlined, and dimmed while pressed.
class TerminalButton : public QPushButton, public LabeledControl {
    Q_OBJECT

public:
    // The text is shown as it stands: an "&" in it is a character, not a mnemonic.
    TerminalButton(const QString& text, bool prominent, QWidget* parent = nullptr);

    const QString& label() const { return label_; }

    bool isProminent() const { return prominent_; }
    // Selected choices among buttons show prominent.
    void setProminent(bool prominent);
    QSize sizeHint() const override;
    // Never narrower than its label.
    QSize minimumSizeHint() const override { return sizeHint(); }
    QString shownLabel() const override { return label_; }
    // Whether the button is wide enough for its whole label (else its middle is left out).
    bool showsWholeLabel() const override;
    // What the label is drawn in.
    QColor labelColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int horizontalPadding = 24;

    bool prominent_;
    QString label_;
};

} // namespace panemark
