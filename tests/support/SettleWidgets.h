#pragma once

#include <QApplication>

namespace panemark {

// Lets posted work run (refreshes one turn later, layouts) until the widgets show what the
// stores hold.
inline void settleWidgets() {
    for (int i = 0; i < 5; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
    }
}

} // namespace panemark
