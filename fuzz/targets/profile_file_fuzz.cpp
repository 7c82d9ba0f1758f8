// Fuzz target: the bytes as a profile file the user picks for import (LOAD FILE), then the
// export of the imported profile (SAVE AS) and the import of that export.
//
// The data module is made once on a fresh store; before each input the current profile gets
// its factory bytes back. Checked, besides the sanitizers:
//  - an import is refused (nothing changed) unless the file is exactly one profile of format
//    version 0x103;
//  - an imported profile is the file's bytes with only the values the window cannot produce
//    put back to their factory values: the export is one profile, equal to the file wherever
//    the check left it, and a second check finds nothing;
//  - import -> export -> import -> export gives the same bytes both times;
//  - the encoders that turn the imported profile into the mouse's tables stay inside them.

#include "fuzz/support/fuzz_support.h"

#include "platform/diag/diag.h"

#include "core/defs/pubunit_norvane.h"
#include "core/device/DeviceEncoders.h"
#include "core/store/DMUnit.h"
#include "core/store/Function_Norvanes.h"
#include "core/store/ProfileValues.h"

#include <cstring>
#include <memory>

namespace {

TDM* g_dm = nullptr;  // lives until the process ends
TuiProfileStream g_factory;
QString g_answer;  // what the file dialog "picks"

int importFile(const QString& path) {
    g_answer = path;
    return ImportProfileFromFile(*g_dm, vyk::fuzz::scratchDir());
}

QByteArray exportTo(const QString& path) {
    g_answer = path;
    VYK_FUZZ_CHECK(ExportProfileToFile(*g_dm, vyk::fuzz::scratchDir()), "an export to the sandbox failed");
    return vyk::fuzz::readFile(path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::ensureApplication();
    g_dm = new TDM();
    g_factory = g_dm->FProfileGroup[static_cast<std::size_t>(g_dm->FProfileIndex)]->Stream();
    SetProfileFileDialogHook([](const ProfileFileDialogRequest&) { return g_answer; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_dm) LLVMFuzzerInitialize(nullptr, nullptr);
    TDM& dm = *g_dm;
    TuiProfile* current = dm.FProfileGroup[static_cast<std::size_t>(dm.FProfileIndex)];
    current->Stream() = g_factory;
    dm.ReadCurrentProfileInfo();

    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString in = vyk::fuzz::scratchDir() + QStringLiteral("import.pfd");
    vyk::fuzz::writeFile(in, input);

    int result = IMPORT_PROFILE_WRONG_VERSION;
    const bool ok = vyk::platform::guarded([&] { result = importFile(in); });
    VYK_FUZZ_CHECK(ok, "importing a profile file in the sandbox raised an error");
    std::int32_t version = 0;
    if (size >= sizeof version) std::memcpy(&version, data, sizeof version);
    const bool whole = size == sizeof(TMouseProfileInfo) && version == PROFILE_FILE_VERSION;
    if (!whole) {
        VYK_FUZZ_CHECK(result == IMPORT_PROFILE_WRONG_VERSION, "a file that is not one whole profile was imported");
        VYK_FUZZ_CHECK(current->Stream() == g_factory, "a refused import changed the profile");
        VYK_FUZZ_CHECK(dm.TakeStoreReports().isEmpty(), "a refused import was reported by the store");
        return 0;
    }
    VYK_FUZZ_CHECK(result == IMPORT_PROFILE_DONE, "a whole profile file was not imported");

    const QByteArray first = exportTo(vyk::fuzz::scratchDir() + QStringLiteral("export1.pfd"));
    VYK_FUZZ_CHECK(static_cast<std::size_t>(first.size()) == sizeof(TMouseProfileInfo),
                   "the export is not one profile");
    auto check = std::make_unique<TMouseProfileInfo>();
    std::memcpy(static_cast<void*>(check.get()), first.constData(), sizeof(TMouseProfileInfo));
    VYK_FUZZ_CHECK(vyk::store::RepairProfileValues(*check, *dm.FactoryProfileInfo(dm.FProfileIndex)).isEmpty(),
                   "an imported profile holds values the window cannot produce");
    const bool repaired = first != input;
    VYK_FUZZ_CHECK(repaired == !dm.TakeStoreReports().isEmpty(),
                   "a repair was not reported, or a report made without one");
    // Outside the button records and the checked settings, every byte is the file's.
    constexpr std::size_t checkedFrom = offsetof(TMouseProfileInfo, ConfigInfo);
    VYK_FUZZ_CHECK(std::memcmp(first.constData(), input.constData(), checkedFrom) == 0, "the header was changed");
    constexpr std::size_t tail = offsetof(TMouseProfileInfo, HWheelFunctionList);
    VYK_FUZZ_CHECK(
        std::memcmp(first.constData() + tail, input.constData() + tail, sizeof(TMouseProfileInfo) - tail) == 0,
        "bytes after the settings were changed");

    const TMouseProfileInfo& profile = dm.FCurrentProfileInfo;
    TButtonTable buttons{};
    BuildButtonTable(profile, buttons);
    VYK_FUZZ_CHECK(buttons[0] <= DEVICE_BUTTON_COUNT, "more buttons encoded than the table holds");
    TCPITable cpi{};
    BuildCPITable(profile, cpi);
    (void)ReportRateToDeviceCode(profile);

    VYK_FUZZ_CHECK(importFile(vyk::fuzz::scratchDir() + QStringLiteral("export1.pfd")) == IMPORT_PROFILE_DONE,
                   "an exported profile could not be imported again");
    const QByteArray second = exportTo(vyk::fuzz::scratchDir() + QStringLiteral("export2.pfd"));
    VYK_FUZZ_CHECK(first == second, "import -> export is not stable");
    return 0;
}
