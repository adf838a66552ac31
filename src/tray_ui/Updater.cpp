#include "tray_ui/Updater.h"

#include "base/Guard.h"
#include "preferences/PreferencesStore.h"
#include "preferences/Settings.h"
#include "tray_ui/Appcast.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QUrl>

namespace panemark {

namespace {

constexpr int maximumRedirects = 5;

std::string describe(QNetworkReply& reply) {
    switch (reply.error()) {
    case QNetworkReply::InsecureRedirectError:
        return "the feed redirected to an address that is not HTTPS";
    case QNetworkReply::TooManyRedirectsError:
        return "the feed redirected too many times";
    case QNetworkReply::HostNotFoundError:
        return "the server " + reply.url().host().toStdString() + " was not found";
    case QNetworkReply::SslHandshakeFailedError:
        return "the server's certificate is not trusted (" + reply.errorString().toStdString() +
               ")";
    default:
        return "network error: " + reply.errorString().toStdString();
    }
}

std::string sizeText(long long bytes) {
    constexpr long long mebibyte = 1024 * 1024;
    return bytes % mebibyte == 0 ? std::to_string(bytes / mebibyte) + " MiB"
                                 : std::to_string(bytes / 1024) + " KiB";
}

} // namespace

Updater::Updater(Scheduler& scheduler, PreferencesStore& preferences, std::string feedUrl,
                 AppVersion running)
    : scheduler_(scheduler), preferences_(preferences), builtInFeedUrl_(std::move(feedUrl)),
      running_(std::move(running)) {}

Updater::~Updater() {
    if (reply_) {
        QObject::disconnect(reply_, nullptr, nullptr, nullptr);
        reply_->abort();
        reply_->deleteLater();
    }
}

std::string Updater::feedUrl() const {
    const std::optional<std::string> chosen = preferences_.readString(Settings::updateFeedURL.key);
    return chosen && !chosen->empty() ? *chosen : builtInFeedUrl_;
}

void Updater::check(Done done) {
    waiting_.push_back(std::move(done));
    if (reply_) {
        return;
    }
    const std::string address = feedUrl();
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (address.empty()) {
        fail("no update feed is configured (set " + std::string(Settings::updateFeedURL.key) + ")");
        return;
    }
    if (!url.isValid() || url.scheme() != "https" || url.host().isEmpty()) {
        fail("the feed address " + address + " is not an https:// address");
        return;
    }
    if (!network_) {
        network_ = std::make_unique<QNetworkAccessManager>();
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QString::fromStdString("Panemark/" + running_.shortVersion));
    if (!extraCertificates_.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(extraCertificates_);
        request.setSslConfiguration(tls);
    }
    overLimit_.reset();
    reply_ = network_->get(request);
    reply_->setReadBufferSize(0);
    const long long limit = limits_.bytes;
    QObject::connect(reply_, &QNetworkReply::downloadProgress, reply_,
                     [this, limit](qint64 received, qint64 total) {
                         if (received > limit || total > limit) {
                             overLimit_ = "the feed is larger than " + sizeText(limit);
                             reply_->abort();
                         }
                     });
    QObject::connect(reply_, &QNetworkReply::finished, reply_,
                     [this] { Guard::run("the update check", [this] { onFinished(); }); });
    deadline_ = scheduler_.after(limits_.seconds, [this] {
        overLimit_ = "the feed did not answer within " +
                     std::to_string(static_cast<int>(limits_.seconds)) + " seconds";
        if (reply_) {
            reply_->abort();
        }
    });
}

void Updater::onFinished() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    deadline_.cancel();
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (overLimit_) {
        fail(*overLimit_);
    } else if (status >= 400) {
        fail("the server answered HTTP " + std::to_string(status));
    } else if (reply->error() != QNetworkReply::NoError) {
        fail(describe(*reply));
    } else {
        finish(judge(reply->readAll()));
    }
}

Updater::Outcome Updater::judge(const QByteArray& body) const {
    if (body.size() > limits_.bytes) {
        return {
            Outcome::Kind::failed, {}, {}, "the feed is larger than " + sizeText(limits_.bytes)};
    }
    const Result<std::vector<Appcast::Item>> items = Appcast::parse(body);
    if (!items) {
        return {Outcome::Kind::failed, {}, {}, items.error()};
    }
    if (items.value().empty()) {
        return {Outcome::Kind::failed, {}, {}, "the feed lists no versions"};
    }
    const Appcast::Verdict verdict = Appcast::judge(items.value(), running_);
    if (!verdict.newer) {
        return {Outcome::Kind::upToDate, running_.shortVersion, {}, {}};
    }
    const Appcast::Item& latest = verdict.latest;
    return {Outcome::Kind::newer,
            latest.shortVersion.empty() ? latest.version : latest.shortVersion,
            latest.downloadUrl,
            {}};
}

void Updater::finish(const Outcome& outcome) {
    std::vector<Done> waiting = std::move(waiting_);
    waiting_.clear();
    for (const Done& done : waiting) {
        if (done) {
            done(outcome);
        }
    }
}

void Updater::startAutomaticChecks(std::function<void(const Outcome&)> announce) {
    if (!preferences_.readBool(Settings::checkForUpdatesAutomatically.key)
             .value_or(Settings::checkForUpdatesAutomatically.defaultValue)) {
        return;
    }
    auto checkAndAnnounce = [this, announce] {
        check([this, announce](const Outcome& outcome) {
            if (outcome.kind == Outcome::Kind::newer && outcome.version != announcedVersion_) {
                announcedVersion_ = outcome.version;
                announce(outcome);
            }
        });
    };
    automatic_ = scheduler_.after(firstAutomaticCheckSeconds, [this, checkAndAnnounce] {
        checkAndAnnounce();
        automatic_ = scheduler_.every(dailySeconds, checkAndAnnounce);
    });
}

} // namespace panemark
