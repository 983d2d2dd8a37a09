// The SDL backend's timer table on a clock the test steps by hand: no thread, no
// waiting, every tick counted.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <map>

#include "forms/backends/sdl/SdlTimers.h"

using namespace forms;

namespace {

// Each timer comes due every interval of Advance; the ticks posted queue as SDL's would.
class HandClock : public sdl::TimerClock {
public:
    uintptr_t Start(TimerId id, uint32_t intervalMs) override {
        running[id] = {intervalMs, now + intervalMs};
        return id;
    }
    void Stop(uintptr_t handle) override { running.erase(handle); }
    bool Post(TimerId id) override {
        if (queue.size() >= capacity) return false;
        queue.push_back(id);
        return true;
    }
    void Advance(sdl::TimerTable& table, uint32_t ms) {
        for (const uint64_t end = now + ms; now < end;) {
            ++now;
            for (auto& [id, t] : running)
                if (now == t.due) {
                    t.due += t.interval;
                    table.Due(id);
                }
        }
    }

    struct Timer {
        uint32_t interval;
        uint64_t due;
    };
    std::map<uintptr_t, Timer> running;
    std::deque<TimerId> queue;
    size_t capacity = std::numeric_limits<size_t>::max();
    uint64_t now = 0;
};

struct SdlTimers : ::testing::Test {
    HandClock clock;
    sdl::TimerTable table{clock};
    using Queue = std::deque<TimerId>;
};

TEST_F(SdlTimers, ASlowHandlerFindsOneTickWaitingNotABacklog) {
    const TimerId t = table.Start(1);
    clock.Advance(table, 5);
    EXPECT_EQ(clock.queue, Queue{t}) << "five intervals with nobody handling";
    for (int round = 0; round < 3; ++round) {
        clock.queue.pop_front();
        ASSERT_TRUE(table.Arrived(t));
        clock.Advance(table, 15);  // the handler runs for fifteen intervals
        EXPECT_EQ(clock.queue, Queue{t}) << "round " << round;
    }
}

TEST_F(SdlTimers, EachTimerWaitsOnItsOwnAndAStoppedOneTicksNoMore) {
    const TimerId a = table.Start(1);
    const TimerId b = table.Start(4);
    clock.Advance(table, 4);
    EXPECT_EQ(clock.queue, (Queue{a, b}));
    table.Stop(a);
    EXPECT_FALSE(table.Arrived(a)) << "queued before it stopped";
    EXPECT_TRUE(table.Arrived(b));
    clock.queue.clear();
    clock.Advance(table, 8);
    EXPECT_EQ(clock.queue, Queue{b});
}

TEST_F(SdlTimers, ATickTheQueueRefusedComesAtTheNextInterval) {
    clock.capacity = 0;
    const TimerId t = table.Start(2);
    clock.Advance(table, 4);
    EXPECT_TRUE(clock.queue.empty());
    clock.capacity = 1;
    clock.Advance(table, 2);
    EXPECT_EQ(clock.queue, Queue{t});
}

}  // namespace
