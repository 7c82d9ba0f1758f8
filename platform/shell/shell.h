#pragma once
// Starting the other program and opening documents or web addresses.

#include <QString>

namespace vyk::platform {

// The program `name` in `folder`: matched ignoring case, with or without its ".EXE" ending
// ("VYKCFG.EXE" finds "VykCfg"), and only an executable file. Empty when there is none.
QString findProgram(const QString& folder, const QString& name);

// Starts that program detached, with `folder` as its working folder. False when it is missing
// or cannot be started; nothing is shown.
bool startProgram(const QString& folder, const QString& name);

// True for an http or https address with a host ("https://host/page"); false for anything
// else, the bare "http://" included.
bool isWebAddress(const QString& text);

// Opens an existing regular file (given by its absolute path) with the desktop's handler, or
// an http or https address in the browser. Anything else (other schemes, missing files,
// folders, FIFOs and devices, command lines) is refused: false. False also when the desktop
// has nothing to open it with.
bool openDocument(const QString& target);

}  // namespace vyk::platform
