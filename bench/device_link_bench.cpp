// The device link against the simulated mouse:
//  - what one input reader costs while nothing arrives (target: no wake-ups at all);
//  - the round trip of one 1024-byte memory write and one 42-byte read (a DPI table), with the
//    USB full-speed timing model on (what a real mouse would take) and off (our own cost).

#include "device/DeviceProtocol.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

struct Usage {
    long switches;  // voluntary context switches: each is a wake-up after blocking
    double cpuMs;
};

Usage usage(int who) {
    rusage u{};
    ::getrusage(who, &u);
    const double cpu = (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    return {u.ru_nvcsw + u.ru_nivcsw, cpu};
}

void BM_ReaderIdleWakeups(benchmark::State& state) {
    vyk::sim::MouseSimServer sim;
    if (!sim.start()) {
        state.SkipWithError("simulated mouse did not start");
        return;
    }
    ConfigUsageAndPage = CONFIG_USAGE_AND_PAGE_VALUE;
    TuiHIDData hid;
    hid.HidFindAndReadDevice(ConfigUsageAndPage, QStringLiteral("*"));
    if (TuiHIDData::ReaderCount() != 1) {
        state.SkipWithError("no reader started");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let start-up settle
    const auto period = std::chrono::milliseconds(250);
    long wakeups = 0;
    double cpuMs = 0;
    double seconds = 0;
    for (auto _ : state) {
        // Everything but this thread (which only sleeps here): the reader and the simulator.
        const Usage p0 = usage(RUSAGE_SELF), t0 = usage(RUSAGE_THREAD);
        std::this_thread::sleep_for(period);
        const Usage p1 = usage(RUSAGE_SELF), t1 = usage(RUSAGE_THREAD);
        wakeups += (p1.switches - p0.switches) - (t1.switches - t0.switches);
        cpuMs += (p1.cpuMs - p0.cpuMs) - (t1.cpuMs - t0.cpuMs);
        seconds += std::chrono::duration<double>(period).count();
        state.SetIterationTime(std::chrono::duration<double>(period).count());
    }
    state.counters["wakeups_per_s"] = static_cast<double>(wakeups) / seconds;
    state.counters["cpu_ms_per_s"] = cpuMs / seconds;
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
    ConfigUsageAndPage = CONFIG_USAGE_AND_PAGE_VALUE;
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
