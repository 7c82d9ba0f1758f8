#pragma once
// Read-only INI files with the semantics the programs' config.ini was written for:
// - section and key names compare without regard to case; the first match wins;
// - names and values are trimmed; one pair of matching surrounding quotes ('...' or "...")
//   is removed from a value; backslashes are ordinary characters (no escapes);
// - lines whose first non-blank character is ';' are comments; lines before the first section
//   and lines without '=' are ignored;
// - the file may be UTF-8 (with or without BOM) or UTF-16 LE/BE with BOM; bytes that are not
//   valid UTF-8 are read as Latin-1;
// - a missing or unreadable file, section or key yields the caller's default; a pipe, device or
//   file over 1 MiB in the file's place counts as unreadable (never waited on or read whole).
// The file is read once, when the object is made.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vyk::platform {

class IniFile {
public:
    explicit IniFile(const QString& path);

    // False when the file was missing or could not be read.
    bool loaded() const { return loaded_; }
    const QString& path() const { return path_; }

    bool sectionExists(const QString& section) const;
    bool keyExists(const QString& section, const QString& key) const;

    // The value, or def when the section or key is missing. An empty value is returned as
    // empty text (not the default), as the original reader does.
    QString readString(const QString& section, const QString& key, const QString& def = {}) const;

    // The value as an integer: decimal with optional sign, or hexadecimal with a "$", "0x" or
    // "0X" prefix (after an optional sign; hex values up to FFFFFFFF wrap into the signed
    // range). Anything else, an empty value or a number out of range gives def.
    int readInteger(const QString& section, const QString& key, int def) const;

    // The keys of the first section of that name, in file order, each once (the first
    // spelling met).
    QStringList sectionKeys(const QString& section) const;

    // Parses text with the integer rules above; false when it is not a number.
    static bool parseInteger(const QString& text, int* out);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };
    const Section* findSection(const QString& name) const;
    const Entry* findEntry(const QString& section, const QString& key) const;
    void parse(const QString& text);

    QString path_;
    bool loaded_ = false;
    QList<Section> sections_;
};

}  // namespace vyk::platform
