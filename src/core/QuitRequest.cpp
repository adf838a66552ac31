#include "core/QuitRequest.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace panemark {

namespace {

bool pending = false;

} // namespace

void QuitRequest::post() {
    pending = true;
    // Queued: whatever asked (a click, a request being answered) finishes first.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

bool QuitRequest::isPending() {
    return pending;
}

} // namespace panemark
