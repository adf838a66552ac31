#pragma once

#include "base/Signal.h"
#include "platform/DesktopAccess.h"
#include "platform/helper/CompositorHelper.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace panemark {

// Panemark's GNOME Shell extension, over the session bus: requests are calls with their own
// timeouts (from any thread), and what the extension reports (a shortcut pressed, the screens
// changed, the top-bar button clicked) arrives as its signals on the main thread. It follows the
// extension coming and going (the shell restarting, the extension turned off or on).
class GnomeShellHelper : public QObject, public CompositorHelper {
    Q_OBJECT

public:
    static constexpr const char* service = "app.panemark.Shell";
    static constexpr const char* objectPath = "/app/panemark/Shell";
    static constexpr const char* interfaceName = "app.panemark.Shell";

    GnomeShellHelper();
    ~GnomeShellHelper() override;

    Result<std::string> look(double timeout) override;
    Result<std::string> window(const std::string& id, double timeout) override;
    Result<std::string> place(const std::string& id, const Rect& frame, int waitMilliseconds,
                              double timeout) override;
    // Hands the extension the whole set of shortcuts; what it answers (the names it could not
    // have).
    Result<std::string> bind(const std::string& changesJson, double timeout);

    // Whether the extension answers, and is the one this program speaks with.
    DesktopAccess access() const;
    // The shell's version as the extension reports it ("43.9"); empty while it does not.
    std::string shellVersion() const;

    // On the main thread.
    Signal<std::string> activated;
    Signal<> screensChanged;
    Signal<> paletteRequested;
    // The extension (re)appeared: whatever it was given must be given again.
    Signal<> arrived;
    // The extension went away: what it reported no longer holds.
    Signal<> departed;
    // The focused window and the screens, as a look answers them, whenever either changes.
    Signal<std::string> stateChanged;

private Q_SLOTS:
    void onActivated(const QString& name);
    void onScreensChanged();
    void onPaletteRequested(int x, int y);
    void onStateChanged(const QString& state);

private:
    // Asks the extension who it is and tells it who Panemark is.
    void greet();
    Result<QList<QVariant>> call(const char* method, const QList<QVariant>& arguments,
                                 double timeout);

    // What a failed call says, naming the shell; the extension's errors and timeouts are
    // logged once each.
    std::string failed(const char* method, const QDBusMessage& reply);
    void logOnce(const char* method, const std::string& text);

    std::unique_ptr<QDBusServiceWatcher> watcher_;
    mutable std::mutex mutex_;
    DesktopAccess access_;
    std::string shellVersion_;
    std::set<std::string> logged_;
};

} // namespace panemark
