#pragma once

#include "base/Scheduler.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace panemark {

// A scheduler with worker threads of its own: with one thread it is a serial queue (tasks run
// one at a time, in order of due time); with more it is a small concurrent pool. Handles may be
// cancelled from any thread. Destruction drops what has not started, lets running tasks finish
// and joins the threads.
class ThreadScheduler : public Scheduler {
public:
    explicit ThreadScheduler(std::string name, int threadCount = 1);
    ~ThreadScheduler() override;
    ThreadScheduler(const ThreadScheduler&) = delete;
    ThreadScheduler& operator=(const ThreadScheduler&) = delete;

    double now() const override;
    TimerHandle post(Task task) override;
    TimerHandle after(double seconds, Task task) override;
    TimerHandle every(double seconds, Task task) override;

    // True on one of this scheduler's own threads.
    bool isCurrentThread() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        Clock::time_point due;
        std::uint64_t sequence;
        Clock::duration interval; // zero for a one-shot
        Task task;
        bool cancelled = false;
    };
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::vector<std::shared_ptr<Entry>> entries;
        std::uint64_t nextSequence = 0;
        bool stopping = false;
    };

    TimerHandle schedule(double delay, double interval, Task task);
    void work();
    std::shared_ptr<Entry> takeNextDue(std::unique_lock<std::mutex>& lock);

    std::shared_ptr<State> state_ = std::make_shared<State>();
    Clock::time_point epoch_ = Clock::now();
    std::vector<std::thread> threads_;
};

} // namespace panemark
