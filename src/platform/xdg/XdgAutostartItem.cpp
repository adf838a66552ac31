#include "platform/xdg/XdgAutostartItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace panemark {

namespace {

// Desktop entry values escape backslashes; Exec quotes arguments that need it.
QString execValue(const QString& program) {
    QString quoted = program;
    quoted.replace("%", "%%")
        .replace("\\", "\\\\\\\\")
        .replace("\"", "\\\\\"")
        .replace("`", "\\\\`")
        .replace("$", "\\\\$");
    return program.contains(' ') || quoted != program ? "\"" + quoted + "\"" : program;
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
    QFile file(QString::fromStdString(entryPath_));
    if (!file.exists()) {
        return Status::notRegistered;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return Status::notFound;
    }
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    if (entryValue(text, "Hidden").value_or("false") == "true") {
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
