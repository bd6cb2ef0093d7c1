// The delete window's search for where objects are used, on a thread of its
// own so that the window shows and answers at once while a large hypertext is
// searched.
//
// The search only reads the set (pages still in the old content format are
// read as they are: ConvertOldPages first). The caller makes sure that nothing writes the
// set while it runs (the delete window is modal) and stops it before anything
// is deleted; after Stop() returns the search touches neither the set nor the
// callbacks again.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::app {

class ReferenceSearch {
public:
    // What the search found for one of the identifiers it was given.
    struct Result {
        size_t index = 0;                // position in the list given to Start
        int32_t id = 0;
        bool defined = false;            // the object exists and is not free
        std::vector<std::string> lines;  // ReferenceLines; empty when not defined
    };
    // Both are called on the search thread: `onResult` once per identifier, in
    // list order, as soon as that object has been searched; `onFinished` once
    // at the end, with whether the search was stopped before its end.
    using ResultFn = std::function<void(Result)>;
    using FinishedFn = std::function<void(bool stopped)>;

    ReferenceSearch() = default;
    ReferenceSearch(const ReferenceSearch&) = delete;
    ReferenceSearch& operator=(const ReferenceSearch&) = delete;
    ~ReferenceSearch() { Stop(); }

    // Stops any previous search, then searches `ids` in `set`.
    void Start(const THQVset& set, std::vector<int32_t> ids, ResultFn onResult, FinishedFn onFinished = {});
    // Asks the search to stop and waits for its thread. Objects not yet
    // searched get no result. Harmless when nothing runs.
    void Stop();
    // Asks the search to stop without waiting: it ends before the next object
    // it would examine.
    void RequestStop() { stop_ = true; }
    // Waits until the search has searched every object (or was stopped).
    void Wait();
    // Whether a thread has been started and not yet waited for.
    bool Started() const { return thread_.joinable(); }

private:
    void Run(const THQVset& set, std::vector<int32_t> ids, ResultFn onResult, FinishedFn onFinished);

    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace ovik::app
