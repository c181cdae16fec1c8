// Background work: the owner takes the result once it is there and is told so; a job
// dropped while its thread works tells nobody and leaves the thread to end alone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/background_job.h"

namespace {

// Holds the work until released, so a test decides when it ends.
struct Gate {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    void Open() {
        std::lock_guard<std::mutex> hold(lock);
        open = true;
        opened.notify_all();
    }
    void Pass() {
        std::unique_lock<std::mutex> hold(lock);
        opened.wait(hold, [this] { return open; });
    }
};

TEST(BackgroundJob, TheResultIsTakenOnceItIsThereAndItsEndIsToldOnce) {
    Gate gate;
    std::atomic<int> told{0};
    BackgroundJob<std::string> job([&] { gate.Pass(); return std::string("720,000 triangles"); }, [&] { ++told; });
    EXPECT_FALSE(job.finished());
    gate.Open();
    job.wait();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(job.take(), "720,000 triangles");
    EXPECT_EQ(told, 1);
}

TEST(BackgroundJob, AJobDroppedWhileItWorksTellsNobodyAndItsThreadEndsAlone) {
    auto gate = std::make_shared<Gate>();
    auto told = std::make_shared<std::atomic<int>>(0);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    {
        BackgroundJob<int> job([gate, ended] { gate->Pass(); *ended = true; return 1; }, [told] { ++*told; });
    }
    EXPECT_TRUE(AnyBackgroundJobAbandoned());
    gate->Open();
    for (int i = 0; i < 500 && !*ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(*ended);
    EXPECT_EQ(*told, 0) << "a dropped job's end reaches nobody";
}

}  // namespace
