#include "base/ManualScheduler.h"

#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

double sanitizedDelay(double seconds) {
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

} // namespace

TimerHandle ManualScheduler::post(Task task) {
    return schedule(0, 0, std::move(task));
}

TimerHandle ManualScheduler::after(double seconds, Task task) {
    return schedule(sanitizedDelay(seconds), 0, std::move(task));
}

TimerHandle ManualScheduler::every(double seconds, Task task) {
    const double interval = std::max(sanitizedDelay(seconds), minimumInterval);
    return schedule(interval, interval, std::move(task));
}

TimerHandle ManualScheduler::schedule(double delay, double interval, Task task) {
    auto entry =
        std::make_shared<Entry>(Entry{now_ + delay, nextSequence_++, interval, std::move(task)});
    entries_.push_back(entry);
    std::weak_ptr<Entry> weakEntry = entry;
    return TimerHandle([weakEntry] {
        if (auto entry = weakEntry.lock()) {
            entry->cancelled = true;
        }
    });
}

std::shared_ptr<ManualScheduler::Entry> ManualScheduler::takeNextDue(double limit) {
    std::erase_if(entries_, [](const auto& entry) { return entry->cancelled; });
    auto earliest =
        std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
            return a->due != b->due ? a->due < b->due : a->sequence < b->sequence;
        });
    if (earliest == entries_.end() || (*earliest)->due > limit) {
        return nullptr;
    }
    std::shared_ptr<Entry> entry = *earliest;
    if (entry->interval > 0) {
        entry->due += entry->interval;
        entry->sequence = nextSequence_++;
    } else {
        entries_.erase(earliest);
        entry->cancelled = true; // fired: a later cancel has nothing to do
    }
    return entry;
}

void ManualScheduler::advance(double seconds) {
    const double target = now_ + sanitizedDelay(seconds);
    while (auto entry = takeNextDue(target)) {
        now_ = std::max(now_, entry->due - (entry->interval > 0 ? entry->interval : 0));
        Task task = entry->task; // the task may cancel its own timer
        task();
    }
    now_ = target;
}

void ManualScheduler::jump(double seconds) {
    now_ += sanitizedDelay(seconds);
    for (const auto& entry : entries_) {
        if (entry->interval > 0 && entry->due < now_) {
            entry->due = now_; // due once, now
        }
    }
    runDue();
}

std::size_t ManualScheduler::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](const auto& entry) { return !entry->cancelled; }));
}

std::optional<double> ManualScheduler::nextDueTime() const {
    std::optional<double> next;
    for (const auto& entry : entries_) {
        if (!entry->cancelled && (!next || entry->due < *next)) {
            next = entry->due;
        }
    }
    return next;
}

} // namespace panemark
