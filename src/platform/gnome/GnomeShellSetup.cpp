#include "platform/gnome/GnomeShellSetup.h"

#include "platform/gnome/GnomeShellExtension.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

namespace panemark {

namespace {

constexpr int callTimeoutMs = 3000;
constexpr int programTimeoutMs = 15000;

struct Ran {
    int status = -1;
    std::string output;
};

Ran runProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(programTimeoutMs) ||
        process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).trimmed().toStdString()};
}

bool shellRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered("org.gnome.Shell");
}

// gsettings through the session bus, or through a bus of its own when there is none (dconf
// writes go through its service on a bus).
Ran gsettings(const QStringList& arguments) {
    if (QDBusConnection::sessionBus().isConnected()) {
        return runProgram("gsettings", arguments);
    }
    return runProgram("dbus-run-session", QStringList{"--", "gsettings"} + arguments);
}

Result<bool> enableInSettings() {
    if (QStandardPaths::findExecutable("gsettings").isEmpty()) {
        return Error{"gsettings is not installed (package libglib2.0-bin), so the extension "
                     "cannot be turned on"};
    }
    const Ran listed = gsettings({"get", "org.gnome.shell", "enabled-extensions"});
    if (listed.status != 0) {
        return Error{"cannot read GNOME Shell's settings (is the org.gnome.shell schema "
                     "installed?)"};
    }
    const std::optional<std::string> list = GnomeShellExtension::enabledWith(listed.output);
    if (!list) {
        return Error{"GNOME Shell's list of enabled extensions reads \"" + listed.output +
                     "\", which Panemark does not understand"};
    }
    if (gsettings({"set", "org.gnome.shell", "enabled-extensions", QString::fromStdString(*list)})
                .status != 0 ||
        gsettings({"set", "org.gnome.shell", "disable-user-extensions", "false"}).status != 0) {
        return Error{"cannot write GNOME Shell's settings"};
    }
    return true;
}

bool enableInRunningShell() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "EnableExtension");
    message << QString(GnomeShellExtension::uuid);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

} // namespace

std::optional<int> GnomeShellSetup::runningShellMajor() {
    if (!shellRuns()) {
        return std::nullopt;
    }
    QDBusMessage message = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell",
                                                          "org.freedesktop.DBus.Properties", "Get");
    message << QString("org.gnome.Shell") << QString("ShellVersion");
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    const QString version =
        reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
    return GnomeShellExtension::majorVersion(version.toStdString());
}

std::optional<int> GnomeShellSetup::installedShellMajor() {
    if (std::optional<int> running = runningShellMajor()) {
        return running;
    }
    if (!QStandardPaths::findExecutable("gnome-shell").isEmpty()) {
        return GnomeShellExtension::majorVersion(runProgram("gnome-shell", {"--version"}).output);
    }
    return std::nullopt;
}

Result<bool> GnomeShellSetup::refreshInstalledCopy(int shellMajor) {
    const std::optional<std::filesystem::path> copy = GnomeShellExtension::installedCopy();
    if (!copy || GnomeShellExtension::fits(*copy, shellMajor)) {
        return false;
    }
    Result<std::filesystem::path> written =
        GnomeShellExtension::install(GnomeShellExtension::userExtensionsFolder(), shellMajor);
    if (!written) {
        return Error{written.error()};
    }
    return true;
}

Result<GnomeShellSetup::Outcome> GnomeShellSetup::run(std::optional<int> shellMajor) {
    const int major = shellMajor ? *shellMajor : installedShellMajor().value_or(newestKnownShell);
    Result<std::filesystem::path> folder =
        GnomeShellExtension::install(GnomeShellExtension::userExtensionsFolder(), major);
    if (!folder) {
        return Error{folder.error()};
    }
    if (Result<bool> enabled = enableInSettings(); !enabled) {
        return Error{enabled.error()};
    }
    const bool activeNow = shellRuns() && enableInRunningShell();
    return Outcome{folder.value().string(), major, activeNow, major > newestKnownShell};
}

} // namespace panemark
