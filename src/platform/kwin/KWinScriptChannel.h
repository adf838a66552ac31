#pragma once

#include "base/Result.h"
#include "platform/helper/CompositorHelper.h"
#include "platform/helper/HelperReplies.h"
#include "platform/kwin/KWinScriptMessages.h"

#include <QDBusMessage>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace panemark {

class KWinScriptEndpoint;

// Panemark's end of the conversation with its KWin script. A script cannot be called, only
// call, so it keeps one question open ("next"), and a request Panemark makes is the answer to
// it; the script then calls back with the result. The name and object on the session bus are
// served from a thread of their own, so a request made on the main thread can wait for its
// answer; requests may come from any thread.
class KWinScriptChannel : public CompositorHelper {
public:
    static constexpr const char* programServiceName = "app.panemark.Panemark";
    static constexpr const char* objectPath = "/KWinScript";
    static constexpr const char* interfaceName = "app.panemark.KWinScript";
    // An open question is answered "idle" after this long: KWin gives up on a call after 25 s.
    static constexpr double idleAfter = 5.0;

    // What the script reports on its own, delivered on the channel's thread.
    struct Listener {
        std::function<void(const KWinScriptMessages::Hello&)> hello;
        std::function<void(const std::vector<OutputFacts>&)> screensChanged;
        // The active window and the screens, reported by the script whenever either changes.
        std::function<void(const HelperReplies::Look&)> stateChanged;
    };

    // Offers the object on the session bus under Panemark's name, or, while another process
    // (the running program, for a command line) has that, under the connection's own name.
    static Result<std::unique_ptr<KWinScriptChannel>> open(Listener listener);
    ~KWinScriptChannel() override;
    KWinScriptChannel(const KWinScriptChannel&) = delete;
    KWinScriptChannel& operator=(const KWinScriptChannel&) = delete;

    // The token of the copy of the script just loaded: copies with another are told to stop,
    // and what was waiting for an older copy fails at once.
    void expect(const std::string& token);
    // Hands the script a request made by `make` from a fresh serial and waits for its answer.
    Result<std::string> request(const std::function<std::string(std::uint64_t)>& make,
                                double timeout);
    // The name the script is to call.
    const std::string& serviceName() const { return service_; }
    bool ownsProgramName() const { return service_ == programServiceName; }

    Result<std::string> look(double timeout) override;
    Result<std::string> window(const std::string& id, double timeout) override;
    Result<std::string> place(const std::string& id, const Rect& frame, int waitMilliseconds,
                              double timeout) override;

    // Seconds since the expected copy last asked for work (infinite before it ever did).
    double secondsSinceHeard() const;

private:
    friend class KWinScriptEndpoint;
    struct Pending {
        bool answered = false;
        std::string answer;
    };
    using Clock = std::chrono::steady_clock;

    explicit KWinScriptChannel(Listener listener);
    bool isExpected(const std::string& token) const;
    std::optional<std::string> nextRequest(const std::string& token);
    void answer(const std::string& token, std::uint64_t serial, const std::string& text);
    void failAllPending();

    Listener listener_;
    std::string service_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::string token_;
    std::uint64_t nextSerial_ = 1;
    std::deque<std::pair<std::uint64_t, std::string>> outbound_; // serial, request
    std::map<std::uint64_t, std::shared_ptr<Pending>> pending_;
    std::optional<Clock::time_point> heardAt_;
    QThread thread_;
    KWinScriptEndpoint* endpoint_ = nullptr; // lives on thread_
};

} // namespace panemark
