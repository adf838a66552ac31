#include "tray_ui/SplashWindow.h"

#include "base/AppVersion.h"
#include "platform/OwnWindows.h"
#include "preferences/ConfigStore.h"
#include "widgets/AppIcon.h"
#include "widgets/CornerBrackets.h"
#include "widgets/Glow.h"
#include "widgets/ScreenFit.h"
#include "widgets/TerminalBackground.h"
#include "widgets/TerminalCheckBox.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/Theme.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace panemark {

namespace {

QLabel* centredText(const QString& content, const QFont& font, const QColor& color,
                    QWidget* parent) {
    QLabel* label = TerminalLabel::create(content, font, color, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

constexpr double cornerRadius = 8;

QPainterPath cardShape(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, cornerRadius, cornerRadius);
    return path;
}

} // namespace

SplashWindow::SplashWindow(SplashController& controller, ConfigStore& config, bool translucent)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      controller_(controller), translucent_(translucent) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false); // the controller owns the card
    setWindowTitle(
        QString::fromUtf8(OwnWindows::splashTitle.data(), OwnWindows::splashTitle.size()));
    setPalette(Theme::windowPalette());
    setFixedSize(cardWidth, cardHeight);
    if (translucent) {
        setAttribute(Qt::WA_TranslucentBackground);
    } else {
        setMask(QRegion(cardShape(rect()).toFillPolygon().toPolygon()));
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 0, 20, 18);
    column->setSpacing(0);
    column->addStretch();
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon::pixmap(76, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    icon->setAccessibleName({});
    column->addWidget(icon);
    column->addSpacing(14);
    auto* name =
        centredText("PANEMARK", TerminalFont::at(22, QFont::Bold, 5), Theme::textBright, this);
    Glow::apply(*name, Theme::phosphor, 6, 0.5);
    column->addWidget(name);
    column->addSpacing(6);
    column->addWidget(centredText("Keyboard window tiling for Linux", TerminalFont::at(10),
                                  Theme::textDim, this));
    column->addSpacing(16);
    version_ = centredText(QString::fromStdString(AppVersion::current().shortLine()),
                           TerminalFont::at(10), Theme::textFaint, this);
    column->addWidget(version_);
    column->addStretch();
    dontShowAgain_ = new TerminalCheckBox("Don't show this again", 11, Theme::textDim, this);
    dontShowAgain_->setChecked(!config.showSplashAtLaunch.get());
    dontShowAgain_->setFocusPolicy(Qt::NoFocus);
    QObject::connect(dontShowAgain_, &QCheckBox::toggled, this,
                     [&config](bool checked) { config.setShowSplashAtLaunch(!checked); });
    column->addWidget(dontShowAgain_, 0, Qt::AlignHCenter);
}

QString SplashWindow::versionText() const {
    return version_->text();
}

QPoint SplashWindow::originOn(const QRect& visibleArea) {
    const QPointF centre = QRectF(visibleArea).center();
    return QPoint(
        static_cast<int>(std::lround(centre.x() - cardWidth * 0.5)),
        static_cast<int>(std::lround(centre.y() - cardHeight * 0.5 - 0.1 * visibleArea.height())));
}

void SplashWindow::present() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    move(screen ? originOn(screen->availableGeometry()) : QPoint(0, 0));
    ScreenFit::fit(this); // a monitor smaller than the card gets all of it that fits
    show();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = cardShape(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setClipPath(shape);
    TerminalBackground::paint(painter, rect());
    CornerBrackets{Theme::textDim, 16, 10, 1.4}.paint(painter, rect());
    painter.setClipping(false);
    painter.setPen(QPen(Theme::line, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

void SplashWindow::enterEvent(QEnterEvent*) {
    controller_.setPaused(true);
}

void SplashWindow::leaveEvent(QEvent*) {
    controller_.setPaused(false);
}

void SplashWindow::mousePressEvent(QMouseEvent*) {
    controller_.dismiss();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        controller_.dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace panemark
