#include "widgets/LiteralText.h"

namespace panemark {

QString LiteralText::forMnemonics(const QString& text) {
    QString escaped = text;
    return escaped.replace('&', QStringLiteral("&&"));
}

QString LiteralText::forMnemonics(const std::string& text) {
    return forMnemonics(QString::fromStdString(text));
}

} // namespace panemark
