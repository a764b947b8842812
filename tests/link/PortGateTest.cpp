// CPortGate under contention: shared holders, an exclusive request queuing later ones, time-outs.

#include "link/PortGate.h"

#include <gtest/gtest.h>

// std
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(PortGate, SharedHoldersDoNotWaitForEachOther)
{
    CPortGate gate;
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    EXPECT_EQ(gate.State(), 1);
    EXPECT_EQ(gate.SharedCount(), 2);
    gate.Unlock();
    EXPECT_EQ(gate.State(), 1);
    gate.Unlock();
    EXPECT_EQ(gate.State(), 0);
    EXPECT_EQ(gate.SharedCount(), 0);
}

TEST(PortGate, ExclusiveTimesOutWhileHeldAndLeavesTheGateAsItWas)
{
    CPortGate gate;
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    EXPECT_FALSE(gate.Lock(CPortGate::Exclusive, 30));
    EXPECT_EQ(gate.State(), 1);
    // The failed request gave the entry back: another shared request passes.
    EXPECT_TRUE(gate.Lock(CPortGate::Shared, 0));
    gate.Unlock();
    gate.Unlock();
    EXPECT_TRUE(gate.Lock(CPortGate::Exclusive, 0));
    EXPECT_EQ(gate.State(), 2);
    EXPECT_FALSE(gate.Lock(CPortGate::Shared, 30));
    EXPECT_FALSE(gate.Lock(CPortGate::Exclusive, 30));
    gate.Unlock();
    EXPECT_EQ(gate.State(), 0);
}

TEST(PortGate, ExclusiveWaitsForTheLastHolder)
{
    CPortGate gate;
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    auto exclusive =
        std::async(std::launch::async, [&] { return gate.Lock(CPortGate::Exclusive, 5000); });
    EXPECT_EQ(exclusive.wait_for(50ms), std::future_status::timeout);
    gate.Unlock();
    EXPECT_EQ(exclusive.wait_for(50ms), std::future_status::timeout);
    gate.Unlock();
    ASSERT_TRUE(exclusive.get());
    EXPECT_EQ(gate.State(), 2);
    gate.Unlock();
}

TEST(PortGate, LaterRequestsQueueBehindAWaitingExclusive)
{
    CPortGate gate;
    ASSERT_TRUE(gate.Lock(CPortGate::Shared, 0));
    auto exclusive =
        std::async(std::launch::async, [&] { return gate.Lock(CPortGate::Exclusive, 5000); });
    std::this_thread::sleep_for(50ms);
    // The gate is only shared, yet a new shared request waits behind the exclusive one.
    EXPECT_FALSE(gate.Lock(CPortGate::Shared, 50));
    auto shared =
        std::async(std::launch::async, [&] { return gate.Lock(CPortGate::Shared, 5000); });
    std::this_thread::sleep_for(20ms);
    gate.Unlock(); // last holder leaves: the exclusive request is granted first
    ASSERT_TRUE(exclusive.get());
    EXPECT_EQ(shared.wait_for(50ms), std::future_status::timeout);
    EXPECT_EQ(gate.State(), 2);
    gate.Unlock();
    ASSERT_TRUE(shared.get());
    EXPECT_EQ(gate.State(), 1);
    gate.Unlock();
    EXPECT_EQ(gate.State(), 0);
}

TEST(PortGate, ManySharedHoldersAcrossThreadsBalance)
{
    CPortGate gate;
    std::atomic<int> inside{0};
    std::atomic<bool> exclusiveSawOthers{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const bool exclusive = (i + t) % 10 == 0;
                if (!gate.Lock(exclusive ? CPortGate::Exclusive : CPortGate::Shared, 5000))
                    continue;
                const int now = ++inside;
                if (exclusive && now != 1)
                    exclusiveSawOthers = true;
                --inside;
                gate.Unlock();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_FALSE(exclusiveSawOthers.load());
    EXPECT_EQ(gate.State(), 0);
    EXPECT_EQ(gate.SharedCount(), 0);
}

TEST(PortGate, CancelWaitsEndsAWaitingRequest)
{
    CPortGate gate;
    ASSERT_TRUE(gate.Lock(CPortGate::Exclusive, 0));
    auto waiting =
        std::async(std::launch::async, [&] { return gate.Lock(CPortGate::Shared, 60000); });
    std::this_thread::sleep_for(20ms);
    gate.CancelWaits();
    ASSERT_EQ(waiting.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
    gate.ResumeWaits();
    gate.Unlock();
    EXPECT_TRUE(gate.Lock(CPortGate::Shared, 0));
}

} // namespace
