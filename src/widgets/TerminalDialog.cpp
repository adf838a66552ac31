#include "widgets/TerminalDialog.h"

#include "widgets/ScreenFit.h"
#include "widgets/TerminalBackground.h"

#include <QPainter>

namespace panemark {

void TerminalDialog::setVisible(bool visible) {
    // Sized before it shows: a platform may hold a window to the size it opened at.
    if (visible && !isVisible()) {
        ScreenFit::fitSize(this);
    }
    QDialog::setVisible(visible);
}

void TerminalDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalBackground::paint(painter, rect());
}

void TerminalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ScreenFit::keepInside(this);
}

} // namespace panemark
