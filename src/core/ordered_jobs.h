// Makes results on worker threads and hands them over in index order on the
// calling thread. The work of each index runs in parallel; whatever depends
// on the order (names given out in turn, files written, progress) stays on
// the caller. At most `window` results wait ahead of the caller, so memory
// stays bounded however many indexes there are.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ovik {

// Worker threads worth starting for `n` items on this machine (0: do it all
// on the calling thread).
inline unsigned OrderedWorkers(size_t n) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    if (n < 2 || cores < 2) return 0;
    return unsigned(std::min<size_t>(cores, n));
}

// Calls make(k) for k in [0, n) on `workers` threads and take(k, result) on
// the calling thread for k = 0, 1, ... in order. Stops early when take
// returns false (the result is false) or make throws (the exception is
// thrown again here, after every worker has stopped).
template <class Result, class Make, class Take>
bool RunOrdered(size_t n, unsigned workers, size_t window, Make make, Take take) {
    if (workers == 0 || n < 2) {
        for (size_t k = 0; k < n; ++k) {
            Result r = make(k);
            if (!take(k, r)) return false;
        }
        return true;
    }
    window = std::max<size_t>(window, workers);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<Result>> slots(window);
    size_t next = 0;      // the next index to make
    size_t consumed = 0;  // every index below this has been taken
    bool stop = false;
    std::exception_ptr failure;
    auto work = [&] {
        for (;;) {
            size_t k;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= n || next < consumed + window; });
                if (stop || next >= n) return;
                k = next++;
            }
            std::optional<Result> r;
            try {
                r.emplace(make(k));
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!failure) failure = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            {
                std::lock_guard lock(mutex);
                slots[k % window] = std::move(r);
            }
            changed.notify_all();
        }
    };
    bool ok = true;
    {
        std::vector<std::thread> pool;
        pool.reserve(workers);
        // However the caller's loop ends (false, a failed item, or an
        // exception from take), the workers are told to stop and joined
        // before this scope is left.
        struct Join {
            std::vector<std::thread>& pool;
            std::mutex& mutex;
            std::condition_variable& changed;
            bool& stop;
            ~Join() {
                {
                    std::lock_guard lock(mutex);
                    stop = true;
                }
                changed.notify_all();
                for (std::thread& t : pool) t.join();
            }
        } join{pool, mutex, changed, stop};
        for (unsigned w = 0; w < workers; ++w) pool.emplace_back(work);
        for (size_t k = 0; k < n && ok; ++k) {
            std::optional<Result> r;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return slots[k % window].has_value() || stop; });
                if (!slots[k % window]) break;  // a worker failed before making this one
                r = std::move(slots[k % window]);
                slots[k % window].reset();
                consumed = k + 1;
            }
            changed.notify_all();
            ok = take(k, *r);
        }
    }
    if (failure) std::rethrow_exception(failure);
    return ok;
}

}  // namespace ovik
