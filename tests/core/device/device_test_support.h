#pragma once
// Shared by the device tests: an in-process simulated mouse on this test's own socket, the
// configuration selector, and a wait that keeps the Qt event loop running.

#include "core/defs/pubunit_norvane.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace devtest {

using vyk::test::waitUntil;

inline std::unique_ptr<vyk::sim::MouseSimServer> startSim(int matching = 1, bool other = false) {
    vyk::sim::SimOptions o;
    o.matchingInterfaces = matching;
    o.otherInterface = other;
    auto s = std::make_unique<vyk::sim::MouseSimServer>(o);
    std::string error;
    EXPECT_TRUE(s->start(&error)) << error;
    return s;
}

// The feature reports the simulator received (SET) or answered (GET), in order.
inline std::vector<vyk::sim::LoggedReport> featureLog(const vyk::sim::MouseSimServer& s, const char* kind = nullptr) {
    std::vector<vyk::sim::LoggedReport> out;
    for (auto& r : s.log())
        if (kind == nullptr || r.kind == kind) out.push_back(r);
    return out;
}

inline std::vector<std::uint8_t> bytes(std::initializer_list<int> head, std::size_t size) {
    std::vector<std::uint8_t> v(size, 0);
    std::size_t i = 0;
    for (int b : head) v[i++] = static_cast<std::uint8_t>(b);
    return v;
}

}  // namespace devtest
