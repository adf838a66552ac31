#pragma once

#include <QString>

namespace panemark {

// Text from the user (a profile's name) for the places where Qt reads "&" as the mark of a
// keyboard mnemonic: buttons, tool buttons, menu items. Escaped, "R&D" shows as typed and makes
// no accidental Alt shortcut.
class LiteralText {
public:
    static QString forMnemonics(const QString& text);
    static QString forMnemonics(const std::string& text);
};

} // namespace panemark
