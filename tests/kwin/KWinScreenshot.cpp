// Saves a picture of KWin's whole workspace as PNG, through KWin's screenshot service, which
// answers only programs a desktop file names with X-KDE-DBUS-Restricted-Interfaces.
//   kwin-screenshot FILE.png
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QImage>
#include <QVariantMap>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kwin-screenshot FILE.png\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    int ends[2];
    if (::pipe(ends) != 0) {
        return 1;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall("org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                       "org.kde.KWin.ScreenShot2", "CaptureWorkspace");
    message << QVariantMap{} << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    ::close(ends[1]);
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message, 10000);
    // KWin writes the picture while the call is under way, and this process keeps a copy of the
    // pipe's writing end as long as the call: the picture is read until the answer has come and
    // says how large it is, not until the pipe's end.
    QByteArray pixels;
    QElapsedTimer clock;
    clock.start();
    qsizetype wanted = -1;
    QVariantMap results;
    while (clock.elapsed() < 10000 && (wanted < 0 || pixels.size() < wanted)) {
        pollfd readable{ends[0], POLLIN, 0};
        if (::poll(&readable, 1, 20) > 0) {
            char buffer[65536];
            const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            pixels.append(buffer, got);
        }
        QCoreApplication::processEvents();
        if (wanted < 0 && pending.isFinished()) {
            const QDBusMessage reply = pending.reply();
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                std::fprintf(stderr, "kwin-screenshot: %s\n", qPrintable(reply.errorMessage()));
                return 1;
            }
            results = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
            wanted = static_cast<qsizetype>(results.value("stride").toInt()) *
                     results.value("height").toInt();
        }
    }
    ::close(ends[0]);
    const int width = results.value("width").toInt();
    const int height = results.value("height").toInt();
    const int stride = results.value("stride").toInt();
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<qsizetype>(stride) * height) {
        std::fprintf(stderr, "kwin-screenshot: KWin sent no whole picture\n");
        return 1;
    }
    const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), width, height, stride,
                       static_cast<QImage::Format>(results.value("format").toInt()));
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
