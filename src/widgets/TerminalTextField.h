#pragma once

#include <QWidget>

class QLineEdit;

namespace panemark {

// A line of text in a terminal well, outlined in phosphor while it has the focus, with a dim
// placeholder while it is empty. Every keystroke is reported.
class TerminalTextField : public QWidget {
    Q_OBJECT

public:
    explicit TerminalTextField(QWidget* parent = nullptr);

    QLineEdit* editor() const { return editor_; }
    // Changes the text without reporting it (the owner already knows).
    void setText(const QString& text);
    void setPlaceholder(const QString& placeholder);

Q_SIGNALS:
    // Every keystroke's text.
    void edited(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* editor_;
};

} // namespace panemark
