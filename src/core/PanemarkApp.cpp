#include "core/PanemarkApp.h"

#include "core/AppController.h"
#include "core/CommandFile.h"
#include "core/SignalPipe.h"
#include "core/SingleInstance.h"
#include "model/StockCommands.h"
#include "platform/x11/X11Platform.h"
#include "platform/xdg/XdgAutostartItem.h"
#include "runtime/QtScheduler.h"

#include <QCoreApplication>
#include <ostream>

namespace panemark {

int PanemarkApp::run(const Options& options, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    static int argc = 1;
    static char name[] = "panemark";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("Panemark");

    std::vector<ZoneCommand> commands = stockCommands();
    if (options.commandsFile) {
        Result<std::vector<ZoneCommand>> read = CommandFile::read(*options.commandsFile, in);
        if (!read) {
            err << read.error() << '\n';
            return 2;
        }
        commands = std::move(read).value();
    }
    const std::unique_ptr<SingleInstance> instance =
        SingleInstance::claim(SingleInstance::nameForThisSession());
    if (!instance) {
        out << "Panemark is already running\n";
        return 0;
    }
    QtScheduler mainLoop;
    Result<std::unique_ptr<X11Platform>> platform = X11Platform::open(mainLoop);
    if (!platform) {
        err << "panemark: " << platform.error() << '\n';
        return 1;
    }
    X11Platform& x11 = *platform.value();
    XdgAutostartItem loginItem = XdgAutostartItem::forThisProgram();
    PreferencesStore preferences;
    AppController controller(
        PlatformServices{x11.windows(), x11.screens(), x11.bell(), x11.keyboard(), loginItem},
        preferences, mainLoop, WindowAnimator::make(x11.windows()), std::move(commands));
    SignalPipe signals([](int) { QCoreApplication::quit(); });
    // Without its display there is nothing left to do: end with the session.
    const Subscription displayGone =
        x11.events().onConnectionLost([] { QCoreApplication::exit(1); });
    x11.events().drain(); // anything that came in while starting up
    return QCoreApplication::exec();
}

} // namespace panemark
