#pragma once
// Where the programs find their files: the executable's folder (config.ini, ui.local, images/
// beside it), the user's Documents folder (profile files, macro database), a path join that
// accepts both separators, a case-insensitive lookup for shipped resources, and the test that a
// named file stays inside its folder.
//
// Paths handed back use '/' only. Folders returned by executableDir() and documentsDir() end
// with a '/'.

#include <QString>
#include <QStringList>

namespace vyk::platform {

// The folder of the running program, ending with '/'. VYK_EXE_DIR overrides it (tests, and
// runs from a build tree with resources elsewhere).
QString executableDir();

// The user's Documents folder, ending with '/'. VYK_DOCUMENTS_DIR overrides it; otherwise
// the XDG documents folder, falling back to $HOME/Documents. The folder is not created here.
QString documentsDir();

// Joins parts into one path. Both '\' and '/' separate components, and runs of separators
// collapse into one, so joinPath({"/a/b/", "\\c\\\\d"}) is "/a/b/c/d". A leading separator of
// the first part is kept (absolute path); a trailing separator of the last part is kept.
QString joinPath(const QStringList& parts);
inline QString joinPath(const QString& a, const QString& b) { return joinPath(QStringList{a, b}); }

// The same rules applied to a single path.
inline QString normalizePath(const QString& p) { return joinPath(QStringList{p}); }

// Folder part of a path, ending with '/', and file-name part ("/a/b/c.pfd" -> "/a/b/", "c.pfd").
// A path without separator has an empty folder part.
void splitPath(const QString& path, QString* folder, QString* fileName);

// True when name can name a file inside a folder: not empty, not "." or "..", without a
// separator ('/' or '\') and without control characters.
bool isPlainFileName(const QString& name);

// True when path (a file or a folder, existing or not) is folder itself or lies inside it,
// judged on where it really is: in the part of the path that exists, links and ".." are
// followed first, so a link inside the folder that leads out of it is outside, and so is a
// link that leads nowhere. A relative path, or ".." in a part that does not exist yet, is never
// inside.
bool isInsideFolder(const QString& path, const QString& folder);

// Looks up relative (either separator) under base: the exact path first, then component by
// component ignoring case. Returns the path found, or the plain join when nothing matches, so
// that the caller's "file not found" error names the expected path.
QString resolveCaseInsensitive(const QString& base, const QString& relative);

// The regular file that relative names under folder (looked up as resolveCaseInsensitive does;
// a leading separator does not make it absolute), as its canonical path, when it lies inside
// folder once every symbolic link and ".." is followed. Empty otherwise: missing, a folder, a
// FIFO, socket or device, or a name or link that leaves the folder.
QString regularFileInside(const QString& folder, const QString& relative);

}  // namespace vyk::platform
