#include "base/ThreadScheduler.h"

#include "base/Guard.h"

#include <algorithm>
#include <cmath>
#include <pthread.h>

namespace panemark {

namespace {

std::chrono::steady_clock::duration toDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) {
        return {};
    }
    // A year is as good as forever here, and keeps the arithmetic far from overflow.
    seconds = std::min(seconds, 365.0 * 24 * 3600);
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(seconds));
}

} // namespace

ThreadScheduler::ThreadScheduler(std::string name, int threadCount) {
    for (int i = 0; i < std::max(threadCount, 1); ++i) {
        threads_.emplace_back([this] { work(); });
        // Thread names show in debuggers and top; the kernel keeps 15 characters.
        pthread_setname_np(threads_.back().native_handle(), name.substr(0, 15).c_str());
    }
}

ThreadScheduler::~ThreadScheduler() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->entries.clear();
    }
    state_->wake.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

double ThreadScheduler::now() const {
    return std::chrono::duration<double>(Clock::now() - epoch_).count();
}

TimerHandle ThreadScheduler::post(Task task) {
    return schedule(0, 0, std::move(task));
}

TimerHandle ThreadScheduler::after(double seconds, Task task) {
    return schedule(seconds, 0, std::move(task));
}

TimerHandle ThreadScheduler::every(double seconds, Task task) {
    const double interval =
        std::isfinite(seconds) ? std::max(seconds, minimumInterval) : minimumInterval;
    return schedule(interval, interval, std::move(task));
}

bool ThreadScheduler::isCurrentThread() const {
    const auto id = std::this_thread::get_id();
    return std::any_of(threads_.begin(), threads_.end(),
                       [id](const std::thread& t) { return t.get_id() == id; });
}

TimerHandle ThreadScheduler::schedule(double delay, double interval, Task task) {
    auto entry = std::make_shared<Entry>();
    entry->due = Clock::now() + toDuration(delay);
    entry->interval = toDuration(interval);
    entry->task = std::move(task);
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopping) {
            return {};
        }
        entry->sequence = state_->nextSequence++;
        state_->entries.push_back(entry);
    }
    state_->wake.notify_one();
    std::weak_ptr<State> weakState = state_;
    std::weak_ptr<Entry> weakEntry = entry;
    return TimerHandle([weakState, weakEntry] {
        auto state = weakState.lock();
        auto entry = weakEntry.lock();
        if (state && entry) {
            std::lock_guard lock(state->mutex);
            entry->cancelled = true;
        }
    });
}

std::shared_ptr<ThreadScheduler::Entry>
ThreadScheduler::takeNextDue(std::unique_lock<std::mutex>& lock) {
    State& state = *state_;
    while (!state.stopping) {
        std::erase_if(state.entries, [](const auto& entry) { return entry->cancelled; });
        auto earliest = std::min_element(
            state.entries.begin(), state.entries.end(), [](const auto& a, const auto& b) {
                return a->due != b->due ? a->due < b->due : a->sequence < b->sequence;
            });
        if (earliest == state.entries.end()) {
            state.wake.wait(lock);
            continue;
        }
        const auto now = Clock::now();
        if ((*earliest)->due > now) {
            // A copy: the wait reads its deadline again after waking, when the entry may be
            // gone (cancelled, or cleared by the destructor).
            const Clock::time_point due = (*earliest)->due;
            state.wake.wait_until(lock, due);
            continue;
        }
        std::shared_ptr<Entry> entry = *earliest;
        if (entry->interval > Clock::duration::zero()) {
            // A repeating timer that fell behind skips the ticks it missed instead of bursting.
            entry->due = std::max(entry->due + entry->interval, now);
            entry->sequence = state.nextSequence++;
        } else {
            state.entries.erase(earliest);
            entry->cancelled = true;
        }
        return entry;
    }
    return nullptr;
}

void ThreadScheduler::work() {
    std::unique_lock lock(state_->mutex);
    while (auto entry = takeNextDue(lock)) {
        Task task = entry->task;
        lock.unlock();
        Guard::run("a task on a worker thread", task);
        task = nullptr; // release captures outside the lock
        lock.lock();
    }
}

} // namespace panemark
