#include "tray_ui/Updater.h"

#include "../support/OffscreenApplication.h"
#include "base/ManualScheduler.h"
#include "base/QtScheduler.h"
#include "preferences/PreferencesStore.h"
#include "preferences/Settings.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace panemark {
namespace {

QByteArray feedOffering(const char* shortVersion, const char* build) {
    return QByteArray(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
 <channel><item><title>Panemark</title>
  <sparkle:version>)") +
           build + "</sparkle:version><sparkle:shortVersionString>" + shortVersion +
           "</sparkle:shortVersionString><link>https://example.org/download</link></item>"
           "</channel></rss>";
}

QByteArray file(const char* name) {
    QFile in(QString(TEST_DATA_DIR "/") + name);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// An HTTPS server on the loopback with a certificate of its own, answering by path.
class FeedServer {
public:
    FeedServer() {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(file("localhost-cert.pem")));
        tls.setPrivateKey(QSslKey(file("localhost-key.pem"), QSsl::Rsa));
        server_.setSslConfiguration(tls);
        QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { answer(*socket); });
            }
        });
        server_.listen(QHostAddress::LocalHost);
    }

    QSslCertificate certificate() const { return QSslCertificate(file("localhost-cert.pem")); }
    std::string url(const std::string& path) const {
        return "https://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }
    std::map<std::string, QByteArray> answers;

private:
    void answer(QTcpSocket& socket) {
        request_ += socket.readAll();
        if (!request_.contains("\r\n\r\n")) {
            return;
        }
        const QByteArray path = request_.split(' ').value(1);
        request_.clear();
        const auto found = answers.find(path.toStdString());
        if (found == answers.end() || found->second.isEmpty()) {
            return; // no answer at all
        }
        socket.write(found->second);
        socket.disconnectFromHost();
    }

    QSslServer server_;
    QByteArray request_;
};

QByteArray ok(const QByteArray& body, bool withLength = true) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n" +
           (withLength ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                       : QByteArray()) +
           "\r\n" + body;
}

class UpdaterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }
    ~UpdaterTest() override { std::filesystem::remove(preferencesPath); }

    Updater::Outcome check(Updater& updater) {
        QEventLoop loop;
        std::optional<Updater::Outcome> outcome;
        updater.check([&](const Updater::Outcome& o) {
            outcome = o;
            loop.quit();
        });
        if (!outcome) {
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return outcome.value_or(Updater::Outcome{Updater::Outcome::Kind::failed, {}, {}, "hung"});
    }

    Updater::Outcome checkPath(const std::string& path, Updater::Limits limits = {}) {
        Updater updater(scheduler, preferences, server.url(path), running);
        updater.trustAlso({server.certificate()});
        updater.setLimits(limits);
        return check(updater);
    }

    std::string preferencesPath = std::filesystem::temp_directory_path() /
                                  ("panemark-updater-" + std::to_string(getpid()) + ".conf");
    PreferencesStore preferences{preferencesPath};
    QtScheduler scheduler;
    FeedServer server;
    AppVersion running = AppVersion::fromInfo(
        {{AppVersion::shortVersionKey, "1.2.0"}, {AppVersion::buildKey, "40"}});
};

using Kind = Updater::Outcome::Kind;

TEST_F(UpdaterTest, ANewerVersionIsNamedWithItsPageAndTheSameOneIsUpToDate) {
    server.answers["/newer"] = ok(feedOffering("1.3.0", "45"));
    server.answers["/same"] = ok(feedOffering("1.2.0", "40"));
    const Updater::Outcome newer = checkPath("/newer");
    EXPECT_EQ(newer.kind, Kind::newer) << newer.reason;
    EXPECT_EQ(newer.version, "1.3.0");
    EXPECT_EQ(newer.downloadUrl, "https://example.org/download");
    const Updater::Outcome same = checkPath("/same");
    EXPECT_EQ(same.kind, Kind::upToDate) << same.reason;
    EXPECT_EQ(same.version, "1.2.0");
}

