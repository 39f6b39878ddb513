// Kernel timers: the timer list, firing of due timers and re-arming of the
// one shared timeout. Time is a monotonic 64-bit millisecond count, so due
// times never wrap. Records are addressed by serial number while timers fire,
// so callbacks may start and stop any timer, their own included.
#include "xkv/timer/Timer.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace {

struct TimerRecord {
    uint32_t id = 0;
    uint32_t interval = 0;
    uint64_t due = 0;
    uint32_t repeat = 0;
    uint32_t restart = 0;
    TimerProc callback = nullptr;
    uint32_t argument = 0;
    bool running = false;
    bool deletePending = false;
    uint64_t serial = 0;      // names the record while timers fire
    uint64_t generation = 0;  // changes whenever Timer_Start resets it
};

uint64_t MonotonicNowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uintptr_t ArmNothing(uint32_t)
{
    return 0;
}

void DisarmNothing(uintptr_t) {}

const TimerBackend kDefaultBackend = {MonotonicNowMs, ArmNothing, DisarmNothing};

struct TimerModule {
    bool initialized = false;
    std::vector<std::unique_ptr<TimerRecord>> timers;
    uint32_t busy = 0;
    uintptr_t armedTimeout = 0;
    uint64_t nextSerial = 1;
    uint64_t nextGeneration = 1;
    const TimerBackend* backend = &kDefaultBackend;
    const TimerEventSink* sink = nullptr;
};

TimerModule& Module()
{
    static TimerModule module;
    return module;
}

// The live (not stopped) timer with this id.
TimerRecord* FindLive(uint32_t id)
{
    for (auto& record : Module().timers) {
        if (record->id == id && !record->deletePending) {
            return record.get();
        }
    }
    return nullptr;
}

TimerRecord* FindBySerial(uint64_t serial)
{
    for (auto& record : Module().timers) {
        if (record->serial == serial) {
            return record.get();
        }
    }
    return nullptr;
}

void EraseDeleted()
{
    auto& timers = Module().timers;
    std::erase_if(timers, [](const auto& record) { return record->deletePending && !record->running; });
}

void Rearm(uint64_t now)
{
    TimerModule& module = Module();
    bool any = false;
    uint64_t delay = kTimerMaxDelayMs;
    for (const auto& record : module.timers) {
        if (record->deletePending) {
            continue;
        }
        any = true;
        if (record->due > now && record->due - now < delay) {
            delay = record->due - now;
        }
    }
    if (!any) {
        return;
    }
    if (module.armedTimeout != 0) {
        module.backend->disarm(module.armedTimeout);
        module.armedTimeout = 0;
    }
    module.armedTimeout = module.backend->arm(static_cast<uint32_t>(delay));
}

void PostTimerEvent(uint32_t id)
{
    const TimerEventSink* sink = Module().sink;
    if (sink != nullptr && sink->postTimerEvent != nullptr) {
        sink->postTimerEvent(id);  // an event that cannot be made is simply not posted
    }
}

void FireOne(uint64_t serial, uint64_t now)
{
    TimerModule& module = Module();
    if (module.busy != 0) {
        return;
    }
    TimerRecord* record = FindBySerial(serial);
    if (record == nullptr || record->deletePending) {
        return;
    }
    record->running = true;
    const uint64_t generation = record->generation;
    if (record->due <= now) {
        if (record->callback != nullptr) {
            Timer_BusyEnter();
            record->callback(record->id, record->argument);
            Timer_BusyLeave();
        } else {
            PostTimerEvent(record->id);
        }
        // The callback may have stopped or restarted this timer; what it did stands.
        if (!record->deletePending && record->generation == generation) {
            if (record->repeat != 0) {
                record->due = now + record->interval;
            } else {
                record->deletePending = true;
            }
        }
    }
    if (record->restart != 0 && !record->deletePending && record->generation == generation) {
        record->due = now + record->interval;
    }
    record->running = false;
    if (record->deletePending) {
        EraseDeleted();
    }
}

}  // namespace

KernelStatus Timer_Initialize()
{
    TimerModule& module = Module();
    if (!module.initialized) {
        module.timers.reserve(12);
        module.initialized = true;
    }
    return 0;
}

KernelStatus Timer_Start(uint32_t id, uint32_t intervalMs, uint32_t repeat, uint32_t restart, TimerProc callback,
                         uint32_t argument)
{
    TimerModule& module = Module();
    if (!module.initialized) {
        return kTimerNotInitialized;
    }
    TimerRecord* record = FindLive(id);
    if (record == nullptr) {
        auto fresh = std::make_unique<TimerRecord>();
        fresh->serial = module.nextSerial++;
        record = fresh.get();
        module.timers.push_back(std::move(fresh));
    }
    const uint64_t now = module.backend->nowMs();
    record->id = id;
    record->interval = intervalMs;
    record->due = now + intervalMs;
    record->repeat = repeat;
    record->restart = restart;
    record->callback = callback;
    record->argument = argument;
    record->deletePending = false;
    record->generation = module.nextGeneration++;
    Rearm(now);
    return 0;
}

KernelStatus Timer_Stop(uint32_t id)
{
    TimerModule& module = Module();
    for (auto& record : module.timers) {
        if (record->id == id) {
            record->deletePending = true;
        }
    }
    EraseDeleted();
    Rearm(module.backend->nowMs());
    return 0;
}

void Timer_SetInterval(uint32_t id, uint32_t intervalMs)
{
    for (auto& record : Module().timers) {
        if (record->id == id && !record->deletePending) {
            record->interval = intervalMs;
        }
    }
}

void Timer_RunDue()
{
    TimerModule& module = Module();
    const uint64_t now = module.backend->nowMs();
    std::vector<uint64_t> serials;
    serials.reserve(module.timers.size());
    for (const auto& record : module.timers) {
        serials.push_back(record->serial);
    }
    for (uint64_t serial : serials) {
        FireOne(serial, now);
    }
    Rearm(now);
}

void Timer_BusyEnter()
{
    ++Module().busy;
}

void Timer_BusyLeave()
{
    TimerModule& module = Module();
    if (module.busy > 0) {
        --module.busy;
    }
}

uint32_t Timer_IsIdle()
{
    return Module().busy == 0 ? 1 : 0;
}

uint64_t Timer_NowMs()
{
    return Module().backend->nowMs();
}

void Timer_SetBackend(const TimerBackend* backend)
{
    TimerModule& module = Module();
    if (module.armedTimeout != 0) {
        module.backend->disarm(module.armedTimeout);
        module.armedTimeout = 0;
    }
    module.backend = backend != nullptr ? backend : &kDefaultBackend;
}

void Timer_SetEventSink(const TimerEventSink* sink)
{
    Module().sink = sink;
}

void Timer_TimeoutExpired()
{
    TimerModule& module = Module();
    module.armedTimeout = 0;
    Timer_RunDue();
    Timer_BusyEnter();
    if (module.sink != nullptr && module.sink->processEvents != nullptr) {
        module.sink->processEvents();
    }
    Timer_BusyLeave();
}

uint32_t Timer_Count()
{
    return static_cast<uint32_t>(std::ranges::count_if(Module().timers, [](const auto& r) { return !r->deletePending; }));
}

uint32_t Timer_CountWithId(uint32_t id)
{
    return static_cast<uint32_t>(
        std::ranges::count_if(Module().timers, [id](const auto& r) { return r->id == id && !r->deletePending; }));
}
