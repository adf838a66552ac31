#include "app/PanemarkApp.h"

#include "app/DesktopWait.h"
#include "base/AppVersion.h"
#include "base/Log.h"
#include "base/QtScheduler.h"
#include "base/Text.h"
#include "control/AppController.h"
#include "control/DataFolderLock.h"
#include "control/InstanceServer.h"
#include "control/ProfileRequests.h"
#include "control/QuitRequest.h"
#include "control/SignalPipe.h"
#include "platform/OwnWindows.h"
#include "platform/PlatformFactory.h"
#include "tray_ui/DesktopShell.h"
#include "widgets/TerminalFont.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <malloc.h>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace panemark {

namespace {

InstanceServer::Json statusReply(AppController& controller, Platform& platform) {
    InstanceServer::Json reply = InstanceProtocol::reply();
    reply["version"] = AppVersion::current().versionLine();
    reply["pid"] = static_cast<std::int64_t>(::getpid());
    reply["display"] = platform.displayName();
    reply["desktop"] = platform.desktopName();
    if (AccessGate* gate = platform.accessGate()) {
        if (const DesktopAccess access = gate->access(); !access.granted) {
            reply["desktopAccess"] = access.sentence();
        }
    }
    reply["keyboardLayout"] = platform.shortcuts().keyboardLayout();
    InstanceServer::Json shortcuts = InstanceServer::Json::array();
    for (const ZoneCommand& command : controller.hotKeys().boundCommands()) {
        InstanceServer::Json entry = {{"shortcut", command.shortcut->displayString()},
                                      {"command", command.displayName()}};
        if (controller.hotKeys().isTakenElsewhere(*command.shortcut)) {
            entry["takenElsewhere"] = true;
        }
        shortcuts.push_back(std::move(entry));
    }
    reply["shortcuts"] = std::move(shortcuts);
    reply["liveTimers"] = static_cast<std::int64_t>(QtScheduler::liveTimers());
    if (ProfileManager& profiles = controller.profiles(); profiles.keepsFiles()) {
        reply["profile"] = profiles.activeProfile().name;
        reply["dataDir"] = profiles.fileStore().baseDirectory();
        reply["autoSwitchEnabled"] = profiles.autoSwitchEnabled.get();
    }
    if (ProfileAutoSwitcher* switcher = controller.autoSwitcher()) {
        const HardwareState hardware = switcher->hardware();
        reply["displays"] = hardware.connectedDisplays;
        InstanceServer::Json keyboards = InstanceServer::Json::array();
        for (const HIDDeviceID& keyboard : hardware.connectedKeyboards) {
            keyboards.push_back(
                {{"vendorID", keyboard.vendorID}, {"productID", keyboard.productID}});
        }
        reply["keyboards"] = std::move(keyboards);
        reply["keyboardsFollowed"] = switcher->keyboards().isWatching();
    }
    return reply;
}

// Profile requests are answered here only for the files this program keeps; for any other data
// folder, or when it runs without profiles, the command line acts on the files itself.
InstanceServer::Json profileReply(AppController& controller, const InstanceServer::Json& request) {
    ProfileManager& profiles = controller.profiles();
    const std::string dataDir = request.value("dataDir", std::string());
    if (!profiles.keepsFiles() ||
        (!dataDir.empty() && dataDir != profiles.fileStore().baseDirectory())) {
        InstanceServer::Json reply = InstanceProtocol::failure("not the profiles of this Panemark");
        reply["elsewhere"] = true;
        return reply;
    }
    return ProfileRequests::answer(profiles, request);
}

void answerRequests(InstanceServer& server, AppController& controller, Platform& platform) {
    server.handle("status", [&controller, &platform](const InstanceServer::Json&) {
        return statusReply(controller, platform);
    });
    for (const std::string& name : ProfileRequests::names()) {
        server.handle(name, [&controller](const InstanceServer::Json& request) {
            return profileReply(controller, request);
        });
    }
    server.handle("quit", [](const InstanceServer::Json&) {
        QuitRequest::post(); // the reply is on its way before the loop ends
        InstanceServer::Json reply = InstanceProtocol::reply();
        reply["pid"] = static_cast<std::int64_t>(::getpid());
        return reply;
    });
}

// One writer per data folder: a second program on another display (or a command line editing
// the files) must not write under this one.
Result<std::unique_ptr<DataFolderLock>> claimDataFolder(const std::string& dataDir,
                                                        const InstanceAddress& address,
                                                        const std::string& display) {
    Result<DataFolderLock::Attempt> attempt = DataFolderLock::take(dataDir, 5000);
    if (!attempt) {
        return Error{attempt.error()};
    }
    if (!attempt.value().lock) {
        const std::optional<DataFolderLock::Holder>& holder = attempt.value().holder;
        return Error{holder ? "Panemark is already running with the data folder " + dataDir +
                                  " (pid " + std::to_string(holder->pid) + ", display " +
                                  Text::printable(holder->display) + ")"
                            : "the data folder " + dataDir + " is in use by another process"};
    }
    std::unique_ptr<DataFolderLock> lock = std::move(attempt.value().lock);
    if (Result<bool> recorded =
            lock->record({static_cast<std::int64_t>(::getpid()), display, address.socketPath});
        !recorded) {
        Log::write(recorded.error() + "; the command line on other displays cannot reach us");
    }
    return lock;
}

// A profile switch frees the outgoing profile's commands, grabs and rows; the allocator keeps
// such freed pages for itself unless asked to give them back, once the switch has settled.
Subscription returnMemoryAfterSwitches(AppController& controller, Scheduler& mainLoop) {
    auto trim = std::make_shared<TimerHandle>();
    Subscription subscription = controller.profiles().activeProfileID.subscribe(
        [&mainLoop, trim](const Uuid&) { *trim = mainLoop.after(2.0, [] { ::malloc_trim(0); }); });
    return Subscription(
        [subscription = std::make_shared<Subscription>(std::move(subscription)), trim] {
            subscription->cancel();
            trim->cancel();
        });
}

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv, const std::string& backend) {
    // Qt's GTK platform theme triples the idle memory and changes nothing we draw.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORMTHEME")) {
        qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal-none");
    }
    const std::optional<std::string> windowSystem = PlatformFactory::windowSystemFor(backend);
    if (windowSystem && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", windowSystem->c_str());
    }
    // A compositor that restarts and keeps its clients (KWin 6) is reconnected to, where Qt
    // can (6.6 and later), instead of ending the program with the old connection.
    if (windowSystem && windowSystem->starts_with("wayland") &&
        qEnvironmentVariableIsEmpty("QT_WAYLAND_RECONNECT")) {
        qputenv("QT_WAYLAND_RECONNECT", "1");
    }
    // Panemark's windows carry its app id on every desktop (the Wayland app id, the X11 window's
    // desktop file): the compositor helpers and sway's rules know them by it, whatever the
    // program file is called.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(OwnWindows::appId));
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // closing the palette is not quitting
    // Text no view sets a font for (tooltips, Qt's own dialogs and menus) is in the theme's one
    // typeface too, which also spares loading a second font family.
    QApplication::setFont(TerminalFont::at(13));
    return application;
}

