// The conversation with the KWin script over a real session bus of the test's own: the test
// plays the script, on a connection of its own, against the channel Panemark serves; and KWin,
// for what the platform makes of a script that never starts.
#include "platform/kwin/KWinScriptChannel.h"

#include "../support/ChildProcess.h"
#include "../support/PrivateSessionBus.h"
#include "base/QtScheduler.h"
#include "platform/kwin/KWinPlatform.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVirtualObject>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>
#include <unistd.h>

namespace panemark {
namespace {

class KWinScriptChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.ready()) << "the test's session bus did not start";
        Result<std::unique_ptr<KWinScriptChannel>> opened = KWinScriptChannel::open({});
        ASSERT_TRUE(opened) << opened.error();
        channel = std::move(opened).value();
        channel->expect("token-1");
        // The bus serves the channel's object once the main loop has run.
        QCoreApplication::processEvents();
    }

    void TearDown() override {
        channel.reset();
        QDBusConnection::disconnectFromBus("script");
    }

    QDBusMessage call(const char* method, const QList<QVariant>& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            KWinScriptChannel::programServiceName, KWinScriptChannel::objectPath,
            KWinScriptChannel::interfaceName, method);
        message.setArguments(arguments);
        return message;
    }

    // What the script's question "next" is answered, within 5 s.
    std::string ask(const QString& token) {
        QDBusPendingCall pending = script().asyncCall(call("next", {token}), 10000);
        pending.waitForFinished();
        const QDBusPendingReply<QString> reply = pending;
        return reply.isValid() ? reply.value().toStdString() : "(no reply)";
    }

    void answer(const QString& token, std::uint64_t serial, const std::string& json) {
        script().call(
            call("answer", {token, QString::number(serial), QString::fromStdString(json)}));
    }

    QDBusConnection script() {
        return QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), "script");
    }

    PrivateSessionBus bus_;
    std::unique_ptr<KWinScriptChannel> channel;
};

TEST_F(KWinScriptChannelTest, ARequestIsTheAnswerToTheScriptsQuestionAndItsAnswerComesBack) {
    EXPECT_EQ(channel->serviceName(), KWinScriptChannel::programServiceName);
    // Before the script has asked anything, nothing waits for it.
    EXPECT_FALSE(channel->request(KWinScriptMessages::echoRequest, 5));

    std::thread asker;
    Result<std::string> result = Error{"not asked"};
    // The script's first question is open when the request comes.
    QDBusPendingCall question = script().asyncCall(call("next", {"token-1"}), 10000);
    ASSERT_TRUE(ChildProcess::waitFor([&] { return channel->secondsSinceHeard() < 5; }, 5));
    asker = std::thread([&] { result = channel->request(KWinScriptMessages::lookRequest, 5); });
    question.waitForFinished();
    const nlohmann::json request =
        nlohmann::json::parse(QDBusPendingReply<QString>(question).value().toStdString());
    EXPECT_EQ(request["op"], "look");
    // A stranger's answer, and one to another request, are not this one's.
    answer("someone-else", request["serial"], R"({"window":"forged"})");
    answer("token-1", request["serial"].get<std::uint64_t>() + 1, R"({"window":"wrong"})");
    answer("token-1", request["serial"], R"({"window":null,"screens":[]})");
    asker.join();
    ASSERT_TRUE(result) << result.error();
    EXPECT_EQ(result.value(), R"({"window":null,"screens":[]})");
}

TEST_F(KWinScriptChannelTest, AnUnansweredRequestFailsInTimeAndALateAnswerIsDropped) {
    std::thread asker;
    Result<std::string> result = Error{"not asked"};
    QDBusPendingCall question = script().asyncCall(call("next", {"token-1"}), 10000);
    ASSERT_TRUE(ChildProcess::waitFor([&] { return channel->secondsSinceHeard() < 5; }, 5));
    asker = std::thread([&] { result = channel->request(KWinScriptMessages::lookRequest, 0.2); });
    question.waitForFinished();
    asker.join();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), "KWin's script did not answer in time");
    const auto serial =
        nlohmann::json::parse(QDBusPendingReply<QString>(question).value().toStdString())["serial"];
    answer("token-1", serial, "{}"); // nobody waits for it any more
}

TEST_F(KWinScriptChannelTest, ACopyOfAnEarlierLoadIsToldToStop) {
    EXPECT_EQ(ask("token-0"), KWinScriptMessages::stop()); // never this run's
    QDBusPendingCall question = script().asyncCall(call("next", {"token-1"}), 10000);
    ASSERT_TRUE(ChildProcess::waitFor([&] { return channel->secondsSinceHeard() < 5; }, 5));
    channel->expect("token-2"); // a new copy was loaded
    question.waitForFinished();
    EXPECT_EQ(QDBusPendingReply<QString>(question).value().toStdString(),
              KWinScriptMessages::stop());
}

// A KWin that takes the script and never runs it, as a KWin too busy to start it does; on a
// connection and thread of its own, since Panemark's calls to it block the main thread.
class SilentKWin : public QDBusVirtualObject {
public:
    // The stand-in's own version, which the platform is to name.
    static constexpr const char* version = "9.8.7";

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QDBusMessage reply = message.createReply();
        const QString member = message.member();
        if (member == "supportInformation") {
            reply << QString("KWin version: ") + version + "\n";
        } else if (member == "isScriptLoaded") {
            reply << false;
        } else if (member == "loadScript") {
            reply << 1;
        } else if (member == "unloadScript") {
            reply << true;
        }
        connection.send(reply);
        return true;
    }
};

TEST(KWinPlatformTest, AOneShotCommandWaitsForTheScriptAndNamesItsLimitWhenItNeverStarts) {
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.ready());
    QThread thread;
    thread.start();
    SilentKWin kwin;
    kwin.moveToThread(&thread);
    QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "kwin");
    ASSERT_TRUE(connection.registerVirtualObject("/KWin", &kwin));
    ASSERT_TRUE(connection.registerVirtualObject("/Scripting", &kwin));
    ASSERT_TRUE(connection.registerService("org.kde.KWin"));
    QtScheduler mainLoop;
    Result<std::unique_ptr<KWinPlatform>> platform = KWinPlatform::open(mainLoop);
    ASSERT_TRUE(platform) << platform.error();
    const Result<bool> ready = platform.value()->waitUntilReady(1);
    ASSERT_FALSE(ready);
    EXPECT_NE(ready.error().find(std::string("did not start within 1 s on kwin (") +
                                 SilentKWin::version + ")"),
              std::string::npos)
        << ready.error();
    platform.value().reset();
    connection.unregisterService("org.kde.KWin");
    QDBusConnection::disconnectFromBus("kwin");
    thread.quit();
    thread.wait();
}

} // namespace
} // namespace panemark

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
