#pragma once

#include "base/AppVersion.h"
#include "base/Cancellable.h"
#include "base/Scheduler.h"

#include <QList>
#include <QSslCertificate>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace panemark {

class PreferencesStore;

// Asks the update feed whether a newer Panemark exists. Only ever when asked (a click on
// "Check for Updates…") or, when the user turned it on, once a day; nothing at launch. Only
// over HTTPS, never following a redirect away from it, reading at most 1 MiB, for at most 15 s.
class Updater {
public:
    static constexpr double dailySeconds = 24 * 60 * 60;
    static constexpr double firstAutomaticCheckSeconds = 60;

    struct Limits {
        double seconds = 15;
        long long bytes = 1024 * 1024;
    };

    struct Outcome {
        enum class Kind { newer, upToDate, failed };
        Kind kind = Kind::failed;
        std::string version;     // newer: its version as people read it; up to date: ours
        std::string downloadUrl; // newer: where to get it
        std::string reason;      // failed: why, in words
    };
    using Done = std::function<void(const Outcome&)>;

    // feedUrl: the address built in; the preference, when set, wins over it.
    Updater(Scheduler& scheduler, PreferencesStore& preferences, std::string feedUrl,
            AppVersion running = AppVersion::current());
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Checks now; done is called once with the outcome. A check asked for while one runs joins it.
    void check(Done done);
    bool isChecking() const { return reply_ != nullptr; }
    std::string feedUrl() const;

    // The daily check, when the preference asks for it: announce is called once per newer
    // version found.
    void startAutomaticChecks(std::function<void(const Outcome&)> announce);

    // For tests: other limits, and certificates to trust besides the system's.
    void setLimits(Limits limits) { limits_ = limits; }
    void trustAlso(QList<QSslCertificate> certificates) { extraCertificates_ = certificates; }

private:
    void finish(const Outcome& outcome);
    void fail(const std::string& reason) { finish({Outcome::Kind::failed, {}, {}, reason}); }
    void onFinished();
    Outcome judge(const QByteArray& body) const;

    Scheduler& scheduler_;
    PreferencesStore& preferences_;
    std::string builtInFeedUrl_;
    AppVersion running_;
    Limits limits_;
    QList<QSslCertificate> extraCertificates_;

    std::unique_ptr<QNetworkAccessManager> network_; // made at the first check
    QNetworkReply* reply_ = nullptr;
    std::vector<Done> waiting_;
    TimerHandle deadline_;
    std::optional<std::string> overLimit_;

    TimerHandle automatic_;
    std::string announcedVersion_;
};

} // namespace panemark
