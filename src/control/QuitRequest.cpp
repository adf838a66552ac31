#include "control/QuitRequest.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace panemark {

namespace {

bool pending = false;
std::function<void()> waitListener;

} // namespace

void QuitRequest::post() {
    pending = true;
    // Queued: whatever asked (a click, a request being answered) finishes first.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
    if (waitListener) {
        waitListener();
    }
}

void QuitRequest::setWaitListener(std::function<void()> listener) {
    waitListener = std::move(listener);
}

bool QuitRequest::isPending() {
    return pending;
}

} // namespace panemark
