// Guarded<T>: updates from several threads are neither lost nor seen half done, whether they go
// through an accessor or With; waiting gives the mutex up and holds it again.
#include <sync/guarded.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>
#include <vector>

namespace {

// Two counters that an update always raises together: a reader that sees them differ has seen
// an update half done.
struct Pair {
    long first = 0;
    long second = 0;
};

using std::chrono::steady_clock;

}  // namespace

TEST(GuardedTest, UpdatesFromSeveralThreadsAreWholeAndNoneIsLost) {
    constexpr int kThreads = 4;
    constexpr int kUpdates = 20000;
    Guarded<Pair> pair;
    std::vector<std::thread> threads;
    std::vector<int> torn(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kUpdates; ++i) {
                if (t % 2 == 0) {
                    auto access = pair.Lock();
                    ++access->first;
                    std::this_thread::yield();  // another thread would step in here
                    ++access->second;
                } else {
                    pair.With([](Pair& p) {
                        ++p.first;
                        std::this_thread::yield();
                        ++p.second;
                    });
                }
                bool whole = pair.With([](const Pair& p) { return p.first == p.second; });
                torn[t] += whole ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    auto access = pair.Lock();
    EXPECT_EQ(access->first, long{kThreads} * kUpdates);
    EXPECT_EQ(access->second, long{kThreads} * kUpdates);
    EXPECT_EQ(torn, std::vector<int>(kThreads, 0));
}

TEST(GuardedTest, WaitingLetsAnotherThreadChangeTheValueAndSeesTheChange) {
    Guarded<Pair> pair;
    std::condition_variable changed;
    std::thread producer;
    {
        auto access = pair.Lock();
        // The producer can only take the mutex while the waiter has given it up.
        producer = std::thread([&] {
            pair.With([](Pair& p) { p.first = 7; });
            changed.notify_all();
        });
        bool ready = access.WaitUntil(changed, steady_clock::now() + std::chrono::seconds(30),
                                      [](const Pair& p) { return p.first == 7; });
        EXPECT_TRUE(ready);
        EXPECT_EQ(access->first, 7);
    }
    producer.join();
}

TEST(GuardedTest, WaitingPastTheDeadlineTellsWhetherTheValueIsReadyAndKeepsTheMutex) {
    Guarded<Pair> pair(Pair{1, 1});
    std::condition_variable never;
    auto past = steady_clock::now() - std::chrono::seconds(1);
    auto access = pair.Lock();
    EXPECT_TRUE(access.WaitUntil(never, past, [](const Pair& p) { return p.first == 1; }));
    EXPECT_FALSE(access.WaitUntil(never, past, [](const Pair& p) { return p.first == 2; }));
    // The mutex is held again after the time-out: an accessor that went on without it would
    // unlock a mutex it does not hold when it goes (ThreadSanitizer reports that).
    access->first = 2;
    EXPECT_EQ(access->second, 1);
}
