#include "widgets/SupportLinks.h"

#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace panemark {

SupportLinks::Addresses SupportLinks::builtIn() {
    return {PANEMARK_PRIVACY_URL, PANEMARK_SUPPORT_URL, PANEMARK_HOMEPAGE_URL,
            PANEMARK_HOMEPAGE_LABEL};
}

SupportLinks::SupportLinks(bool showsHomepage, QWidget* parent)
    : SupportLinks(showsHomepage, builtIn(), parent) {}

SupportLinks::SupportLinks(bool showsHomepage, const Addresses& addresses, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    addLink("Privacy Policy", addresses.privacyPolicy);
    addSeparator();
    addLink("Support", addresses.support);
    if (showsHomepage) {
        addSeparator();
        addLink(addresses.homePageLabel, addresses.homePage);
    }
    row->addStretch();
}

void SupportLinks::addLink(const QString& text, const QString& address) {
    auto* link = new QLabel(this);
    link->setFont(TerminalFont::at(11));
    // The label draws the link in its own colour; the stylesheet keeps it on the theme.
    link->setText(QString("<a href=\"%1\" style=\"color: %2; text-decoration: none;\">%3</a>")
                      .arg(address.toHtmlEscaped(), Theme::textDim.name(), text.toHtmlEscaped()));
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    link->setAccessibleName(text);
    link->setToolTip(address);
    layout()->addWidget(link);
    links_.append({text, address});
}

void SupportLinks::addSeparator() {
    auto* dot = new QLabel("·", this);
    dot->setFont(TerminalFont::at(11));
    dot->setStyleSheet(ThemeStyle::text(Theme::lineFaint));
    dot->setAccessibleName({}); // the dot is for the eye
    dot->setAccessibleDescription({});
    layout()->addWidget(dot);
}

} // namespace panemark
