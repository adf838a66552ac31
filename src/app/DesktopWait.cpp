#include "app/DesktopWait.h"

#include "base/AppVersion.h"
#include "base/Log.h"
#include "control/InstanceProtocol.h"
#include "control/ProfileRequests.h"
#include "control/QuitRequest.h"
#include "platform/PlatformFactory.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace panemark {

namespace {

// What the program answers while it waits: who it is, and what for.
void answerWhileWaiting(InstanceServer& instance, const std::string& backend,
                        const std::string& waitingFor) {
    instance.handle("status", [backend, waitingFor](const InstanceServer::Json&) {
        InstanceServer::Json reply = InstanceProtocol::reply();
        reply["version"] = AppVersion::current().versionLine();
        reply["pid"] = static_cast<std::int64_t>(::getpid());
        reply["desktop"] = backend + " (not ready yet)";
        reply["desktopAccess"] = "waiting for the desktop: " + waitingFor;
        reply["shortcuts"] = InstanceServer::Json::array();
        return reply;
    });
    // The data folder is not taken yet: the command line edits the files itself.
    for (const std::string& name : ProfileRequests::names()) {
        instance.handle(name, [](const InstanceServer::Json&) {
            InstanceServer::Json reply = InstanceProtocol::failure("waiting for the desktop");
            reply["elsewhere"] = true;
            return reply;
        });
    }
    instance.handle("quit", [](const InstanceServer::Json&) {
        QuitRequest::post();
        InstanceServer::Json reply = InstanceProtocol::reply();
        reply["pid"] = static_cast<std::int64_t>(::getpid());
        return reply;
    });
}

// Sleeps in the event loop (the instance socket is served meanwhile) for `seconds`, or until a
// quit request comes; whether one came.
bool sleepUnlessQuit(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::lround(seconds * 1000)), &loop, &QEventLoop::quit);
    QuitRequest::setWaitListener([&loop] { loop.quit(); });
    if (!QuitRequest::isPending()) {
        loop.exec();
    }
    QuitRequest::setWaitListener({});
    return QuitRequest::isPending();
}

} // namespace

double DesktopWait::pause(int attempt) {
    return std::min(2.0, 0.25 * std::pow(2.0, std::clamp(attempt, 0, 8)));
}

Result<std::unique_ptr<Platform>> DesktopWait::open(Scheduler& mainLoop, const std::string& backend,
                                                    InstanceServer& instance, bool* quit,
                                                    double limit) {
    const double started = mainLoop.now();
    for (int attempt = 0;; ++attempt) {
        Result<std::unique_ptr<Platform>> opened = PlatformFactory::open(mainLoop, backend);
        if (opened) {
            if (attempt > 0) {
                Log::write("the desktop is there now: Panemark starts");
            }
            return opened;
        }
        if (mainLoop.now() - started >= limit) {
            return Error{opened.error() + " (waited " +
                         std::to_string(static_cast<int>(mainLoop.now() - started)) + " s)"};
        }
        if (attempt == 0) {
            Log::write("waiting for the desktop: " + opened.error());
        }
        answerWhileWaiting(instance, backend, opened.error());
        if (sleepUnlessQuit(pause(attempt))) {
            *quit = true;
            return Error{"asked to quit while waiting for the desktop"};
        }
    }
}

} // namespace panemark
