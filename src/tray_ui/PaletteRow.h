#pragma once

#include <QWidget>
#include <functional>
#include <string>

namespace panemark {

// One row of the palette: a name, a shortcut text on the right, highlighted in the phosphor bar
// while the pointer is over it or the arrow keys chose it; a click runs its action.
class PaletteRow : public QWidget {
public:
    PaletteRow(std::string name, std::string shortcut, std::function<void()> action,
               QWidget* parent = nullptr);

    const std::string& name() const { return name_; }
    const std::string& shortcut() const { return shortcut_; }
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return highlighted_; }
    // Shown but inert (for windows that do not exist yet).
    void setInert(bool inert) { inert_ = inert; }
    void trigger();
    // The name as drawn: cut short ("…") where it would reach the shortcut, which always shows.
    QString shownName() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string name_;
    std::string shortcut_;
    std::function<void()> action_;
    bool highlighted_ = false;
    bool inert_ = false;
};

} // namespace panemark
