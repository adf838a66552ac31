#pragma once

#include <QCheckBox>

namespace panemark {

// A check box on the theme: a small sunken square, filled phosphor with a dark checkmark when
// on, and its label in the given size and colour.
class TerminalCheckBox : public QCheckBox {
    Q_OBJECT

public:
    TerminalCheckBox(const QString& text, double pointSize, const QColor& textColor,
                     QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // A long label wraps onto more lines rather than being cut.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    static constexpr int boxSide = 12;
    static constexpr int spacing = 7;
    QColor textColor_;
};

} // namespace panemark
