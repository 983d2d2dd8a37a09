#pragma once
// The SDL backend's timers. A clock calls Due from a thread of its own each interval;
// the tick it posts runs on the user-interface thread. At most one tick per timer
// waits in the queue: a handler slower than its interval gets the next tick when it
// is done, not a backlog.
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "forms/core/Backend.h"

namespace forms::sdl {

// What drives the timers: SDL's timer thread and event queue for the backend, the
// test's hand in tests.
class TimerClock {
public:
    virtual ~TimerClock() = default;
    // Calls its table's Due(id) every intervalMs until Due answers false or Stop is
    // called; the handle for Stop, 0 when the clock has no timer left.
    virtual uintptr_t Start(TimerId id, uint32_t intervalMs) = 0;
    virtual void Stop(uintptr_t handle) = 0;
    // Queues a tick of the timer for the user-interface thread; false when the queue
    // refused it.
    virtual bool Post(TimerId id) = 0;
};

class TimerTable {
public:
    explicit TimerTable(TimerClock& clock) : clock_(clock) {}
    TimerTable(const TimerTable&) = delete;
    TimerTable& operator=(const TimerTable&) = delete;

    // 0 when the clock has no timer left.
    TimerId Start(uint32_t intervalMs);
    // A tick already queued is dropped when it arrives.
    void Stop(TimerId id);
    // The clock's call, from any thread: posts the timer's tick unless one waits
    // already. False once the timer is stopped.
    bool Due(TimerId id);
    // A posted tick reaches the user-interface thread: true when its handler is to run.
    // From here on the next tick may be posted, while the handler still runs.
    bool Arrived(TimerId id);

private:
    struct Entry {
        uintptr_t Handle = 0;
        bool Waiting = false;
    };
    TimerClock& clock_;
    std::mutex lock_;
    std::unordered_map<TimerId, Entry> timers_;
    TimerId next_ = 1;
};

// The process's timers, on SDL's timer thread, which lives as long as SDL does: the
// table is never destroyed. Their ticks are events of the type given here (the
// backend's own), with code kTick and the timer in data1.
constexpr int32_t kTick = 1;
TimerTable& SdlTimers();
void PostTicksAs(uint32_t eventType);

}  // namespace forms::sdl
