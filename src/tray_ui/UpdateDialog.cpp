#include "tray_ui/UpdateDialog.h"

#include "widgets/AppIcon.h"
#include "widgets/Glow.h"
#include "widgets/TerminalBackground.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace panemark {

namespace {

QLabel* label(const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setStyleSheet(ThemeStyle::textOverNothing(color));
    return label;
}

// "the server answered HTTP 404" reads as a sentence: "The server answered HTTP 404."
QString sentence(const std::string& reason) {
    QString text = QString::fromStdString(reason);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
        if (!text.endsWith('.')) {
            text += '.';
        }
    }
    return text;
}

} // namespace

UpdateDialog::UpdateDialog(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setWindowTitle("Software Update");
    setWindowIcon(AppIcon::icon());
    setFixedWidth(420);
    setPalette(Theme::windowPalette());
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 20, 20, 18);
    row->setSpacing(16);
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon::pixmap(48, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    title_ = label(TerminalFont::at(13, QFont::Bold), Theme::textBright, this);
    Glow::apply(*title_, Theme::phosphor, 5, 0.5);
    detail_ = label(TerminalFont::at(11), Theme::textDim, this);
    column->addWidget(title_);
    column->addWidget(detail_);
    column->addSpacing(8);
    buttonRow_ = new QHBoxLayout;
    buttonRow_->setSpacing(10);
    buttonRow_->addStretch();
    column->addLayout(buttonRow_);
    row->addLayout(column, 1);
}

QString UpdateDialog::title() const {
    return title_->text();
}

QString UpdateDialog::detail() const {
    return detail_->text();
}

std::vector<TerminalButton*> UpdateDialog::buttons() const {
    return buttons_;
}

void UpdateDialog::showChecking() {
    title_->setText("Checking for updates…");
    detail_->setText("Asking the update feed which version is the newest.");
    setButtons({{"Cancel", [this] { hide(); }}});
    bringToFront();
}

void UpdateDialog::showOutcome(const Updater::Outcome& outcome) {
    using Kind = Updater::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::newer: {
        title_->setText("Panemark " + QString::fromStdString(outcome.version) + " is available");
        detail_->setText("A newer version of Panemark is ready. You have v" +
                         QString::fromStdString(AppVersion::current().shortVersion) + ".");
        const QUrl page(QString::fromStdString(outcome.downloadUrl));
        std::vector<std::pair<QString, std::function<void()>>> buttons{
            {"Later", [this] { hide(); }}};
        if (page.isValid() && (page.scheme() == "https" || page.scheme() == "http")) {
            buttons.push_back({"Open Download Page", [this, page] {
                                   openUrl(page);
                                   hide();
                               }});
        }
        setButtons(std::move(buttons));
        break;
    }
    case Kind::upToDate:
        title_->setText("Panemark is up to date (v" + QString::fromStdString(outcome.version) +
                        ")");
        detail_->setText("This is the newest version.");
        setButtons({{"OK", [this] { hide(); }}});
        break;
    case Kind::failed:
        title_->setText("Couldn't check for updates");
        detail_->setText(sentence(outcome.reason));
        setButtons({{"OK", [this] { hide(); }}});
        break;
    }
    bringToFront();
}

void UpdateDialog::setButtons(std::vector<std::pair<QString, std::function<void()>>> buttons) {
    for (TerminalButton* button : buttons_) {
        buttonRow_->removeWidget(button);
        button->hide();
        button->deleteLater(); // it may be the button being clicked
    }
    buttons_.clear();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size(); // the default, at the trailing edge
        auto* button = new TerminalButton(buttons[i].first, last, this);
        QObject::connect(button, &QPushButton::clicked, this, buttons[i].second);
        buttonRow_->addWidget(button);
        buttons_.push_back(button);
        if (last) {
            button->setDefault(true);
            button->setFocus();
        }
    }
    adjustSize();
}

void UpdateDialog::bringToFront() {
    show();
    raise();
    activateWindow();
}

void UpdateDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalBackground::paint(painter, rect());
}

void UpdateDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !buttons_.empty()) {
        buttons_.back()->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace panemark
