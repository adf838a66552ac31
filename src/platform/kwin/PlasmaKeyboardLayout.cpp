#include "platform/kwin/PlasmaKeyboardLayout.h"

#include "base/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace panemark {

namespace {

constexpr const char* layoutService = "org.kde.keyboard";
constexpr const char* layoutPath = "/Layouts";
constexpr const char* layoutInterface = "org.kde.KeyboardLayouts";
constexpr int callTimeoutMs = 1000;
constexpr double keymapWait = 2.0;

} // namespace

PlasmaKeyboardLayout::PlasmaKeyboardLayout(std::unique_ptr<WaylandKeymap> keymap)
    : keymap_(std::move(keymap)) {}

PlasmaKeyboardLayout::~PlasmaKeyboardLayout() = default;

std::unique_ptr<PlasmaKeyboardLayout> PlasmaKeyboardLayout::open() {
    Result<std::unique_ptr<WaylandKeymap>> keymap = WaylandKeymap::connect();
    if (!keymap) {
        Log::write(keymap.error() + ": shortcuts are bound as the US layout prints their keys");
        return nullptr;
    }
    if (!keymap.value()->waitForKeymap(keymapWait)) {
        Log::write("KWin sent no keyboard map: shortcuts are bound as the US layout prints "
                   "their keys until it does");
    }
    std::unique_ptr<PlasmaKeyboardLayout> layout(
        new PlasmaKeyboardLayout(std::move(keymap).value()));
    PlasmaKeyboardLayout* self = layout.get();
    layout->keymap_->setChangeListener([self] {
        self->readKeymap();
        self->announce();
    });
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(layoutService, layoutPath, layoutInterface, "layoutChanged", self,
                SLOT(layoutSwitched(uint)));
    bus.connect(layoutService, layoutPath, layoutInterface, "layoutListChanged", self,
                SLOT(layoutListChanged()));
    // KWin offers the service only while there is more than one layout to switch between.
    layout->serviceWatcher_ = std::make_unique<QDBusServiceWatcher>(
        layoutService, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(layout->serviceWatcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, self,
                     [self] { self->layoutListChanged(); });
    layout->readKeymap();
    return layout;
}

std::string PlasmaKeyboardLayout::activeName() const {
    if (!layouts_) {
        return "";
    }
    return layouts_->layoutName(layouts_->active());
}

void PlasmaKeyboardLayout::layoutSwitched(uint index) {
    if (layouts_ && index != layouts_->active()) {
        layouts_->setActive(index);
        announce();
    }
}

void PlasmaKeyboardLayout::layoutListChanged() {
    readActiveLayout();
    announce();
}

void PlasmaKeyboardLayout::readKeymap() {
    if (keymap_->text().empty()) {
        return;
    }
    std::unique_ptr<KeyboardLayouts> layouts = KeyboardLayouts::fromKeymapText(keymap_->text());
    if (!layouts) {
        Log::write("KWin's keyboard map does not compile; shortcuts keep the layout they had");
        return;
    }
    layouts_ = std::move(layouts);
    readActiveLayout();
}

void PlasmaKeyboardLayout::readActiveLayout() {
    if (!layouts_) {
        return;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(layoutService, layoutPath, layoutInterface, "getLayout");
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
    // No service: a single layout, which is the active one.
    const uint index = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                           ? reply.arguments().constFirst().toUInt()
                           : 0;
    layouts_->setActive(index);
}

void PlasmaKeyboardLayout::announce() {
    if (changed_) {
        changed_();
    }
}

} // namespace panemark
