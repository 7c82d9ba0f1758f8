// The device link against the simulated mouse:
//  - what one input reader costs while nothing arrives (target: no wake-ups at all);
//  - the round trip of one 1024-byte memory write and one 42-byte read (a DPI table), with the
//    USB full-speed timing model on (what a real mouse would take) and off (our own cost).

#include "core/device/DeviceProtocol.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <time.h>
#include <vector>

namespace {

// Context switches of the whole process or of this thread (RUSAGE_SELF / RUSAGE_THREAD):
// exact counts, each voluntary one a wake-up after blocking.
long switches(int who) {
    rusage u{};
    ::getrusage(who, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

// CPU time of the process or of this thread in ms, from the scheduler's nanosecond accounting.
// (getrusage's times are tick samples scaled per thread and per process separately, so their
// difference can come out negative.)
double cpuMs(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void BM_ReaderIdleWakeups(benchmark::State& state) {
    vyk::sim::MouseSimServer sim;
    if (!sim.start()) {
        state.SkipWithError("simulated mouse did not start");
        return;
    }
    TuiHIDData hid;
    hid.HidFindAndReadDevice(ConfigUsageAndPage, QStringLiteral("*"));
    if (TuiHIDData::ReaderCount() != 1) {
        state.SkipWithError("no reader started");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let start-up settle
    const auto period = std::chrono::milliseconds(250);
    long wakeups = 0;
    double cpuMsTotal = 0;
    double seconds = 0;
    for (auto _ : state) {
        // Everything but this thread (which only sleeps here): the reader and the simulator.
        // The process window encloses the thread window, so what is left is never negative:
        // at worst it holds the few microseconds this thread spends reading the clocks.
        const double p0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const long ps0 = switches(RUSAGE_SELF);
        const long ts0 = switches(RUSAGE_THREAD);
        const double t0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        std::this_thread::sleep_for(period);
        const double t1 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const long ts1 = switches(RUSAGE_THREAD);
        const long ps1 = switches(RUSAGE_SELF);
        const double p1 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        wakeups += (ps1 - ps0) - (ts1 - ts0);
        cpuMsTotal += (p1 - p0) - (t1 - t0);
        seconds += std::chrono::duration<double>(period).count();
        state.SetIterationTime(std::chrono::duration<double>(period).count());
    }
    state.counters["wakeups_per_s"] = static_cast<double>(wakeups) / seconds;
    state.counters["cpu_ms_per_s"] = cpuMsTotal / seconds;
    hid.HidStopRead();
}
BENCHMARK(BM_ReaderIdleWakeups)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

void BM_Write1024Read42(benchmark::State& state) {
    vyk::sim::SimOptions o;
    o.timing = state.range(0) != 0;
    vyk::sim::MouseSimServer sim(o);
    if (!sim.start()) {
        state.SkipWithError("simulated mouse did not start");
        return;
    }
    TuiHIDData hid;
    std::vector<std::uint8_t> block(1024, 0x5A);
    TDeviceCPITable table{};
    for (auto _ : state) {
        if (WriteDeviceMemory(hid, block.data(), 1024, DEVICE_ADDR_MACRO) != 0 ||
            ReadCPITable(hid, table, DeviceCPITableAddress(0)) != 0) {
            state.SkipWithError("device call failed");
            break;
        }
        benchmark::DoNotOptimize(table);
    }
    state.SetLabel(o.timing ? "USB full-speed model" : "no transfer time");
}
BENCHMARK(BM_Write1024Read42)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
