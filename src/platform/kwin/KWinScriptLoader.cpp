#include "platform/kwin/KWinScriptLoader.h"

#include "base/Log.h"
#include "platform/helper/HelperScript.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QStandardPaths>
#include <QUuid>
#include <fstream>

namespace panemark {

namespace {

constexpr int callTimeoutMs = 3000;

} // namespace

KWinScriptLoader::KWinScriptLoader(std::filesystem::path folder, std::string pluginName,
                                   std::string service)
    : folder_(std::move(folder)), pluginName_(std::move(pluginName)), service_(std::move(service)) {
}

KWinScriptLoader::~KWinScriptLoader() {
    if (loaded_) {
        unload();
    }
}

std::string KWinScriptLoader::scriptText(const std::string& token, const std::string& service) {
    std::string text =
        HelperScript::withSharedLogic(HelperScript::resource(":/panemark/kwin/panemark-kwin.js"));
    for (const auto& [placeholder, value] :
         {std::pair<std::string, const std::string&>{"%TOKEN%", token}, {"%SERVICE%", service}}) {
        if (const std::size_t at = text.find(placeholder); at != std::string::npos) {
            text.replace(at, placeholder.size(), value);
        }
    }
    return text;
}

std::filesystem::path KWinScriptLoader::defaultFolder() {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        runtime = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    }
    return std::filesystem::path(runtime.toStdString()) / "panemark";
}

std::string KWinScriptLoader::newToken() {
    return QUuid::createUuid().toString(QUuid::Id128).toStdString();
}

Result<bool> KWinScriptLoader::load(const std::string& token) {
    loaded_ = false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        return Error{"cannot make " + folder_.string() + " for KWin's script: " + error.message()};
    }
    removeCopies();
    const std::filesystem::path copy = folder_ / (pluginName_ + "-" + token + ".js");
    {
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        out << scriptText(token, service_);
        if (!out.flush()) {
            return Error{"cannot write KWin's script to " + copy.string()};
        }
    }
    QVariant isLoaded;
    if (Result<bool> asked =
            call("isScriptLoaded", {QString::fromStdString(pluginName_)}, &isLoaded);
        !asked) {
        return Error{asked.error()};
    }
    if (isLoaded.toBool()) {
        (void)call("unloadScript", {QString::fromStdString(pluginName_)});
    }
    QVariant id;
    if (Result<bool> asked =
            call("loadScript",
                 {QString::fromStdString(copy.string()), QString::fromStdString(pluginName_)}, &id);
        !asked) {
        return Error{asked.error()};
    }
    if (id.toInt() < 0) {
        return Error{"KWin refused to load Panemark's script (is scripting turned off?)"};
    }
    if (Result<bool> started = call("start", {}); !started) {
        return Error{started.error()};
    }
    loaded_ = true;
    return true;
}

void KWinScriptLoader::unload() {
    if (Result<bool> done = call("unloadScript", {QString::fromStdString(pluginName_)}); !done) {
        Log::write(done.error());
    }
    removeCopies();
    loaded_ = false;
}

void KWinScriptLoader::askIsLoaded(QObject* context,
                                   std::function<void(std::optional<bool>)> answer) const {
    QDBusMessage message = QDBusMessage::createMethodCall(
        "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded");
    message.setArguments({QString::fromStdString(pluginName_)});
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(message, callTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, answer = std::move(answer)] {
                         const QDBusMessage reply = watcher->reply();
                         watcher->deleteLater();
                         if (reply.type() != QDBusMessage::ReplyMessage ||
                             reply.arguments().isEmpty()) {
                             answer(std::nullopt);
                             return;
                         }
                         answer(reply.arguments().constFirst().toBool());
                     });
}

Result<bool> KWinScriptLoader::call(const char* method, const std::vector<QVariant>& arguments,
                                    QVariant* reply) {
    QDBusMessage message = QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting",
                                                          "org.kde.kwin.Scripting", method);
    message.setArguments(QList<QVariant>(arguments.begin(), arguments.end()));
    const QDBusMessage answer =
        QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        return Error{"KWin's scripting service did not " + std::string(method) + ": " +
                     answer.errorMessage().toStdString()};
    }
    if (reply && !answer.arguments().isEmpty()) {
        *reply = answer.arguments().constFirst();
    }
    return true;
}

void KWinScriptLoader::removeCopies() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        // Only this plugin's: a command line's copies are not the program's.
        const std::string name = entry.path().filename().string();
        if (name.starts_with(pluginName_ + "-") && name.size() == pluginName_.size() + 36) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

} // namespace panemark
