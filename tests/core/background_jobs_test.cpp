#include "core/background_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace ovik {
namespace {

TEST(BackgroundJobs, RunsJobsInOrderAndWaitsForThem) {
    std::vector<int> done;  // touched by the worker only until Wait returns
    BackgroundJobs jobs(2);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(jobs.Submit([&done, i] {
            done.push_back(i);
            return std::string();
        }));
    EXPECT_EQ(jobs.Wait(), "");
    ASSERT_EQ(done.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(done[size_t(i)], i);
    // The worker takes more jobs after a wait.
    ASSERT_TRUE(jobs.Submit([&done] {
        done.push_back(100);
        return std::string();
    }));
    EXPECT_EQ(jobs.Wait(), "");
    EXPECT_EQ(done.size(), 101u);
}

TEST(BackgroundJobs, AFailureDropsTheJobsAfterItAndRefusesMore) {
    std::atomic<int> ran{0};
    std::atomic<bool> release{false};
    BackgroundJobs jobs(8);
    // The first job holds the worker so that the others are still queued when it fails.
    ASSERT_TRUE(jobs.Submit([&] {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++ran;
        return std::string("disco pieno");
    }));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(jobs.Submit([&] {
            ++ran;
            return std::string();
        }));
    release = true;
    EXPECT_EQ(jobs.Wait(), "disco pieno");
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(jobs.Submit([&] {
        ++ran;
        return std::string();
    }));
    EXPECT_EQ(jobs.Wait(), "disco pieno");
    EXPECT_EQ(ran, 1);
}

TEST(BackgroundJobs, QueuedJobsRunBeforeTheWorkerGoes) {
    std::atomic<int> ran{0};
    {
        BackgroundJobs jobs(4);
        for (int i = 0; i < 20; ++i)
            jobs.Submit([&] {
                ++ran;
                return std::string();
            });
    }
    EXPECT_EQ(ran, 20);
}

}  // namespace
}  // namespace ovik