TEST_F(UpdaterTest, FailuresSayWhyInWords) {
    server.answers["/missing"] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    server.answers["/page"] = ok("<html><body>Panemark</body></html>");
    server.answers["/away"] = "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:9/feed\r\n"
                              "Content-Length: 0\r\n\r\n";
    EXPECT_EQ(checkPath("/missing").reason, "the server answered HTTP 404");
    EXPECT_EQ(checkPath("/page").reason, "the feed is not an RSS feed");
    EXPECT_EQ(checkPath("/away").reason, "the feed redirected to an address that is not HTTPS");

    Updater plain(scheduler, preferences, "http://example.org/appcast.xml", running);
    EXPECT_EQ(check(plain).reason,
              "the feed address http://example.org/appcast.xml is not an https:// address");
    Updater none(scheduler, preferences, "", running);
    EXPECT_EQ(check(none).kind, Kind::failed);
    EXPECT_NE(check(none).reason.find("no update feed"), std::string::npos);
}

TEST_F(UpdaterTest, TooLargeOrTooSlowAnswersAreCutShort) {
    const QByteArray huge = QByteArray(2 * 1024 * 1024, ' ');
    server.answers["/huge"] = ok(huge);
    server.answers["/huge-unannounced"] = ok(huge, false);
    server.answers["/silent"] = QByteArray();
    EXPECT_EQ(checkPath("/huge").reason, "the feed is larger than 1 MiB");
    EXPECT_EQ(checkPath("/huge-unannounced").reason, "the feed is larger than 1 MiB");
    const Updater::Outcome silent = checkPath("/silent", {0.3, 1024 * 1024});
    EXPECT_EQ(silent.kind, Kind::failed);
    EXPECT_NE(silent.reason.find("did not answer"), std::string::npos) << silent.reason;
}

TEST_F(UpdaterTest, ThePreferenceNamesAnotherFeedAndNothingRunsUnasked) {
    server.answers["/other"] = ok(feedOffering("2.0", "90"));
    preferences.writeString(Settings::updateFeedURL.key, server.url("/other"));
    Updater updater(scheduler, preferences, "https://example.invalid/appcast.xml", running);
    updater.trustAlso({server.certificate()});
    EXPECT_EQ(updater.feedUrl(), server.url("/other"));
    EXPECT_FALSE(updater.isChecking()); // nothing was fetched by making it
    updater.startAutomaticChecks([](const Updater::Outcome&) {});
    EXPECT_FALSE(updater.isChecking()); // off unless turned on
    EXPECT_EQ(check(updater).version, "2.0");
}

TEST_F(UpdaterTest, TurnedOnItChecksDailyAndAnnouncesANewVersionOnce) {
    server.answers["/feed"] = ok(feedOffering("1.3.0", "45"));
    preferences.writeBool(Settings::checkForUpdatesAutomatically.key, true);
    ManualScheduler clock;
    Updater updater(clock, preferences, server.url("/feed"), running);
    updater.trustAlso({server.certificate()});
    std::vector<std::string> announced;
    updater.startAutomaticChecks(
        [&](const Updater::Outcome& outcome) { announced.push_back(outcome.version); });
    auto settle = [&] {
        QElapsedTimer waited;
        waited.start();
        while (updater.isChecking() && waited.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    };
    clock.advance(Updater::firstAutomaticCheckSeconds - 1);
    EXPECT_FALSE(updater.isChecking()); // not at launch
    clock.advance(1);
    EXPECT_TRUE(updater.isChecking());
    settle();
    EXPECT_EQ(announced, std::vector<std::string>{"1.3.0"});
    clock.advance(Updater::dailySeconds);
    EXPECT_TRUE(updater.isChecking());
    settle();
    EXPECT_EQ(announced.size(), 1u); // the same version is not announced again
}

} // namespace
} // namespace panemark
