#include "platform/kwin/KGlobalAccelShortcuts.h"

#include "base/Log.h"
#include "platform/kwin/KdeKeyCodes.h"
#include "platform/xkb/KeyboardLayouts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <algorithm>
#include <chrono>

namespace panemark {

namespace {

constexpr const char* service = "org.kde.kglobalaccel";
constexpr const char* servicePath = "/kglobalaccel";
constexpr const char* serviceInterface = "org.kde.KGlobalAccel";
constexpr int callTimeoutMs = 2000;
constexpr auto repeatWindow = std::chrono::milliseconds(1000);
// The service's flags: the shortcut is present now, and the service must not put back a
// combination it remembers from an earlier run in place of the one given.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

QDBusMessage callService(const char* method, const QList<QVariant>& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, servicePath, serviceInterface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
}

bool failed(const QDBusMessage& reply, const std::string& what) {
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return false;
    }
    Log::write("KDE's shortcut service did not " + what + ": " +
               reply.errorMessage().toStdString());
    return true;
}

bool unknownMethod(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage &&
           reply.errorName() == "org.freedesktop.DBus.Error.UnknownMethod";
}

} // namespace

// The service's key sequence: up to four combinations, sent as a structure of an int array.
struct KGlobalAccelShortcuts::KeySequence {
    QList<int> keys;
};

QDBusArgument& operator<<(QDBusArgument& argument,
                          const KGlobalAccelShortcuts::KeySequence& sequence) {
    argument.beginStructure();
    argument << sequence.keys;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                KGlobalAccelShortcuts::KeySequence& sequence) {
    argument.beginStructure();
    argument >> sequence.keys;
    argument.endStructure();
    return argument;
}

KGlobalAccelShortcuts::KGlobalAccelShortcuts() {
    qDBusRegisterMetaType<QList<int>>();
    qDBusRegisterMetaType<KeySequence>();
    qDBusRegisterMetaType<QList<KeySequence>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString path = QString("/component/") + component;
    bus.connect(service, path, "org.kde.kglobalaccel.Component", "globalShortcutPressed", this,
                SLOT(pressed(QString, QString, qlonglong)));
    bus.connect(service, path, "org.kde.kglobalaccel.Component", "globalShortcutReleased", this,
                SLOT(released(QString, QString, qlonglong)));
    // The service forgets every shortcut when it restarts (with KWin, which runs it, or on its
    // own): a service that comes onto the bus again is handed the set again.
    serviceWatcher_ = std::make_unique<QDBusServiceWatcher>(
        service, bus, QDBusServiceWatcher::WatchForRegistration);
    connect(serviceWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (!bindings().empty()) {
            Log::write("KDE's shortcut service started again: handing it Panemark's shortcuts");
        }
        held_.clear();
        bindAgain();
    });
}

KGlobalAccelShortcuts::~KGlobalAccelShortcuts() {
    // Quitting lets the combinations go: Plasma's settings no longer list them.
    for (const ShortcutBinding& binding : bindings()) {
        release(binding);
    }
}

void KGlobalAccelShortcuts::apply(const ShortcutChanges& changes) {
    // An action holds its keys, so a combination that passes to another binding is let go by
    // the one and taken by the other, in this order, in one turn of the loop; a swap of two
    // combinations works the same way.
    for (const ShortcutBinding& old : changes.letGo) {
        release(old);
    }
    for (const ShortcutBinding& binding : changes.take) {
        bind(binding);
    }
    // Registering an action again gives it its new name; its keys stay as they are.
    for (const ShortcutBinding& binding : changes.relabelled) {
        (void)failed(callService("doRegister", {actionId(binding)}),
                     "rename " + binding.shortcut.displayString());
    }
}

Subscription KGlobalAccelShortcuts::onActivated(Listener listener) {
    return activated_.connect(std::move(listener));
}

bool KGlobalAccelShortcuts::isTakenElsewhere(const Shortcut& shortcut) const {
    return taken_.count({shortcut.keyCode, shortcut.modifiers}) != 0;
}

void KGlobalAccelShortcuts::bindAgain() {
    taken_.clear();
    for (const ShortcutBinding& binding : bindings()) {
        bind(binding);
    }
}

void KGlobalAccelShortcuts::pressed(const QString& componentName, const QString& shortcutName,
                                    qlonglong) {
    if (componentName != component) {
        return;
    }
    const std::string name = shortcutName.toStdString();
    // Held, a shortcut runs once. KWin before 6.5 sends the key's repeats as presses too; a
    // press of a shortcut not let go since is one of them (6.5 and later send no such presses).
    // Repeats come many times a second: a release that went astray holds a shortcut only until
    // it has been quiet for a while, as on X11.
    const auto now = std::chrono::steady_clock::now();
    const auto [held, first] = held_.try_emplace(name, now);
    const bool repeat = !first && now - held->second < repeatWindow;
    held->second = now;
    if (repeat) {
        return;
    }
    // A press that crossed a change of the set names a binding that is gone.
    if (bindingNamed(name)) {
        activated_.emit(name);
    }
}

void KGlobalAccelShortcuts::released(const QString& componentName, const QString& shortcutName,
                                     qlonglong) {
    if (componentName == component) {
        held_.erase(shortcutName.toStdString());
    }
}

QStringList KGlobalAccelShortcuts::actionId(const ShortcutBinding& binding) const {
    const std::string label = binding.label.empty() ? binding.name : binding.label;
    return {component, QString::fromStdString(binding.name), componentLabel,
            QString::fromStdString(label)};
}

