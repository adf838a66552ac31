#pragma once

#include <QString>
#include <QWidget>

namespace panemark {

// "Privacy Policy · Support", and the home page by its address when asked for. The addresses
// are set when the program is built; a click opens them in the user's browser.
class SupportLinks : public QWidget {
public:
    struct Addresses {
        QString privacyPolicy;
        QString support;
        QString homePage;
        QString homePageLabel;
    };
    static Addresses builtIn();

    explicit SupportLinks(bool showsHomepage, QWidget* parent = nullptr);
    SupportLinks(bool showsHomepage, const Addresses& addresses, QWidget* parent = nullptr);

    // Each link's text and address, in order.
    QList<QPair<QString, QString>> links() const { return links_; }

private:
    void addLink(const QString& text, const QString& address);
    void addSeparator();

    QList<QPair<QString, QString>> links_;
};

} // namespace panemark
