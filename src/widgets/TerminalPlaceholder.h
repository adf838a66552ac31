#pragma once

#include <QString>

class QLineEdit;

namespace panemark {

// The dim hint a terminal text field shows while it is empty, in the field's own 13-point type
// and indented like its text.
class TerminalPlaceholder {
public:
    static void apply(QLineEdit& field, const QString& placeholder);
};

} // namespace panemark
