#pragma once

#include "base/Signal.h"
#include "platform/GlobalShortcuts.h"

#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace panemark {

class KeyboardLayouts;

// Global shortcuts through KDE's shortcut service (org.kde.kglobalaccel, which KWin runs on
// Wayland), as a component of Panemark's own: Plasma's shortcut settings list them under
// Panemark's name, and a combination another component holds is reported with the holder's
// name. Presses arrive as the component's signal. Main thread only.
class KGlobalAccelShortcuts : public QObject, public GlobalShortcuts {
    Q_OBJECT

public:
    static constexpr const char* component = "panemark";
    static constexpr const char* componentLabel = "Panemark";

    KGlobalAccelShortcuts();
    ~KGlobalAccelShortcuts() override;

    Subscription onActivated(Listener listener) override;
    bool isTakenElsewhere(const Shortcut& shortcut) const override;

    std::string keyboardLayout() const override;

    // Takes every binding again: the service forgets them when it restarts, which it is
    // watched for.
    void bindAgain();
    // Hands the shortcuts over as their keys type on these layouts from now on (none: as the
    // US layout prints them), taking again each one whose combinations change there.
    void followLayouts(const KeyboardLayouts* layouts);

    struct KeySequence;

protected:
    void apply(const ShortcutChanges& changes) override;

private Q_SLOTS:
    void pressed(const QString& componentName, const QString& shortcutName, qlonglong timestamp);
    void released(const QString& componentName, const QString& shortcutName, qlonglong timestamp);

private:
    void bind(const ShortcutBinding& binding);
    // Marks a binding that cannot fire here and says why, once until it changes.
    void refuse(const ShortcutBinding& binding, const std::string& why);
    void release(const ShortcutBinding& binding);
    // Asks the service for the combination; the combinations it gave, none when it failed.
    std::optional<QList<int>> take(const QStringList& id, const QList<int>& combinations,
                                   const std::string& shown);
    QStringList actionId(const ShortcutBinding& binding) const;
    // The component and action that hold a combination, and the names Plasma's settings show
    // for them; empty when the service names none.
    QStringList holderId(int combination) const;
    static QString holderName(const QStringList& holder);

    std::set<std::pair<std::uint32_t, std::uint32_t>> taken_; // key code, modifiers
    // What each binding's combinations were handed over as, by name.
    std::map<std::string, QList<int>> handedOver_;
    // What the log has heard of each refused binding, by name: each reason once, however often
    // the layouts switch back and forth, until the binding works or goes.
    std::map<std::string, std::set<std::string>> refusals_;
    const KeyboardLayouts* layouts_ = nullptr;
    Signal<std::string> activated_;
    // The shortcuts pressed and not let go since, with when they were last pressed or repeated.
    std::map<std::string, std::chrono::steady_clock::time_point> held_;
    // Set once the service has said it no longer knows the deprecated calls.
    mutable bool modernCallsOnly_ = false;
    std::unique_ptr<QDBusServiceWatcher> serviceWatcher_;
};

} // namespace panemark
