#include "core/ordered_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace ovik {
namespace {

// Results arrive in index order whatever the number of workers and however
// uneven the work, and never more than the window ahead of the caller.
TEST(OrderedJobs, HandsResultsOverInOrderWithinTheWindow) {
    for (unsigned workers : {0u, 1u, 2u, 7u}) {
        std::atomic<size_t> taken{0};
        std::atomic<size_t> furthestAhead{0};
        std::vector<size_t> order;
        const size_t window = 4;
        const bool ok = RunOrdered<std::string>(
            200, workers, window,
            [&](size_t k) {
                const size_t ahead = k - std::min(k, taken.load());
                size_t seen = furthestAhead.load();
                while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead)) {}
                // Uneven work: some items take far longer than their neighbours.
                volatile size_t spin = 0;
                for (size_t i = 0; i < (k % 7 == 0 ? 200000u : 10u); ++i) spin = spin + i;
                return std::to_string(k);
            },
            [&](size_t k, std::string& r) {
                EXPECT_EQ(r, std::to_string(k));
                order.push_back(k);
                taken = k + 1;
                return true;
            });
        EXPECT_TRUE(ok);
        ASSERT_EQ(order.size(), 200u) << workers;
        for (size_t k = 0; k < order.size(); ++k) EXPECT_EQ(order[k], k);
        EXPECT_LE(furthestAhead.load(), std::max<size_t>(window, workers)) << workers;
    }
}

// The caller stops the run by returning false; a failure while making an
// item reaches the caller as the exception it was, after the items before it.
TEST(OrderedJobs, StopsWhenTheCallerSaysAndPassesFailuresOn) {
    for (unsigned workers : {0u, 2u, 3u}) {
        std::vector<size_t> order;
        EXPECT_FALSE(RunOrdered<size_t>(
            100, workers, 8, [](size_t k) { return k; },
            [&](size_t k, size_t&) {
                order.push_back(k);
                return k < 9;
            }));
        EXPECT_EQ(order.size(), 10u) << workers;

        order.clear();
        EXPECT_THROW(RunOrdered<size_t>(
                         100, workers, 8,
                         [](size_t k) {
                             if (k == 30) throw std::runtime_error("bad item");
                             return k;
                         },
                         [&](size_t k, size_t&) {
                             order.push_back(k);
                             return true;
                         }),
                     std::runtime_error);
        ASSERT_LE(order.size(), 30u) << workers;
        for (size_t k = 0; k < order.size(); ++k) EXPECT_EQ(order[k], k);
    }
}

}  // namespace
}  // namespace ovik
