// Presses keys in GNOME Shell through mutter's remote-desktop service, as a remote-desktop
// program does: the shell sees the evdev key codes a keyboard sends.
//   remote-keyboard KEYCODE [MODIFIER...] | --lines     (see KeyPresses.h)
#include "../support/KeyPresses.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <cstdio>

namespace {

constexpr const char* service = "org.gnome.Mutter.RemoteDesktop";

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: remote-keyboard KEYCODE [ctrl|alt|logo|shift]... | --lines\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    const QDBusMessage created =
        call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession");
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) {
        std::fprintf(stderr, "remote-keyboard: no remote-desktop session: %s\n",
                     qPrintable(created.errorMessage()));
        return 1;
    }
    const QString session = created.arguments().constFirst().value<QDBusObjectPath>().path();
    const QString sessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
    if (call(session, sessionInterface, "Start").type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "remote-keyboard: the session does not start\n");
        return 1;
    }
    panemark::KeyPresses::run(argc, argv, [&](std::uint32_t code, bool down) {
        call(session, sessionInterface, "NotifyKeyboardKeycode", {code, down});
    });
    call(session, sessionInterface, "Stop");
    return 0;
}
