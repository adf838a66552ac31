#pragma once

#include <QColor>
#include <QWidget>

namespace panemark {

// A rule one point high across the full width.
class TerminalDivider : public QWidget {
public:
    explicit TerminalDivider(const QColor& color, QWidget* parent = nullptr);
};

} // namespace panemark
