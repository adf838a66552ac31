#include "base/QtScheduler.h"

#include "base/Guard.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace panemark {

namespace {

int toMilliseconds(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) {
        return 0;
    }
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
}

std::atomic<std::size_t> timersAlive = 0;

void dispose(QTimer* timer) {
    timer->stop();
    timer->deleteLater(); // it may be the sender of the signal being delivered right now
}

} // namespace

QtScheduler::QtScheduler() {
    clock_.start();
}

double QtScheduler::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

TimerHandle QtScheduler::post(Task task) {
    return start(0, false, std::move(task));
}

TimerHandle QtScheduler::after(double seconds, Task task) {
    return start(seconds, false, std::move(task));
}

TimerHandle QtScheduler::every(double seconds, Task task) {
    return start(std::max(seconds, minimumInterval), true, std::move(task));
}

std::size_t QtScheduler::liveTimers() {
    return timersAlive.load();
}

TimerHandle QtScheduler::start(double seconds, bool repeating, Task task) {
    auto* timer = new QTimer();
    ++timersAlive;
    QObject::connect(timer, &QObject::destroyed, [] { --timersAlive; });
    timer->setSingleShot(!repeating);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(std::max(toMilliseconds(seconds), repeating ? 1 : 0));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, repeating, task = std::move(task)] {
        if (!repeating) {
            dispose(timer);
        }
        Guard::run("a task on the main loop", task);
    });
    timer->start();
    QPointer<QTimer> guarded(timer);
    return TimerHandle([guarded] {
        if (guarded) {
            dispose(guarded.data());
        }
    });
}

} // namespace panemark
