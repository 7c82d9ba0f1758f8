#pragma once
// TuiProfile: keeps the raw bytes of one stored record in a memory stream and moves them
// between that stream, a caller's record, a file and one binary registry value. It knows
// nothing of the record's layout.
//
// Loads replace the stream by exactly the stored bytes (a shorter or longer stored record
// gives a shorter or longer stream); Write puts a record over the front of the stream and
// never shortens it, so bytes a longer stored record carried past the record's end survive
// every later save. Every load and save offers a veto event before and a notification after.
//
// Failures of the file system raise vyk::platform::FileError, a registry value of the wrong
// type or one that cannot be read or written raises vyk::platform::RegistryError; preconditions
// that do not hold (no root key, empty names, missing file or value, key or folder not
// available) and vetoes give false. UI thread only.

#include "platform/registry/registry.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

using TuiProfileStream = std::vector<std::uint8_t>;

// Writes default bytes into the stream it is given.
using TuiProfileOnRestoreToDefault = std::function<void(TuiProfileStream& AStream)>;
// Fired before an operation with bContinue preset to true; false vetoes the operation.
using TuiProfileEvent = std::function<void(TuiProfileStream& AStream, bool& bContinue)>;
// Fired after a successful operation.
using TuiProfileEvent2 = std::function<void(const TuiProfileStream& AStream)>;

class TuiProfile : public QObject {
    Q_OBJECT
public:
    explicit TuiProfile(QObject* Aowner = nullptr);
    ~TuiProfile() override;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY AValue);
    const QString& KeyPath() const { return FKeyPath; }
    void SetKeyPath(const QString& AValue);
    // Both the file name and the registry value name.
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& AValue);
    // A folder ending with '/'. Ignored unless it differs and names an existing folder.
    const QString& FilePath() const { return FFilePath; }
    void SetFilePath(const QString& AValue);
    std::int64_t Size() const { return FSize; }
    // Resizes the stream (new bytes are zero).
    void SetSize(std::int64_t AValue);

    // The record bytes.
    const TuiProfileStream& Stream() const { return FMemoryStream; }
    TuiProfileStream& Stream() { return FMemoryStream; }

    // Writes Count bytes at the front of the stream, growing it when shorter and keeping its
    // tail when longer. Returns Count.
    int Write(const void* Buffer, int Count);
    // Write of Count zero bytes.
    int WriteZeros(int Count);
    // Copies min(Count, stream size) bytes from the front into Buffer; the rest of Buffer is
    // left as it was. Returns the number copied.
    int Read(void* Buffer, int Count) const;

    bool LoadStreamFromFile();
    bool LoadStreamFromFile(const QString& strFilewithpath);
    bool LoadStreamFromRegistry();
    bool PreSaveStreamToFile(const QString& strFileWithPath);
    bool SaveStreamToFile();
    bool SaveStreamToFile(const QString& strFileWithPath);
    bool SaveStreamToRegistry();
    void RestoreToDefault();

    // A save split around its write, for a write carried out later or on another thread
    // (vyk::platform::WriteJob). Begin fires the veto event and checks what the save needs
    // (registry: a usable root key, key path and name; file: a folder), false when the save
    // does not happen; End fires the notification. The write itself goes to FileName in
    // KeyPath, or to FilePath + FileName, with a copy of the stream.
    bool BeginSaveToRegistry();
    void EndSaveToRegistry();
    bool BeginSaveToFile();
    void EndSaveToFile();

    TuiProfileOnRestoreToDefault OnRestoreToDefault;
    TuiProfileEvent OnBeforeSaveToRegistry;
    TuiProfileEvent OnBeforeSaveToFile;
    TuiProfileEvent OnBeforeLoadFromRegistry;
    TuiProfileEvent OnBeforeLoadFromFile;
    TuiProfileEvent2 OnAfterSaveToRegistry;
    TuiProfileEvent2 OnAfterSaveToFile;
    TuiProfileEvent2 OnAfterLoadFromRegistry;
    TuiProfileEvent2 OnAfterLoadFromFile;

private:
    bool fireBefore(const TuiProfileEvent& AEvent);
    bool rootUsable() const;
    void replaceStreamFromFile(const QString& APath);
    void writeStreamToFile(const QString& APath) const;

    TuiProfileStream FMemoryStream;
    HKEY FRootKey = vyk::platform::RegistryRoot::None;
    QString FKeyPath;
    QString FFileName;
    QString FFilePath;
    std::int64_t FSize = 0;
};
