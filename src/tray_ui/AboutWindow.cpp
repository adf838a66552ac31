#include "tray_ui/AboutWindow.h"

#include "widgets/AppIcon.h"
#include "widgets/Glow.h"
#include "widgets/ScreenFit.h"
#include "widgets/SectionHeader.h"
#include "widgets/SupportLinks.h"
#include "widgets/TerminalBackground.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalDivider.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/Theme.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace panemark {

namespace {

constexpr int sectionPadding = 18;

QWidget* section(QWidget* parent) {
    auto* widget = new QWidget(parent);
    widget->setAttribute(Qt::WA_TranslucentBackground);
    return widget;
}

} // namespace

AboutWindow::AboutWindow(const AppVersion& version, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("about");
    setWindowTitle("About Panemark");
    setWindowIcon(AppIcon::icon());
    setFixedWidth(windowWidth);
    setPalette(Theme::windowPalette());
    setMinimumHeight(windowMinimumHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(identitySection(version));
    column->addWidget(new TerminalDivider(Theme::lineFaint, this));
    column->addWidget(buildSection(version));
    column->addWidget(new TerminalDivider(Theme::lineFaint, this));
    column->addWidget(footerSection(version));
    column->addStretch(); // the content keeps to the top
}

QWidget* AboutWindow::identitySection(const AppVersion& version) {
    QWidget* identity = section(this);
    auto* row = new QHBoxLayout(identity);
    row->setContentsMargins(sectionPadding, sectionPadding, sectionPadding, sectionPadding);
    row->setSpacing(14);
    auto* icon = new QLabel(identity);
    icon->setPixmap(AppIcon::pixmap(64, devicePixelRatioF()));
    icon->setAccessibleName({});
    row->addWidget(icon);
    auto* names = new QVBoxLayout;
    names->setSpacing(4);
    auto* title = TerminalLabel::create("PANEMARK", TerminalFont::at(18, QFont::Bold, 3),
                                        Theme::textBright, identity);
    title->setAccessibleDescription("heading");
    Glow::apply(*title, Theme::phosphor, 5, 0.5);
    names->addWidget(title);
    versionLine_ = TerminalLabel::create(QString::fromStdString(version.shortLine()),
                                         TerminalFont::at(11), Theme::text, identity);
    names->addWidget(versionLine_);
    names->addWidget(TerminalLabel::create("Keyboard window tiling for Linux", TerminalFont::at(10),
                                           Theme::textDim, identity));
    row->addLayout(names, 1);
    return identity;
}

QWidget* AboutWindow::buildSection(const AppVersion& version) {
    QWidget* build = section(this);
    auto* column = new QVBoxLayout(build);
    column->setContentsMargins(sectionPadding, sectionPadding, sectionPadding, sectionPadding);
    column->setSpacing(10);
    buildKind_ = version.isDevBuild ? "DEV" : "RELEASE";
    column->addWidget(new SectionHeader("BUILD", buildKind_, build));
    std::vector<std::pair<QString, std::string>> rows = {{"VERSION", version.shortVersion},
                                                         {"BUILD", version.build}};
    if (version.gitDescribe) {
        rows.push_back({"SOURCE", *version.gitDescribe});
    }
    for (const auto& [name, value] : rows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(0);
        QLabel* label = TerminalLabel::create(name, TerminalFont::at(9, QFont::Normal, 1),
                                              Theme::textFaint, build);
        label->setFixedWidth(62);
        line->addWidget(label);
        QLabel* shown = TerminalLabel::create(QString::fromStdString(value), TerminalFont::at(12),
                                              Theme::text, build);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        shown->setCursor(Qt::IBeamCursor);
        shown->setAccessibleName(name);
        line->addWidget(shown, 1);
        column->addLayout(line);
        buildRows_.push_back({name, shown});
    }
    return build;
}

QWidget* AboutWindow::footerSection(const AppVersion& version) {
    QWidget* footer = section(this);
    auto* column = new QVBoxLayout(footer);
    column->setContentsMargins(sectionPadding, sectionPadding, sectionPadding, sectionPadding);
    column->setSpacing(12);
    auto* check = new TerminalButton("Check for Updates…", false, footer);
    QObject::connect(check, &QPushButton::clicked, this, &AboutWindow::updateCheckRequested);
    column->addWidget(check, 0, Qt::AlignLeft);
    column->addWidget(new SupportLinks(true, footer));
    if (version.copyright) {
        copyright_ = TerminalLabel::create(QString::fromStdString(*version.copyright),
                                           TerminalFont::at(9), Theme::textFaint, footer);
        copyright_->setWordWrap(true);
        column->addWidget(copyright_);
    }
    return footer;
}

QString AboutWindow::identityVersion() const {
    return versionLine_->text();
}

void AboutWindow::present() {
    if (!isVisible()) {
        adjustSize();
        ScreenFit::fit(this); // in the middle of the monitor under the pointer, and inside it
    }
    show();
    raise();
    activateWindow();
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalBackground::paint(painter, rect());
}

} // namespace panemark
