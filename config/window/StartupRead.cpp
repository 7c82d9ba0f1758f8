#include "config/window/StartupRead.h"

#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"

#include <system_error>

TStartupRead::TStartupRead(TDM& dm, TuiMacroSetClass& macros) : FDM(dm), FMacros(macros) { Start(); }

TStartupRead::TStartupRead(TDM& dm, std::unique_ptr<TuiMacroSetClass> macros)
    : FDM(dm), FOwnMacros(std::move(macros)), FMacros(*FOwnMacros) {
    Start();
}

std::unique_ptr<TStartupRead> TStartupRead::Ahead(TDM& dm) {
    return std::unique_ptr<TStartupRead>(new TStartupRead(dm, std::make_unique<TuiMacroSetClass>()));
}

void TStartupRead::Start() {
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
