#include "core/PanemarkApp.h"

#include "cli/CommandFile.h"
#include "core/AppController.h"
#include "core/SignalPipe.h"
#include "core/SingleInstance.h"
#include "model/StockCommands.h"
#include "platform/PlatformFactory.h"
#include "runtime/QtScheduler.h"

#include <QCoreApplication>
#include <ostream>

namespace panemark {

int PanemarkApp::run(const Options& options, std::ostream& out, std::ostream& err) {
    static int argc = 1;
    static char name[] = "panemark";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("Panemark");

    std::vector<ZoneCommand> commands = options.commands.value_or(stockCommands());
    const std::unique_ptr<SingleInstance> instance =
        SingleInstance::claim(SingleInstance::nameForThisSession());
    if (!instance) {
        out << "Panemark is already running\n";
        return 0;
    }
    QtScheduler mainLoop;
    Result<std::unique_ptr<Platform>> opened = PlatformFactory::open(mainLoop);
    if (!opened) {
        err << "panemark: " << opened.error() << '\n';
        return 1;
    }
    Platform& platform = *opened.value();
    PreferencesStore preferences;
    AppController controller(platform, preferences, mainLoop,
                             WindowAnimator::make(platform.windows()), std::move(commands));
    SignalPipe signals([](int) { QCoreApplication::quit(); });
    // Without its display there is nothing left to do: end with the session.
    const Subscription displayGone = platform.onConnectionLost([] { QCoreApplication::exit(1); });
    platform.deliverPendingEvents(); // anything that came in while starting up
    return QCoreApplication::exec();
}

} // namespace panemark
