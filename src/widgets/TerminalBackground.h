#pragma once

#include <QWidget>

class QPainter;

namespace panemark {

// The window background: near-black, a faint green glow up and to the left, a vignette that
// darkens the edges, and scan lines. As a widget it fills its parent and lets every event
// through; windows that paint themselves call paint() first.
class TerminalBackground : public QWidget {
public:
    explicit TerminalBackground(QWidget* parent = nullptr);

    static void paint(QPainter& painter, const QRectF& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace panemark
