#include "app/reference_search.h"

#include "app/references.h"

namespace ovik::app {

void ReferenceSearch::Start(const THQVset& set, std::vector<int32_t> ids, ResultFn onResult,
                            FinishedFn onFinished) {
    Stop();
    stop_ = false;
    thread_ = std::thread(&ReferenceSearch::Run, this, std::cref(set), std::move(ids), std::move(onResult),
                          std::move(onFinished));
}

void ReferenceSearch::Stop() {
    RequestStop();
    Wait();
}

void ReferenceSearch::Wait() {
    // A callback that stops its own search cannot wait for itself.
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void ReferenceSearch::Run(const THQVset& set, std::vector<int32_t> ids, ResultFn onResult,
                          FinishedFn onFinished) {
    auto stopRequested = [this] { return stop_.load(std::memory_order_relaxed); };
    bool stopped = false;
    try {
        for (size_t i = 0; i < ids.size(); ++i) {
            if (stopRequested()) {
                stopped = true;
                break;
            }
            Result r;
            r.index = i;
            r.id = ids[i];
            try {
                const THQVoggetto* o = set.GetObjectById(ids[i]);
                if (o && !o->IsFree()) {
                    r.lines = ReferenceLines(set, ids[i], stopRequested);
                    // A search cut short says nothing true about the object.
                    if (stopRequested()) {
                        stopped = true;
                        break;
                    }
                    r.defined = true;
                }
            } catch (...) {
                // An object that cannot be examined is left out.
                continue;
            }
            if (onResult) onResult(std::move(r));
        }
    } catch (...) {
        // A failure outside one object's search ends the search.
        stopped = true;
    }
    if (onFinished) onFinished(stopped);
}

}  // namespace ovik::app
