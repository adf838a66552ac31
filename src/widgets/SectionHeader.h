#pragma once

#include <QWidget>

namespace panemark {

// ">_ TEXT" in small tracked capitals, and an optional note at the right. Screen readers hear
// the text alone, as a heading.
class SectionHeader : public QWidget {
    Q_OBJECT

public:
    SectionHeader(const QString& text, const QString& trailing = {}, QWidget* parent = nullptr);

    QString shownText() const { return ">_ " + text_; }
    QString trailing() const { return trailing_; }
    void setTrailing(const QString& trailing) {
        trailing_ = trailing;
        update();
    }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QString trailing_;
};

} // namespace panemark
