#include "SdlTimers.h"

#include <algorithm>
#include <atomic>

#include <SDL.h>

namespace forms::sdl {

TimerId TimerTable::Start(uint32_t intervalMs) {
    TimerId id = 0;
    {
        std::lock_guard<std::mutex> lock(lock_);
        id = next_++;
        timers_[id] = {};
    }
    // Unlocked: the clock's first call may come before Start returns.
    const uintptr_t handle = clock_.Start(id, intervalMs);
    std::lock_guard<std::mutex> lock(lock_);
    if (handle == 0) {
        timers_.erase(id);
        return 0;
    }
    timers_[id].Handle = handle;
    return id;
}

void TimerTable::Stop(TimerId id) {
    uintptr_t handle = 0;
    {
        std::lock_guard<std::mutex> lock(lock_);
        auto it = timers_.find(id);
        if (it == timers_.end()) return;
        handle = it->second.Handle;
        timers_.erase(it);
    }
    clock_.Stop(handle);
}

bool TimerTable::Due(TimerId id) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    if (!it->second.Waiting && clock_.Post(id)) it->second.Waiting = true;
    return true;
}

bool TimerTable::Arrived(TimerId id) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;  // stopped meanwhile
    it->second.Waiting = false;
    return true;
}

namespace {

class SdlClock : public TimerClock {
public:
    uintptr_t Start(TimerId id, uint32_t intervalMs) override {
        if (!SDL_WasInit(SDL_INIT_TIMER) && SDL_InitSubSystem(SDL_INIT_TIMER) != 0) return 0;
        const SDL_TimerID t = SDL_AddTimer(std::max<uint32_t>(intervalMs, 1), OnSdlTimer, reinterpret_cast<void*>(id));
        return t > 0 ? static_cast<uintptr_t>(t) : 0;
    }
    void Stop(uintptr_t handle) override { SDL_RemoveTimer(static_cast<SDL_TimerID>(handle)); }
    bool Post(TimerId id) override {
        SDL_Event e{};
        e.type = eventType.load();
        e.user.code = kTick;
        e.user.data1 = reinterpret_cast<void*>(id);
        return SDL_PushEvent(&e) == 1;
    }

    std::atomic<uint32_t> eventType{0};

private:
    // SDL hands the callback only the timer: the table is the process's one.
    static Uint32 OnSdlTimer(Uint32 interval, void* param) {
        return SdlTimers().Due(reinterpret_cast<TimerId>(param)) ? interval : 0;
    }
};

SdlClock& Clock() {
    static SdlClock* clock = new SdlClock;
    return *clock;
}

}  // namespace

TimerTable& SdlTimers() {
    static TimerTable* table = new TimerTable(Clock());
    return *table;
}

void PostTicksAs(uint32_t eventType) { Clock().eventType = eventType; }

}  // namespace forms::sdl
