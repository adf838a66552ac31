#pragma once

#include "tray_ui/SplashController.h"

#include <QWidget>

class QLabel;

namespace panemark {

class ConfigStore;
class TerminalCheckBox;

// The splash card: icon, name, tag line and version on the terminal background, with
// "Don't show this again". It never takes the keyboard focus by itself; the pointer resting on
// it pauses the countdown, a click or Escape dismisses it.
class SplashWindow : public QWidget, public SplashController::Card {
public:
    static constexpr int cardWidth = 420;
    static constexpr int cardHeight = 280;

    // translucent: whether the desktop blends windows (rounded corners by transparency rather
    // than a hard-edged mask, and fades).
    SplashWindow(SplashController& controller, ConfigStore& config, bool translucent);

    // Where the card goes on a screen's visible area: centred, a tenth of its height higher.
    static QPoint originOn(const QRect& visibleArea);
    // Shows the card on the screen the pointer is on.
    void present();

    void setOpacity(double opacity) override { setWindowOpacity(opacity); }
    void close() override { QWidget::close(); }

    TerminalCheckBox* dontShowAgain() const { return dontShowAgain_; }
    QString versionText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    SplashController& controller_;
    bool translucent_;
    QLabel* version_ = nullptr;
    TerminalCheckBox* dontShowAgain_ = nullptr;
};

} // namespace panemark
