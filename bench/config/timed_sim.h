#pragma once
// The simulated mouse of the window benchmarks: started with its USB timing model, and the
// transfer time that model accounts for the reports in its log.

#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace vyk::bench {

// The simulated mouse with its timing model on; null (and the benchmark skipped) when it does
// not start.
inline std::unique_ptr<vyk::sim::MouseSimServer> startTimedSim(benchmark::State& state) {
    vyk::sim::SimOptions options;
    options.timing = true;
    auto sim = std::make_unique<vyk::sim::MouseSimServer>(options);
    std::string error;
    if (!sim->start(&error)) {
        state.SkipWithError(("simulated mouse: " + error).c_str());
        return nullptr;
    }
    return sim;
}

// Milliseconds of transfer the timing model accounts for the reports now in the log.
inline double modelledTransferMs(const vyk::sim::MouseSimServer& sim) {
    std::chrono::microseconds total{0};
    for (const auto& r : sim.log()) total += vyk::sim::MouseSimServer::transferTime(r.bytes.size());
    return static_cast<double>(total.count()) / 1000.0;
}

}  // namespace vyk::bench
