#include "platform/xdg/XdgAutostartItem.h"

#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>

namespace panemark {

namespace {

constexpr std::size_t maxEntrySize = 64 * 1024;

// The Exec value for one program path, by the desktop-entry rules: an argument holding a
// reserved character is double-quoted, and inside the quotes ", `, $ and \ take a backslash;
// a literal % is %%. The value as a whole is then a string, whose own escapes come last.
QString execValue(const QString& program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    QString argument;
    for (const QChar c : program) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            argument += '\\';
        }
        argument += c == '%' ? QStringLiteral("%%") : QString(c);
    }
    if (needsQuotes) {
        argument = '"' + argument + '"';
    }
    QString value;
    for (const QChar c : argument) {
        if (c == '\\') {
            value += QStringLiteral("\\\\");
        } else if (c == '\n') {
            value += QStringLiteral("\\n");
        } else if (c == '\t') {
            value += QStringLiteral("\\t");
        } else if (c == '\r') {
            value += QStringLiteral("\\r");
        } else {
            value += c;
        }
    }
    return value;
}

QString entryText(const QString& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Panemark\n"
           "Comment=Tile windows from the keyboard\n"
           "Exec=" +
           execValue(program) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

// The value of key in the [Desktop Entry] group, or none.
std::optional<QString> entryValue(const QString& text, const QString& key) {
    bool inMainGroup = false;
    for (const QString& rawLine : text.split('\n')) {
        const QString line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && line.startsWith(key + "=")) {
            return line.mid(key.size() + 1).trimmed();
        }
    }
    return std::nullopt;
}

} // namespace

XdgAutostartItem::XdgAutostartItem(std::string entryPath, std::string program)
    : entryPath_(std::move(entryPath)), program_(std::move(program)) {}

XdgAutostartItem XdgAutostartItem::forThisProgram() {
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString program = QFileInfo("/proc/self/exe").canonicalFilePath();
    return XdgAutostartItem((configHome + "/autostart/panemark.desktop").toStdString(),
                            program.toStdString());
}

LoginItem::Status XdgAutostartItem::status() {
    unusable_.reset();
    TextFile::Read read = TextFile::read(entryPath_, maxEntrySize);
    if (read.problem == TextFile::Problem::missing) {
        return Status::notRegistered;
    }
    if (read.problem != TextFile::Problem::none) {
        unusable_ = read.message;
        return Status::notFound;
    }
    const QString text = QString::fromUtf8(read.text);
    // Both are how session settings record "turned off" without removing the entry.
    if (entryValue(text, "Hidden").value_or("false") == "true" ||
        entryValue(text, "X-GNOME-Autostart-enabled").value_or("true") == "false") {
        return Status::requiresApproval;
    }
    const QString exec = entryValue(text, "Exec").value_or("");
    if (exec != execValue(QString::fromStdString(program_))) {
        return Status::notFound; // it runs some other program, or one that has moved
    }
    return Status::enabled;
}

Result<bool> XdgAutostartItem::registerItem() {
    const QString path = QString::fromStdString(entryPath_);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return Error{"cannot create " + QFileInfo(path).absolutePath().toStdString()};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Error{file.errorString().toStdString()};
    }
    file.write(entryText(QString::fromStdString(program_)).toUtf8());
    if (!file.commit()) {
        return Error{file.errorString().toStdString()};
    }
    return true;
}

Result<bool> XdgAutostartItem::unregisterItem() {
    QFile file(QString::fromStdString(entryPath_));
    if (file.exists() && !file.remove()) {
        return Error{file.errorString().toStdString()};
    }
    return true;
}

} // namespace panemark
