// The floor for the tray figures: a bare Qt Widgets program with a tray icon whose click opens a
// 290-pixel popup of a few lines of text, and a local socket, as Panemark has. Nothing of
// Panemark is linked, so its resident memory is what the toolkit itself costs.
#include <QApplication>
#include <QCursor>
#include <QLocalServer>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>
#include <unistd.h>

namespace {

class Popup : public QWidget {
public:
    Popup() : QWidget(nullptr, Qt::Popup) { resize(290, 400); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(10, 14, 10));
        painter.setPen(QColor(80, 250, 123));
        painter.setFont(QFont("DejaVu Sans Mono", 13));
        for (int row = 0; row < 14; ++row) {
            painter.drawText(12, 24 + row * 26, QStringLiteral("Left half    ⌃⌥←"));
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLocalServer server;
    server.listen(QStringLiteral("bare-tray-%1").arg(getpid()));
    QPixmap image(16, 16);
    image.fill(Qt::white);
    QSystemTrayIcon icon{QIcon(image)};
    Popup popup;
    QObject::connect(&icon, &QSystemTrayIcon::activated, [&popup] {
        popup.move(QCursor::pos() + QPoint(-290, 12));
        popup.show();
    });
    icon.show();
    return app.exec();
}
