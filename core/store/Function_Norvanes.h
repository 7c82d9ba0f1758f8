#pragma once
// Loading a profile from a file the user picks into the current game profile of a data module,
// and saving that data module's current game profile to a file the user picks. Both run
// modally on the UI thread. The file format is the raw TMouseProfileInfo of the store's *.pfd
// files.

#include <QString>

#include <functional>

class TDM;

// Result of ImportProfileFromFile.
enum : int {
    IMPORT_PROFILE_DONE = 1,
    IMPORT_PROFILE_CANCELLED = 2,
    IMPORT_PROFILE_WRONG_VERSION = 3,
};

// What a file dialog is asked: open or save, the folder it starts in (ending with '/'), the
// filter ("pfd|*.pfd": description, then mask) and the default extension of a save (".pfd").
// The answer is the chosen file, or empty text when the user cancelled.
struct ProfileFileDialogRequest {
    bool save = false;
    QString initialFolder;
    QString filter;
    QString defaultExtension;
};
using ProfileFileDialogHook = std::function<QString(const ProfileFileDialogRequest&)>;

// Replaces the real file dialogs (tests). An empty function restores them.
void SetProfileFileDialogHook(ProfileFileDialogHook AHook);

// 1 imported, 2 cancelled, 3 refused: the file is not exactly one profile of format version
// 0x103 (nothing changed). An imported profile's values outside what the window produces are
// replaced by their factory values and reported by the store (TDM::TakeStoreReports).
int ImportProfileFromFile(TDM& ADM, const QString& AInitialFolder);

// True when the file was written. A folder where nothing may be created shows
// "No permission to save file!please change directory!" and gives false.
bool ExportProfileToFile(TDM& ADM, const QString& AInitialFolder);
