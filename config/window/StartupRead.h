#pragma once
// TStartupRead: what the configuration window shows first, read from the store on a worker
// thread while the window makes its controls. In order: the data module's start-up, when the
// module was made without it (TDM::TStart::Later; a first start writes the factory store
// there), then the macro database (TButtonAssignment::ReadMacroDatabase; a first start writes
// the default set). What reaches the disk, and in which order, is what a start on one thread
// writes.
//
// Until Wait returns the worker owns the data module and the macro set: the window makes only
// its controls meanwhile and reads neither. Wait joins the worker and hands over what the
// macro database read found (its errors are reported on the UI thread); the destructor joins
// too. When no thread can be started, the reading runs at once on the calling thread.
//
// The program starts the read itself (Ahead) as soon as it has its application object, well
// before the window: it then reads into a macro set of its own, which the window takes.

#include "config/window/ButtonAssignment.h"

#include <memory>
#include <thread>

class TDM;
class TuiMacroSetClass;

class TStartupRead {
public:
    // Starts reading at once.
    TStartupRead(TDM& dm, TuiMacroSetClass& macros);
    // Starts reading at once, into a macro set of its own.
    static std::unique_ptr<TStartupRead> Ahead(TDM& dm);
    ~TStartupRead();
    TStartupRead(const TStartupRead&) = delete;
    TStartupRead& operator=(const TStartupRead&) = delete;

    // Waits until everything is read.
    const TButtonAssignment::TMacroDbRead& Wait();

    TDM& DataModule() const { return FDM; }
    // The macro set a read started Ahead reads into, for the window to own (nothing the second
    // time, or for a read into a set it was given). The read goes on into it.
    std::unique_ptr<TuiMacroSetClass> TakeMacros() { return std::move(FOwnMacros); }

private:
    TStartupRead(TDM& dm, std::unique_ptr<TuiMacroSetClass> macros);
    void Start();
    void Read();

    TDM& FDM;
    std::unique_ptr<TuiMacroSetClass> FOwnMacros;
    TuiMacroSetClass& FMacros;
    TButtonAssignment::TMacroDbRead FMacroDb;
    std::thread FWorker;
};
