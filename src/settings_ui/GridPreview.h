#pragma once

#include "model/GridSpan.h"
#include "model/Ordering.h"

#include <QWidget>
#include <optional>

namespace panemark {

// A command's grid as a small screen: its cells numbered in the command's order, the covered
// ones lit. A press picks a cell and a drag the rectangle from the press to the pointer; every
// movement writes the span at once.
class GridPreview : public QWidget {
    Q_OBJECT

public:
    explicit GridPreview(QWidget* parent = nullptr);

    void setGrid(const GridSpan& span, Ordering ordering);
    void setInteractive(bool interactive) { interactive_ = interactive; }
    void setShowNumbers(bool show);

    // The board, centred in the widget; only it takes presses.
    QRectF board() const;
    // Where the cells lie in the widget (the board less its padding).
    QRectF cellArea() const;
    bool isSelected(std::int64_t c, std::int64_t r) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override { return {420, heightForWidth(420)}; }

Q_SIGNALS:
    // Every span a press or a drag picks.
    void spanChanged(const panemark::GridSpan& span);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void drag(QPointF pointer);

    GridSpan span_;
    Ordering ordering_ = Ordering::reading;
    bool interactive_ = true;
    bool showNumbers_ = true;
    std::optional<QPointF> press_;
};

} // namespace panemark
