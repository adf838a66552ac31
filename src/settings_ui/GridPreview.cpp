#include "settings_ui/GridPreview.h"

#include "settings_ui/GridGeometry.h"
#include "widgets/CornerBrackets.h"
#include "widgets/Glow.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace panemark {

namespace {

bool within(std::int64_t value, std::int64_t a, std::int64_t b) {
    return std::min(a, b) <= value && value <= std::max(a, b);
}

// Drawing more cells than fit on a screen helps nobody; files may still carry huge grids.
constexpr std::int64_t largestDrawnSide = 64;

} // namespace

GridPreview::GridPreview(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMaximumWidth(420);
    setMinimumSize(160, 100);
    setCursor(Qt::CrossCursor);
}

void GridPreview::setGrid(const GridSpan& span, Ordering ordering) {
    span_ = span;
    ordering_ = ordering;
    update();
}

void GridPreview::setShowNumbers(bool show) {
    showNumbers_ = show;
    update();
}

int GridPreview::heightForWidth(int width) const {
    // The layout asks with the width it has, which may be more than the board can take.
    return static_cast<int>(
        std::lround(std::min(width, maximumWidth()) / GridGeometry::aspectRatio));
}

QRectF GridPreview::board() const {
    const QSizeF size = GridGeometry::boardSize(QSizeF(width(), height()));
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QRectF GridPreview::cellArea() const {
    return board().adjusted(GridGeometry::padding, GridGeometry::padding, -GridGeometry::padding,
                            -GridGeometry::padding);
}

bool GridPreview::isSelected(std::int64_t c, std::int64_t r) const {
    return within(c, span_.colStart, span_.colEnd) && within(r, span_.rowStart, span_.rowEnd);
}

void GridPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = board();
    painter.setBrush(Theme::sunken);
    painter.setPen(QPen(Theme::line, 1.2));
    painter.drawRoundedRect(box.adjusted(0.6, 0.6, -0.6, -0.6), 4, 4);
    CornerBrackets{Theme::textDim, 14, 8, 1.4}.paint(painter, box);

    const QRectF area = cellArea();
    painter.translate(area.topLeft());
    QPen cross(Theme::lineFaint, 0.6);
    cross.setDashPattern({4 / 0.6, 6 / 0.6}); // in pen widths
    painter.setPen(cross);
    painter.drawLine(QPointF(0, area.height() / 2), QPointF(area.width(), area.height() / 2));
    painter.drawLine(QPointF(area.width() / 2, 0), QPointF(area.width() / 2, area.height()));

    const std::int64_t cols = std::clamp<std::int64_t>(span_.cols, 1, largestDrawnSide);
    const std::int64_t rows = std::clamp<std::int64_t>(span_.rows, 1, largestDrawnSide);
    const GridGeometry geometry(cols, rows, area.size());
    const QFont numberFont = TerminalFont::at(geometry.numberPointSize());
    const QFont selectedFont = TerminalFont::at(geometry.numberPointSize(), QFont::Bold);
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::int64_t c = 0; c < cols; ++c) {
            const QRectF cell = geometry.cellRect(c, r);
            const bool selected = isSelected(c, r);
            if (selected) {
                Glow::paintRings(painter, cell, 3, 4, 2, 0.5);
            }
            painter.setBrush(selected ? QBrush(Theme::cellSelected(cell)) : QBrush(Theme::bg));
            painter.setPen(selected ? QPen(Theme::phosphor, 2)
                                    : QPen(Theme::withOpacity(Theme::line, 0.55), 1));
            painter.drawRoundedRect(cell, 3, 3);
            if (showNumbers_) {
                painter.setFont(selected ? selectedFont : numberFont);
                painter.setPen(selected ? Theme::marker : Theme::textFaint);
                const auto number = ordering_.position({c, r}, span_.cols, span_.rows);
                painter.drawText(cell, Qt::AlignCenter,
                                 QString::number(static_cast<qlonglong>(number)));
            }
        }
    }
}

void GridPreview::mousePressEvent(QMouseEvent* event) {
    // Only the board takes presses: a click in the bands beside it is no cell.
    if (!interactive_ || event->button() != Qt::LeftButton ||
        !board().contains(event->position())) {
        return;
    }
    press_ = event->position() - cellArea().topLeft();
    drag(*press_);
}

void GridPreview::mouseMoveEvent(QMouseEvent* event) {
    if (interactive_ && press_ && (event->buttons() & Qt::LeftButton)) {
        drag(event->position() - cellArea().topLeft());
    }
}

void GridPreview::drag(QPointF pointer) {
    // The grid as drawn: a press picks what the eye sees.
    const GridGeometry geometry(std::clamp<std::int64_t>(span_.cols, 1, largestDrawnSide),
                                std::clamp<std::int64_t>(span_.rows, 1, largestDrawnSide),
                                cellArea().size());
    std::optional<GridSpan> picked = geometry.spanFor(*press_, pointer);
    if (!picked) {
        return;
    }
    picked->cols = span_.cols;
    picked->rows = span_.rows;
    if (*picked == span_) {
        return;
    }
    span_ = *picked;
    update();
    Q_EMIT spanChanged(span_);
}

} // namespace panemark
