#include "platform/kwin/KWinPlatform.h"

#include "base/Log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <cstdlib>
#include <regex>
#include <unistd.h>

namespace panemark {

namespace {

constexpr const char* kwinService = "org.kde.KWin";

// "KWin version: 5.27.5" in KWin's support information.
std::string kwinVersion() {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kwinService, "/KWin", "org.kde.KWin", "supportInformation");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
        return "unknown version";
    }
    const std::string text = reply.arguments().constFirst().toString().toStdString();
    std::smatch match;
    if (std::regex_search(text, match, std::regex("KWin version: ([^\\n]+)"))) {
        return match[1].str();
    }
    return "unknown version";
}

} // namespace

KWinPlatform::KWinPlatform(Scheduler& mainLoop) : mainLoop_(mainLoop) {}

Result<std::unique_ptr<KWinPlatform>> KWinPlatform::open(Scheduler& mainLoop) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return Error{"there is no session bus to reach KWin on"};
    }
    if (!bus.interface()->isServiceRegistered(kwinService)) {
        return Error{"KWin does not answer on the session bus (org.kde.KWin)"};
    }
    std::unique_ptr<KWinPlatform> platform(new KWinPlatform(mainLoop));
    KWinPlatform* self = platform.get();
    KWinScriptChannel::Listener listener;
    // Reports arrive on the channel's thread; the screens are the main thread's.
    listener.screensChanged = [self](const std::vector<OutputFacts>& outputs) {
        QMetaObject::invokeMethod(
            &self->mainThread_, [self, outputs] { self->screens_->reported(outputs); },
            Qt::QueuedConnection);
    };
    // Followed as it comes, on the channel's thread, in the order the script sent it.
    listener.stateChanged = [self](const HelperReplies::Look& look) {
        if (self->snapshot_) {
            self->snapshot_->followed(look);
        }
    };
    listener.hello = [self](const KWinScriptMessages::Hello& hello) {
        QMetaObject::invokeMethod(
            &self->mainThread_, [self, hello] { self->greeted(hello); }, Qt::QueuedConnection);
    };
    Result<std::unique_ptr<KWinScriptChannel>> channel = KWinScriptChannel::open(listener);
    if (!channel) {
        return Error{channel.error()};
    }
    platform->channel_ = std::move(channel).value();
    const KWinScriptChannel& owned = *platform->channel_;
    platform->loader_ = std::make_unique<KWinScriptLoader>(
        KWinScriptLoader::defaultFolder(),
        owned.ownsProgramName() ? "panemark" : "panemark-" + std::to_string(::getpid()),
        owned.serviceName());
    platform->snapshot_ = std::make_unique<HelperSnapshot>(*platform->channel_);
    platform->windows_ = std::make_unique<HelperWindows>(*platform->snapshot_);
    platform->screens_ = std::make_unique<HelperScreens>(*platform->snapshot_);
    platform->shortcuts_ = std::make_unique<KGlobalAccelShortcuts>();
    platform->followKeyboardLayout();
    platform->desktopName_ = "kwin (" + kwinVersion() + ")";
    platform->loadScript();
    platform->waitForGreeting(greetingTimeout);
    platform->watchKWin();
    platform->aliveCheck_ =
        mainLoop.every(aliveCheckInterval, [self] { self->checkScriptIsAlive(); });
    platform->loadedCheck_ =
        mainLoop.every(loadedCheckInterval, [self] { self->checkScriptIsLoaded(); });
    return platform;
}

KWinPlatform::~KWinPlatform() {
    aliveCheck_.cancel();
    loadedCheck_.cancel();
    greetingCheck_.cancel();
    kwinWatcher_.reset();
    shortcuts_.reset(); // its combinations are let go while KWin still listens
    keyboardLayout_.reset();
    if (loader_) {
        loader_->unload();
    }
}

void KWinPlatform::loadScript() {
    // The channel knows the new copy before KWin starts it, which may call at once. Its calls
    // are served once the main loop runs, so nothing here waits for them.
    const std::string token = KWinScriptLoader::newToken();
    channel_->expect(token);
    snapshot_->stopFollowing(); // the new copy reports anew
    greeted_ = false;
    loadedAt_ = mainLoop_.now();
    ++loads_;
    if (Result<bool> loaded = loader_->load(token); !loaded) {
        reportProblem(loaded.error());
        return;
    }
    greetingCheck_ = mainLoop_.after(greetingTimeout, [this] {
        if (!greeted_) {
            reportProblem("KWin loaded Panemark's script but it does not answer");
        }
    });
}

