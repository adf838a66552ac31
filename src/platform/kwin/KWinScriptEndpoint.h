#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

namespace panemark {

class KWinScriptChannel;

// The object the KWin script calls on the session bus. It lives on the channel's thread; every
// argument is a string, as KWin's scripts pass numbers as doubles in one version and integers
// in another.
class KWinScriptEndpoint : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.panemark.KWinScript")

public:
    explicit KWinScriptEndpoint(KWinScriptChannel& channel);

    // Hands queued requests to open questions; on the endpoint's thread.
    void dispatch();
    // Tells every copy of the script but the expected one to stop asking.
    void stopOtherCopies();

public Q_SLOTS:
    void hello(const QString& token, const QString& json);
    QString next(const QString& token);
    void answer(const QString& token, const QString& serial, const QString& json);
    void screensChanged(const QString& token, const QString& json);
    // The active window and the screens, whenever either changes.
    void state(const QString& token, const QString& json);

private:
    struct OpenQuestion {
        QDBusMessage call;
        QString token;
        qint64 askedAt = 0;
    };

    void answerIdleQuestions();

    KWinScriptChannel& channel_;
    std::vector<OpenQuestion> open_;
    QElapsedTimer clock_;
    QTimer idleTimer_;
};

} // namespace panemark
