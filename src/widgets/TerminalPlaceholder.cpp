#include "widgets/TerminalPlaceholder.h"

#include "widgets/Theme.h"

#include <QLineEdit>
#include <QPalette>

namespace panemark {

void TerminalPlaceholder::apply(QLineEdit& field, const QString& placeholder) {
    QPalette palette = field.palette();
    palette.setColor(QPalette::PlaceholderText, Theme::textDim);
    field.setPalette(palette);
    field.setPlaceholderText(placeholder);
}

} // namespace panemark