ShellServices shellServices(AppController& controller, Platform& platform, Scheduler& mainLoop,
                            PreferencesStore& preferences) {
    return ShellServices{
        controller.config(),
        controller.profiles(),
        platform,
        mainLoop,
        preferences,
        [&controller](const ZoneCommand& command, std::optional<WindowRef> window) {
            controller.run(command, window);
        },
        [&controller] { return controller.mover().focusedWindow(); },
        [&controller](const Shortcut& shortcut) {
            return controller.hotKeys().isTakenElsewhere(shortcut);
        }};
}

} // namespace

int PanemarkApp::run(const Options& options, std::ostream& out, std::ostream& err) {
    static int argc = 1;
    static char name[] = "panemark";
    static char* argv[] = {name, nullptr};
    // Chosen before Qt starts, whose windows go to the same desktop; opened after it.
    const Result<std::string> backend =
        PlatformFactory::choose(options.backend, PlatformFactory::processEnvironment());
    if (!backend) {
        err << "panemark: " << backend.error() << '\n';
        return 1;
    }
    const std::unique_ptr<QApplication> application = makeApplication(argc, argv, backend.value());
    QCoreApplication::setApplicationName("Panemark");
    // From the start: a SIGTERM while the keys are being grabbed still ends the loop cleanly
    // (the loop sees the request as soon as it runs) instead of killing the process half-way.
    SignalPipe signals([](int) { QuitRequest::post(); });

    Result<InstanceAddress> address = InstanceAddress::forThisSession();
    Result<InstanceServer::Claim> claim =
        address ? InstanceServer::claim(address.value())
                : Result<InstanceServer::Claim>(Error{address.error()});
    if (!claim) {
        err << "panemark: " << claim.error() << '\n';
        return 1;
    }
    if (!claim.value().server) {
        out << "Panemark is already running\n";
        return 0;
    }
    InstanceServer& instance = *claim.value().server;

    QtScheduler mainLoop;
    bool quit = false;
    Result<std::unique_ptr<Platform>> opened =
        DesktopWait::open(mainLoop, backend.value(), instance, &quit);
    if (quit) {
        return 0;
    }
    if (!opened) {
        err << "panemark: " << opened.error() << '\n';
        return 1;
    }
    Platform& platform = *opened.value();
    PreferencesStore preferences;
    AppController::CommandSource source = std::vector<ZoneCommand>();
    std::unique_ptr<DataFolderLock> dataLock;
    if (!options.commands) {
        const std::string dataDir = DataFolderLock::canonical(
            options.dataDir.value_or(ProfileFileStore::defaultBaseDirectory()));
        Result<std::unique_ptr<DataFolderLock>> claimed =
            claimDataFolder(dataDir, instance.address(), platform.displayName());
        if (!claimed) {
            err << "panemark: " << claimed.error() << '\n';
            return 1;
        }
        dataLock = std::move(claimed).value();
        source = ProfileFileStore(dataDir);
    } else {
        source = *options.commands;
        Log::write("binding the commands of " + Text::printable(options.commandsFile.value_or("")) +
                   " for this run; profiles are left as they are");
    }
    AppController controller(platform, preferences, mainLoop,
                             WindowAnimator::make(platform.windows()), std::move(source));
    answerRequests(instance, controller, platform);
    const Subscription memoryBack = returnMemoryAfterSwitches(controller, mainLoop);
    // After the hot keys: a slow tray never delays the shortcuts.
    const DesktopShell shell(shellServices(controller, platform, mainLoop, preferences), instance);
    // Without its display there is nothing left to do: end with the session.
    Subscription displayGone;
    if (DesktopLink* link = platform.desktopLink()) {
        displayGone = link->onConnectionLost([] { QCoreApplication::exit(1); });
    }
    if (QuitRequest::isPending()) {
        return 0; // asked to end while starting up
    }
    return QCoreApplication::exec();
}

} // namespace panemark
