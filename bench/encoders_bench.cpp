// Encoding cost of one APPLY: five profiles (working copy, device order, button, DPI and
// polling-rate blocks) and thirty macros of 59 actions, the most a block holds.

#include "core/device/DeviceEncoders.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<TMouseProfileInfo> makeProfile(int p) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    TMOUSECONFIGINFO& c = profile->ConfigInfo;
    c.ButtonCount = 19;
    c.CPILevel = 5;
    c.CurrentCPIIndex = p % 5;
    c.ReportRate = 1000;
    for (int i = 0; i < 5; ++i) c.CPIState[i] = {std::uint16_t(400 * (i + 1)), std::uint16_t(400 * (i + 1)), 1, {}};
    // A mix of every kind of assignment.
    const int codes[] = {1, 2, 3, 16, 15, 17, 5, 4, 14, 25, 19, 8, 10, 9, 16, 15, 17, 1, 13};
    for (int k = 0; k < 19; ++k) {
        TBUTTONFUNCINFO& b = c.ButtonFuncInfo[k];
        b.FunctionCode = codes[k];
        b.ClickParam = 1;
        b.SingleKey.nKeyValue1 = static_cast<std::uint16_t>('A' + k);
        b.ComboKey.nModifier = 2;
        b.ComboKey.nKeyValue1 = 0x21;
        b.ComboKey.nKey1Extended = 1;
        b.HIDCode = {0xCD, 0x00, 0};
        b.MacroKeyInfo.MacroListCount = 59;
        b.MacroKeyInfo.nMacroIndex = static_cast<std::uint16_t>(k % 30);
        b.FireKey = {3, 60, 0x81, {}};
    }
    return profile;
}

std::unique_ptr<TMACROKEYINFOLIST> makeMacros() {
    auto list = std::make_unique<TMACROKEYINFOLIST>();
    list->nMacroInfoCount = 30;
    for (int m = 0; m < 30; ++m) {
        TMACROKEYINFO& macro = list->MacroInfos[m];
        for (int j = 0; j < 59; ++j) {
            TMACROKEY& a = macro.MacroList[j];
            // key presses and releases of navigation keys (extended) with delays between them
            a.nKeyType = j % 3 == 2 ? 6 : 4;
            a.nKeyState = static_cast<std::uint16_t>(j % 2);
            a.VALUE1 = static_cast<std::uint8_t>(j % 3 == 2 ? 50 : 0x21 + j % 8);
            a.VALUE2 = static_cast<std::uint8_t>(j % 3 == 2 ? 0 : 1);
        }
        macro.MacroListCount = 59;
        macro.nLoopCount = 1;
    }
    return list;
}

void BM_EncodeFiveProfiles(benchmark::State& state) {
    std::vector<std::unique_ptr<TMouseProfileInfo>> profiles;
    for (int p = 0; p < 5; ++p) profiles.push_back(makeProfile(p));
    auto work = std::make_unique<TMouseProfileInfo>();
    TButtonTable buttons;
    TCPITable cpi;
    for (auto _ : state) {
        for (const auto& profile : profiles) {
            *work = *profile;  // APPLY encodes a working copy
            ReorderButtonFunctions(*work, DeviceButtonOrder);
            BuildButtonTable(*work, buttons);
            BuildCPITable(*work, cpi);
            benchmark::DoNotOptimize(ReportRateToDeviceCode(*work));
            benchmark::DoNotOptimize(buttons.data());
            benchmark::DoNotOptimize(cpi.data());
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EncodeFiveProfiles)->Unit(benchmark::kMicrosecond);

void BM_BuildMacroTables30x59(benchmark::State& state) {
    auto list = makeMacros();
    auto tables = std::make_unique<TMacroTables>();
    for (auto _ : state) {
        *tables = TMacroTables{};  // APPLY passes zeroed tables
        BuildMacroTables(*list, *tables);
        benchmark::DoNotOptimize(tables.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildMacroTables30x59)->Unit(benchmark::kMicrosecond);

}  // namespace