void KGlobalAccelShortcuts::bind(const ShortcutBinding& binding) {
    const std::string shown = binding.shortcut.displayString();
    taken_.erase({binding.shortcut.keyCode, binding.shortcut.modifiers});
    const Result<std::vector<int>> combinations =
        KdeKeyCodes::combinationsFor(binding.shortcut, layouts_);
    if (!combinations) {
        // Whatever it was handed over as before would now fire on another key.
        if (handedOver_.erase(binding.name) != 0) {
            release(binding);
        }
        refuse(binding, combinations.error());
        return;
    }
    const QList<int> keys(combinations.value().begin(), combinations.value().end());
    const QStringList id = actionId(binding);
    if (failed(callService("doRegister", {id}), "register " + shown)) {
        return;
    }
    const std::optional<QList<int>> given = take(id, keys, shown);
    if (!given) {
        return;
    }
    handedOver_[binding.name] = keys;
    // KDE's service before Plasma 6.7 leaves a combination another component holds out of what
    // it answers; 6.7 answers it all the same and keeps it with its holder. Who holds it says.
    const QStringList holder = holderId(keys.constFirst());
    const bool heldElsewhere = holder.size() >= 2 && (holder[0] != component || holder[1] != id[1]);
    if (!given->contains(keys.constFirst()) || heldElsewhere) {
        refuse(binding, "is taken by " + holderName(holder).toStdString() +
                            "; Panemark cannot use it until it is let go");
        return;
    }
    refusals_.erase(binding.name);
}

void KGlobalAccelShortcuts::refuse(const ShortcutBinding& binding, const std::string& why) {
    taken_.insert({binding.shortcut.keyCode, binding.shortcut.modifiers});
    if (refusals_[binding.name].insert(why).second) {
        Log::write("shortcut " + binding.shortcut.displayString() + " " + why);
    }
}

void KGlobalAccelShortcuts::followLayouts(const KeyboardLayouts* layouts) {
    layouts_ = layouts;
    for (const ShortcutBinding& binding : bindings()) {
        const Result<std::vector<int>> now =
            KdeKeyCodes::combinationsFor(binding.shortcut, layouts_);
        const auto before = handedOver_.find(binding.name);
        const bool same = now && before != handedOver_.end() &&
                          std::equal(now.value().begin(), now.value().end(), before->second.begin(),
                                     before->second.end());
        if (!same) {
            bind(binding);
        }
    }
}

std::string KGlobalAccelShortcuts::keyboardLayout() const {
    if (!layouts_) {
        return "US (KWin's keyboard map is unknown: keys are bound as the US layout prints them)";
    }
    const std::string name = layouts_->layoutName(layouts_->active());
    return (name.empty() ? "layout " + std::to_string(layouts_->active() + 1) : name) +
           " (bound as its keys type there; bound again at each switch)";
}

std::optional<QList<int>> KGlobalAccelShortcuts::take(const QStringList& id,
                                                      const QList<int>& combinations,
                                                      const std::string& shown) {
    // setShortcut is deprecated since KDE Frameworks 5.90 and may be gone from a service built
    // without deprecated calls: setShortcutKeys takes key sequences instead.
    if (!modernCallsOnly_) {
        const QDBusMessage reply = callService(
            "setShortcut", {id, QVariant::fromValue(combinations), setPresent | noAutoloading});
        if (!unknownMethod(reply)) {
            if (failed(reply, "take " + shown)) {
                return std::nullopt;
            }
            return reply.arguments().isEmpty()
                       ? QList<int>()
                       : qdbus_cast<QList<int>>(reply.arguments().constFirst());
        }
        modernCallsOnly_ = true;
    }
    QList<KeySequence> sequences;
    for (const int combination : combinations) {
        sequences.append(KeySequence{{combination}});
    }
    const QDBusMessage reply = callService(
        "setShortcutKeys", {id, QVariant::fromValue(sequences), setPresent | noAutoloading});
    if (failed(reply, "take " + shown)) {
        return std::nullopt;
    }
    QList<int> given;
    if (!reply.arguments().isEmpty()) {
        for (const KeySequence& sequence :
             qdbus_cast<QList<KeySequence>>(reply.arguments().constFirst())) {
            given += sequence.keys;
        }
    }
    return given;
}

void KGlobalAccelShortcuts::release(const ShortcutBinding& binding) {
    handedOver_.erase(binding.name);
    refusals_.erase(binding.name);
    (void)failed(
        callService("unregister", {QString(component), QString::fromStdString(binding.name)}),
        "let go of " + binding.shortcut.displayString());
    taken_.erase({binding.shortcut.keyCode, binding.shortcut.modifiers});
}

QStringList KGlobalAccelShortcuts::holderId(int combination) const {
    QDBusMessage reply;
    if (!modernCallsOnly_) {
        reply = callService("action", {combination});
    }
    if (modernCallsOnly_ || unknownMethod(reply)) {
        reply = callService("actionList", {QVariant::fromValue(KeySequence{{combination}})});
    }
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().toStringList();
}

QString KGlobalAccelShortcuts::holderName(const QStringList& holder) {
    // Component, action, and the names Plasma shows for each.
    if (holder.size() >= 4 && !holder[2].isEmpty()) {
        return holder[2] + " (" + holder[3] + ")";
    }
    return holder.isEmpty() ? "another program" : holder.join(' ');
}

} // namespace panemark
