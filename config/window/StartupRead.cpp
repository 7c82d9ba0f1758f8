#include "config/window/StartupRead.h"

#include "core/store/DMUnit.h"

#include <system_error>

TStartupRead::TStartupRead(TDM& dm, TuiMacroSetClass& macros) : FDM(dm), FMacros(macros) {
    try {
        FWorker = std::thread([this] { Read(); });
    } catch (const std::system_error&) {
        Read();
    }
}

TStartupRead::~TStartupRead() { Wait(); }

const TButtonAssignment::TMacroDbRead& TStartupRead::Wait() {
    if (FWorker.joinable()) FWorker.join();
    return FMacroDb;
}

void TStartupRead::Read() {
    // DataModuleCreate reports what it finds in the module itself and never throws.
    if (!FDM.Created()) FDM.DataModuleCreate();
    FMacroDb = TButtonAssignment::ReadMacroDatabase(FDM, FMacros);
}
