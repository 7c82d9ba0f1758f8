// Fuzz target: the bytes as the macro database MacroSet.MSDB (load, switch through every set
// and macro, encode the macros for the mouse, save, load again) or as a .macro file.
//
// Input: byte 0 chooses. Bit 0: the rest is the front of a database file, padded with zeros to
// the full record (so small inputs reach every count and name); else the rest is the file as
// it is (shorter files are the "ignored" case). Bit 1: the rest is read as a .macro file
// instead. Checked, besides the sanitizers:
//  - load -> save -> load -> save writes the same bytes twice, and a full-size record;
//  - a file that cannot be read as a whole (too short, too long, counts past the record's
//    slots) is reported as damaged and not lost: its bytes are kept as <file>.bak;
//  - a .macro file written back from what was read reads back the same record.

#include "fuzz/support/fuzz_support.h"

#include "platform/diag/diag.h"

#include "core/device/DeviceEncoders.h"
#include "core/macro/uiMacroActions.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"

#include <QFile>

#include <cstring>
#include <memory>

namespace {

// What the macro page does with a loaded database: every set and macro is shown and checked,
// and the current set's macros are encoded for the mouse.
void walk(TuiMacroSetClass& db) {
    const QStringList names = db.GetMacroSetListNames();
    VYK_FUZZ_CHECK(names.size() == db.MacroSetCount() && db.MacroSetCount() <= TuiMacroSetClass::kMaxMacroSets,
                   "more macro sets than the database holds");
    for (int s = 0; s < db.MacroSetCount(); ++s) {
        db.SwitchToMacroSet(s);
        (void)db.GetMacroListNamesByMacroSetIndex(s);
        TuiMacroClass* macros = db.CurrentMacroClass();
        if (macros == nullptr) continue;
        const auto& list = db.CurrentMacroKeyInfoList();
        VYK_FUZZ_CHECK(list.size() <= static_cast<std::size_t>(TuiMacroSetClass::kMacroSlots),
                       "more macros in a set than it holds");
        for (int m = 0; m < static_cast<int>(list.size()); ++m) {
            macros->SelectMacroAction(m);
            if (TuiActionsClass* actions = macros->CurrentMacroAction()) {
                VYK_FUZZ_CHECK(actions->GetCount() <= 128, "more actions in a macro than it holds");
                for (int a = 0; a < actions->GetCount(); ++a) (void)actions->GetDelayValue(a);
                (void)actions->TotalDelay();
                actions->CheckErrors();
            }
            (void)GetMacroEntryCount(list[static_cast<std::size_t>(m)]);
        }
        macros->CheckAllErrors();
        auto device = std::make_unique<TMACROKEYINFOLIST>();
        std::memset(static_cast<void*>(device.get()), 0, sizeof *device);
        macros->GetMacroKeyInfoList(*device);
        auto tables = std::make_unique<TMacroTables>();
        std::memset(static_cast<void*>(tables.get()), 0, sizeof *tables);
        BuildMacroTables(*device, *tables);
        for (int b = 0; b < MACRO_BLOCK_COUNT; ++b)
            VYK_FUZZ_CHECK(tables->Lengths[b] >= 0 && tables->Lengths[b] <= MACRO_BLOCK_SIZE,
                           "a macro block overflows");
    }
    if (db.MacroSetCount() > 0) db.SwitchToMacroSet(0);
}

QByteArray loadSave(const QString& path, TuiMacroSetClass::TDamage* damage = nullptr) {
    TuiMacroSetClass db;
    db.LoadMacrosetDB(path);
    if (damage != nullptr) *damage = db.LoadDamage();
    walk(db);
    db.SaveMacroSetDB();
    return vyk::fuzz::readFile(path);
}

void macroFile(const std::uint8_t* data, std::size_t size) {
    const QString folder = vyk::fuzz::scratchDir() + QStringLiteral("macros/");
    vyk::fuzz::clearFolder(folder);
    const QString path = folder + QStringLiteral("in.macro");
    vyk::fuzz::writeFile(path, data, size);
    auto list = std::make_unique<TMACROKEYINFOLIST>();
    std::memset(static_cast<void*>(list.get()), 0, sizeof *list);
    TuiMacroClass::LoadMacroFromFile(path, list->MacroInfos[0]);
    VYK_FUZZ_CHECK(std::memcmp(&list->MacroInfos[0], data, std::min(size, sizeof(TMACROKEYINFO))) == 0,
                   "a .macro file was not read as stored");
    list->nMacroInfoCount = 1;
    TuiMacroClass macros(*list);
    macros.SelectMacroAction(0);
    macros.CheckAllErrors();
    (void)GetMacroEntryCount(list->MacroInfos[0]);

    // Written back under its own name and read again: the same record.
    const QString name = TuiMacroClass::MacroName(list->MacroInfos[0]);
    if (!TuiMacroClass::IsValidMacroName(name)) return;
    TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(*list, folder + QStringLiteral("out"));
    auto again = std::make_unique<TMACROKEYINFO>();
    std::memset(static_cast<void*>(again.get()), 0, sizeof *again);
    TuiMacroClass::LoadMacroFromFile(folder + QStringLiteral("out/") + TuiMacroClass::MacroFileName(name), *again);
    VYK_FUZZ_CHECK(std::memcmp(again.get(), &list->MacroInfos[0], sizeof(TMACROKEYINFO)) == 0,
                   "a .macro file written back does not read back the same");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::initSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    vyk::fuzz::initSandbox();
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    if (mode & 2) {
        const bool ok = vyk::platform::guarded([&] { macroFile(data, size); });
        VYK_FUZZ_CHECK(ok, "a .macro file in the sandbox raised an error");
        return 0;
    }

    const QString folder = vyk::fuzz::scratchDir() + QStringLiteral("db/");
    vyk::fuzz::clearFolder(folder);
    const QString path = folder + QStringLiteral("MacroSet.MSDB");
    QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if ((mode & 1) && static_cast<std::size_t>(file.size()) < TuiMacroSetClass::kDatabaseSize)
        file.append(QByteArray(static_cast<qsizetype>(TuiMacroSetClass::kDatabaseSize) - file.size(), '\0'));
    vyk::fuzz::writeFile(path, file);

    QByteArray first, second;
    auto damage = TuiMacroSetClass::TDamage::None, again = TuiMacroSetClass::TDamage::None;
    const bool ok = vyk::platform::guarded([&] {
        first = loadSave(path, &damage);
        second = loadSave(path, &again);
    });
    VYK_FUZZ_CHECK(ok, "loading or saving a macro database in the sandbox raised an error");
    VYK_FUZZ_CHECK(static_cast<std::size_t>(first.size()) == TuiMacroSetClass::kDatabaseSize,
                   "the saved database is not one full record");
    VYK_FUZZ_CHECK(first == second, "load -> save of the macro database is not stable");
    VYK_FUZZ_CHECK(again == TuiMacroSetClass::TDamage::None, "a database the program saved reads back as damaged");
    if (static_cast<std::size_t>(file.size()) != TuiMacroSetClass::kDatabaseSize) {
        VYK_FUZZ_CHECK(damage != TuiMacroSetClass::TDamage::None, "a file of the wrong size was not reported");
    }
    if (damage != TuiMacroSetClass::TDamage::None) {
        VYK_FUZZ_CHECK(vyk::fuzz::readFile(path + QStringLiteral(".bak")) == file,
                       "a damaged database was replaced without a copy");
    } else {
        VYK_FUZZ_CHECK(first == file, "a whole database did not save back byte for byte");
    }
    return 0;
}
