// One worker thread that runs jobs in the order they were handed over, so
// that slow work (writing thousands of files, rewriting their text) overlaps
// with the work that produces them. The queue is bounded: a producer faster
// than the worker waits instead of holding every job in memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ovik {

class BackgroundJobs {
public:
    // A job returns an error text; empty means it succeeded.
    using Job = std::function<std::string()>;

    explicit BackgroundJobs(size_t maxQueued = 32);
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // Queues a job. False once a job has failed: the jobs after it are
    // dropped and the producer should stop.
    bool Submit(Job job);
    // Waits until every queued job has run (or was dropped after a failure)
    // and returns the first error; the worker stays ready for more jobs.
    std::string Wait();

private:
    void Work();

    const size_t max_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    bool running_ = false;  // a job is being run
    bool stop_ = false;
    std::string error_;
    std::thread worker_;
};

}  // namespace ovik
