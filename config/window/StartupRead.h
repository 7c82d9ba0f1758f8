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

#include "config/window/ButtonAssignment.h"

#include <thread>

class TDM;
class TuiMacroSetClass;

class TStartupRead {
public:
    // Starts reading at once.
    TStartupRead(TDM& dm, TuiMacroSetClass& macros);
    ~TStartupRead();
    TStartupRead(const TStartupRead&) = delete;
    TStartupRead& operator=(const TStartupRead&) = delete;

    // Waits until everything is read.
    const TButtonAssignment::TMacroDbRead& Wait();

private:
    void Read();

    TDM& FDM;
    TuiMacroSetClass& FMacros;
    TButtonAssignment::TMacroDbRead FMacroDb;
    std::thread FWorker;
};
