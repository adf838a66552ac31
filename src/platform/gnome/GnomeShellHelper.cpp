#include "platform/gnome/GnomeShellHelper.h"

#include "base/Log.h"
#include "platform/gnome/GnomeShellExtension.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace panemark {

namespace {

constexpr double greetingTimeout = 2.0;
// The problem and what to do, in one sentence, as people are told it.
DesktopAccess refused(const std::string& state) {
    return {false,
            "The Panemark shell extension " + state +
                ": run `panemark setup gnome-shell`, then log out and back in",
            ""};
}

int milliseconds(double seconds) {
    return static_cast<int>(std::clamp(std::ceil(seconds * 1000), 1.0, 60000.0));
}

} // namespace

GnomeShellHelper::GnomeShellHelper() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, objectPath, interfaceName, "Activated", this, SLOT(onActivated(QString)));
    bus.connect(service, objectPath, interfaceName, "ScreensChanged", this,
                SLOT(onScreensChanged()));
    bus.connect(service, objectPath, interfaceName, "PaletteRequested", this,
                SLOT(onPaletteRequested(int, int)));
    bus.connect(service, objectPath, interfaceName, "StateChanged", this,
                SLOT(onStateChanged(QString)));
    watcher_ = std::make_unique<QDBusServiceWatcher>(service, bus,
                                                     QDBusServiceWatcher::WatchForOwnerChange);
    connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                if (owner.isEmpty()) {
                    std::lock_guard lock(mutex_);
                    access_ = refused("has stopped");
                    Log::write("the Panemark shell extension went away");
                    departed.emit();
                    return;
                }
                greet();
                arrived.emit();
            });
    greet();
}

GnomeShellHelper::~GnomeShellHelper() = default;

void GnomeShellHelper::greet() {
    Result<QList<QVariant>> version = call("Version", {}, greetingTimeout);
    DesktopAccess access;
    std::string shell;
    if (!version || version.value().isEmpty()) {
        access = refused("is not enabled");
    } else {
        const nlohmann::json answer = nlohmann::json::parse(
            version.value().constFirst().toString().toStdString(), nullptr, false);
        const bool ours = answer.is_object() && answer.contains("protocol") &&
                          answer["protocol"] == GnomeShellExtension::protocol;
        if (!ours) {
            access = refused("is of another version");
        } else if (answer.contains("shell") && answer["shell"].is_string()) {
            shell = answer["shell"].get<std::string>();
        }
        (void)call("Own", {static_cast<int>(::getpid())}, greetingTimeout);
    }
    if (!access.granted) {
        Log::write(access.problem);
    }
    std::lock_guard lock(mutex_);
    access_ = access;
    shellVersion_ = shell;
}

DesktopAccess GnomeShellHelper::access() const {
    std::lock_guard lock(mutex_);
    return access_;
}

std::string GnomeShellHelper::shellVersion() const {
    std::lock_guard lock(mutex_);
    return shellVersion_;
}

std::string GnomeShellHelper::failed(const char* method, const QDBusMessage& reply) {
    const std::string version = shellVersion();
    const std::string shell = "GNOME Shell" + (version.empty() ? "" : " " + version);
    const QString name = reply.errorName();
    // The extension's own errors name the shell and what it could not do.
    if (name.startsWith("app.panemark.Shell.Error")) {
        const std::string text = reply.errorMessage().toStdString();
        logOnce(method, text);
        return text;
    }
    if (name == "org.freedesktop.DBus.Error.NoReply") {
        const std::string text =
            "the Panemark shell extension in " + shell + " did not answer " + method + " in time";
        logOnce(method, text);
        return text;
    }
    return "the Panemark shell extension did not " + std::string(method) + ": " +
           reply.errorMessage().toStdString();
}

void GnomeShellHelper::logOnce(const char* method, const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        if (!logged_.insert(method + std::string(": ") + text).second) {
            return;
        }
    }
    Log::write(text);
}

Result<QList<QVariant>> GnomeShellHelper::call(const char* method, const QList<QVariant>& arguments,
                                               double timeout) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, method);
    message.setArguments(arguments);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, milliseconds(timeout));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return Error{failed(method, reply)};
    }
    return reply.arguments();
}

namespace {

Result<std::string> firstText(Result<QList<QVariant>> reply) {
    if (!reply) {
        return Error{reply.error()};
    }
    if (reply.value().isEmpty()) {
        return Error{"the Panemark shell extension answered nothing"};
    }
    return reply.value().constFirst().toString().toStdString();
}

} // namespace

Result<std::string> GnomeShellHelper::look(double timeout) {
    return firstText(call("Look", {}, timeout));
}

Result<std::string> GnomeShellHelper::window(const std::string& id, double timeout) {
    return firstText(call("Window", {QString::fromStdString(id)}, timeout));
}

Result<std::string> GnomeShellHelper::place(const std::string& id, const Rect& frame,
                                            int waitMilliseconds, double timeout) {
    return firstText(
        call("Place",
             {QString::fromStdString(id), static_cast<int>(frame.x), static_cast<int>(frame.y),
              static_cast<int>(frame.width), static_cast<int>(frame.height), waitMilliseconds},
             timeout));
}

Result<std::string> GnomeShellHelper::bind(const std::string& changesJson, double timeout) {
    return firstText(call("Bind", {QString::fromStdString(changesJson)}, timeout));
}

void GnomeShellHelper::onActivated(const QString& name) {
    activated.emit(name.toStdString());
}

void GnomeShellHelper::onScreensChanged() {
    screensChanged.emit();
}

void GnomeShellHelper::onStateChanged(const QString& state) {
    stateChanged.emit(state.toStdString());
}

void GnomeShellHelper::onPaletteRequested(int, int) {
    // The extension puts the palette beside its button when it appears.
    paletteRequested.emit();
}

} // namespace panemark
