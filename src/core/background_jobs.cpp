#include "core/background_jobs.h"

namespace ovik {

BackgroundJobs::BackgroundJobs(size_t maxQueued) : max_(maxQueued ? maxQueued : 1) {
    worker_ = std::thread([this] { Work(); });
}

BackgroundJobs::~BackgroundJobs() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool BackgroundJobs::Submit(Job job) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < max_ || !error_.empty(); });
    if (!error_.empty()) return false;
    queue_.push_back(std::move(job));
    changed_.notify_all();
    return true;
}

std::string BackgroundJobs::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && !running_; });
    return error_;
}

void BackgroundJobs::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        // Jobs still queued when the owner goes are run first: they are
        // files the owner was told were accepted.
        if (queue_.empty()) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        std::string error = job ? job() : std::string();
        lock.lock();
        running_ = false;
        if (!error.empty() && error_.empty()) {
            error_ = std::move(error);
            queue_.clear();
        }
        changed_.notify_all();
    }
}

}  // namespace ovik
