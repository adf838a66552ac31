#include "platform/x11/X11DesktopName.h"

#include <QProcess>
#include <QStandardPaths>
#include <regex>

namespace panemark {

namespace {

// A program that does not answer its --version at once is not worth waiting for.
constexpr int versionTimeoutMs = 2000;

std::string askVersion(const std::string& program) {
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
    if (path.isEmpty()) {
        return {};
    }
    QProcess process;
    process.start(path, {"--version"});
    if (!process.waitForFinished(versionTimeoutMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).toStdString();
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

X11DesktopName::X11DesktopName() : versionOf_(askVersion) {}

std::string X11DesktopName::versionIn(const std::string& text) {
    static const std::regex dotted("[0-9]+(\\.[0-9]+)+");
    std::smatch match;
    return std::regex_search(text, match, dotted) ? match.str() : std::string();
}

std::string X11DesktopName::describe(const std::string& managerName) {
    if (const auto found = known_.find(managerName); found != known_.end()) {
        return found->second;
    }
    const std::string desktop = desktopOf(managerName);
    const std::string described =
        desktop.empty() ? managerName : desktop + ", window manager " + managerName;
    known_[managerName] = described;
    return described;
}

std::string X11DesktopName::desktopOf(const std::string& managerName) {
    if (contains(managerName, "Muffin")) {
        return named("Cinnamon", "cinnamon", "muffin");
    }
    if (contains(managerName, "Marco")) {
        return named("MATE", "mate-about", "marco");
    }
    return {};
}

std::string X11DesktopName::named(const std::string& desktop, const char* desktopProgram,
                                  const char* managerProgram) {
    if (const std::string version = versionIn(versionOf_(desktopProgram)); !version.empty()) {
        return desktop + " " + version;
    }
    if (const std::string version = versionIn(versionOf_(managerProgram)); !version.empty()) {
        return desktop + " (" + managerProgram + " " + version + ")";
    }
    return desktop;
}

} // namespace panemark
