#include "platform/kwin/KWinScriptEndpoint.h"

#include "base/Log.h"
#include "platform/helper/HelperReplies.h"
#include "platform/kwin/KWinScriptChannel.h"

#include <QDBusConnection>
#include <charconv>

namespace panemark {

KWinScriptEndpoint::KWinScriptEndpoint(KWinScriptChannel& channel)
    : channel_(channel), idleTimer_(this) {
    clock_.start();
    idleTimer_.setInterval(1000);
    connect(&idleTimer_, &QTimer::timeout, this, [this] { answerIdleQuestions(); });
    idleTimer_.start();
}

void KWinScriptEndpoint::hello(const QString& token, const QString& json) {
    if (!channel_.isExpected(token.toStdString())) {
        return;
    }
    Result<KWinScriptMessages::Hello> hello = KWinScriptMessages::hello(json.toStdString());
    if (!hello) {
        Log::write(hello.error());
        return;
    }
    if (channel_.listener_.hello) {
        channel_.listener_.hello(hello.value());
    }
}

QString KWinScriptEndpoint::next(const QString& token) {
    if (!channel_.isExpected(token.toStdString())) {
        return QString::fromStdString(KWinScriptMessages::stop());
    }
    if (std::optional<std::string> request = channel_.nextRequest(token.toStdString())) {
        return QString::fromStdString(*request);
    }
    setDelayedReply(true);
    open_.push_back({message(), token, clock_.elapsed()});
    return {};
}

void KWinScriptEndpoint::answer(const QString& token, const QString& serial, const QString& json) {
    const std::string digits = serial.toStdString();
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        Log::write("KWin's script answered a request with no serial number");
        return;
    }
    channel_.answer(token.toStdString(), number, json.toStdString());
}

void KWinScriptEndpoint::screensChanged(const QString& token, const QString& json) {
    if (!channel_.isExpected(token.toStdString())) {
        return;
    }
    Result<std::vector<OutputFacts>> screens = HelperReplies::screens(json.toStdString());
    if (!screens) {
        Log::write(screens.error());
        return;
    }
    if (channel_.listener_.screensChanged) {
        channel_.listener_.screensChanged(screens.value());
    }
}

void KWinScriptEndpoint::state(const QString& token, const QString& json) {
    if (!channel_.isExpected(token.toStdString())) {
        return;
    }
    Result<HelperReplies::Look> look = HelperReplies::look(json.toStdString());
    if (!look) {
        Log::write(look.error());
        return;
    }
    if (channel_.listener_.stateChanged) {
        channel_.listener_.stateChanged(look.value());
    }
}

void KWinScriptEndpoint::dispatch() {
    stopOtherCopies(); // a question of a replaced copy must not take a request
    while (!open_.empty()) {
        std::optional<std::string> request =
            channel_.nextRequest(open_.front().token.toStdString());
        if (!request) {
            return;
        }
        QDBusConnection::sessionBus().send(
            open_.front().call.createReply(QString::fromStdString(*request)));
        open_.erase(open_.begin());
    }
}

void KWinScriptEndpoint::stopOtherCopies() {
    const QString stop = QString::fromStdString(KWinScriptMessages::stop());
    std::erase_if(open_, [&](const OpenQuestion& question) {
        if (channel_.isExpected(question.token.toStdString())) {
            return false;
        }
        QDBusConnection::sessionBus().send(question.call.createReply(stop));
        return true;
    });
}

void KWinScriptEndpoint::answerIdleQuestions() {
    const qint64 now = clock_.elapsed();
    const QString idle = QString::fromStdString(KWinScriptMessages::idle());
    std::erase_if(open_, [&](const OpenQuestion& question) {
        if (now - question.askedAt < static_cast<qint64>(KWinScriptChannel::idleAfter * 1000)) {
            return false;
        }
        QDBusConnection::sessionBus().send(question.call.createReply(idle));
        return true;
    });
}

} // namespace panemark
