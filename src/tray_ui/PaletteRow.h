#pragma once

#include <QWidget>
#include <string>

namespace panemark {

// One row of the palette: a name, a shortcut text on the right, highlighted in the phosphor bar
// while the pointer is over it or the arrow keys chose it; a click runs its action.
class PaletteRow : public QWidget {
    Q_OBJECT

public:
    PaletteRow(std::string name, std::string shortcut, QWidget* parent = nullptr);

    const std::string& name() const { return name_; }
    const std::string& shortcut() const { return shortcut_; }
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return highlighted_; }
    // A click, or Return on the highlighted row.
    void trigger();
    // The name as drawn: cut short ("…") where it would reach the shortcut, which always shows.
    QString shownName() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void triggered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string name_;
    std::string shortcut_;
    bool highlighted_ = false;
};

} // namespace panemark
