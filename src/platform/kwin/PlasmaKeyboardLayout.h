#pragma once

#include "platform/xkb/KeyboardLayouts.h"
#include "platform/xkb/WaylandKeymap.h"

#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace panemark {

// The keyboard layouts of a Plasma session and which one is active: the map from KWin as a
// Wayland client reads it, the active layout from Plasma's layout service (org.kde.keyboard,
// which KWin offers while more than one layout is configured). A switch, or a change of the
// list, is announced once the two agree again. Main thread only.
class PlasmaKeyboardLayout : public QObject {
    Q_OBJECT

public:
    // None, with the reason logged, when KWin's keyboard map cannot be read: shortcuts are then
    // bound as the standard layout prints their keys.
    static std::unique_ptr<PlasmaKeyboardLayout> open();
    ~PlasmaKeyboardLayout() override;

    const KeyboardLayouts* layouts() const { return layouts_.get(); }
    // The active layout in words, "French (fr)" style: the keymap's name for it.
    std::string activeName() const;
    void setChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }

private Q_SLOTS:
    void layoutSwitched(uint index);
    void layoutListChanged();

private:
    explicit PlasmaKeyboardLayout(std::unique_ptr<WaylandKeymap> keymap);
    void readKeymap();
    void readActiveLayout();
    void announce();

    std::unique_ptr<WaylandKeymap> keymap_;
    std::unique_ptr<KeyboardLayouts> layouts_;
    std::unique_ptr<QDBusServiceWatcher> serviceWatcher_;
    std::function<void()> changed_;
};

} // namespace panemark