void KWinPlatform::waitForGreeting(double seconds) {
    // The bus serves the script's calls only once the main loop runs: it runs here until the
    // script has said hello, so that the first command finds it ready.
    QEventLoop loop;
    waiting_ = &loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    if (!greeted_) {
        loop.exec();
    }
    waiting_ = nullptr;
}

void KWinPlatform::greeted(const KWinScriptMessages::Hello& hello) {
    greeted_ = true;
    if (waiting_) {
        waiting_->quit();
    }
    if (!scriptProblem_.empty()) {
        Log::write("Panemark's KWin script answers now");
        scriptProblem_.clear();
        accessChanged_.emit();
    }
    screens_->reported(hello.screens);
}

void KWinPlatform::reportProblem(const std::string& problem) {
    // Tried again every few seconds: the log hears of a problem once, until it changes.
    if (problem == scriptProblem_) {
        return;
    }
    Log::write(problem);
    scriptProblem_ = problem;
    accessChanged_.emit();
}

void KWinPlatform::watchKWin() {
    kwinWatcher_ = std::make_unique<QDBusServiceWatcher>(kwinService, QDBusConnection::sessionBus(),
                                                         QDBusServiceWatcher::WatchForRegistration);
    // A KWin that restarts has forgotten the script (and the shortcut service it runs, which
    // the shortcuts watch for themselves).
    QObject::connect(kwinWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, &mainThread_,
                     [this] {
                         Log::write("KWin restarted: loading Panemark's script again");
                         loadScript();
                     });
}

void KWinPlatform::followKeyboardLayout() {
    // KWin matches a shortcut by what its key types on the active layout: the shortcuts are
    // handed over for that layout, and again whenever it changes.
    keyboardLayout_ = PlasmaKeyboardLayout::open();
    if (!keyboardLayout_) {
        return;
    }
    shortcuts_->followLayouts(keyboardLayout_->layouts());
    keyboardLayout_->setChangeListener(
        [this] { shortcuts_->followLayouts(keyboardLayout_->layouts()); });
}

void KWinPlatform::checkScriptIsAlive() {
    if (!greeted_) {
        // Refused, or silent for longer than a busy KWin takes to start a script: tried again.
        const bool silentTooLong = mainLoop_.now() - loadedAt_ >= patienceBeforeReload;
        if (!scriptProblem_.empty() && (!loader_->isLoaded() || silentTooLong)) {
            loadScript();
        }
        return;
    }
    if (channel_->secondsSinceHeard() >= silenceBeforeReload) {
        Log::write("Panemark's KWin script stopped asking for work: loading it again");
        loadScript();
    }
}

void KWinPlatform::checkScriptIsLoaded() {
    // Unloaded by hand or by KWin reloading its scripts, the script says nothing: its open
    // question is simply never answered. KWin is asked instead, without waiting, which costs it
    // a lookup and no script.
    if (!greeted_ || loadedQuestionOpen_) {
        return;
    }
    loadedQuestionOpen_ = true;
    loader_->askIsLoaded(&mainThread_, [this, load = loads_](std::optional<bool> loaded) {
        loadedQuestionOpen_ = false;
        // An answer about a copy since replaced says nothing of the new one.
        if (load == loads_ && loaded == false) {
            Log::write("KWin no longer runs Panemark's script: loading it again");
            loadScript();
        }
    });
}

Result<bool> KWinPlatform::waitUntilReady(double seconds) {
    if (!greeted_) {
        waitForGreeting(seconds);
    }
    if (!greeted_) {
        return Error{"Panemark's KWin script did not start within " +
                     std::to_string(static_cast<int>(seconds)) + " s on " + desktopName_ +
                     (scriptProblem_.empty() ? std::string() : ": " + scriptProblem_)};
    }
    return true;
}

Subscription KWinPlatform::onAccessChanged(std::function<void()> listener) {
    return accessChanged_.connect(std::move(listener));
}

DesktopAccess KWinPlatform::access() {
    if (scriptProblem_.empty()) {
        return {};
    }
    return {false, scriptProblem_,
            "Check that KWin scripts are allowed (System Settings ▸ Window Management ▸ KWin "
            "Scripts) and that org.kde.KWin answers on the session bus, then restart Panemark."};
}

} // namespace panemark
