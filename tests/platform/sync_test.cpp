// Address wait returns and one-time initialisation under real contention (the lock under contention
// is left to the trace writers of tests/diag/trace_test.cpp, lost wakes to the queue stress runs of
// tests/rjq/queue_test.cpp).
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/address_wait.h"
#include "platform/once.h"

namespace mora::platform {
namespace {

TEST(AddressWait, ReturnsAtOnceWhenTheWordDiffersAndTimesOutWhileItKeepsItsValue) {
    std::atomic<std::uint32_t> word{5};
    EXPECT_TRUE(WaitOnAddress(word, 4, 0xFFFFFFFFu));
    EXPECT_FALSE(WaitOnAddress(word, 5, 5));
    EXPECT_FALSE(WaitOnAddress(word, 5, 0));
}

TEST(Once, RunsExactlyOnceAcrossRacingThreads) {
    OnceFlag flag;
    std::atomic<int> runs{0};
    std::atomic<int> sawDone{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            CallOnce(flag, [&] {
                std::this_thread::yield();
                runs.fetch_add(1);
            });
            if (runs.load() == 1) sawDone.fetch_add(1);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(sawDone.load(), 8);  // nobody returned before the function finished
    EXPECT_TRUE(OnceDone(flag));
}

TEST(Once, AFunctionThatThrowsLeavesTheFlagUnusedForTheNextCaller) {
    OnceFlag flag;
    EXPECT_THROW(CallOnce(flag, [] { throw std::runtime_error("first try fails"); }), std::runtime_error);
    EXPECT_FALSE(OnceDone(flag));
    int runs = 0;
    CallOnce(flag, [&] { ++runs; });
    CallOnce(flag, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace mora::platform
