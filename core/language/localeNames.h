#pragma once
// The locales the programs know, keyed by their Windows language identifier (LANGID) written
// as four upper-case hexadecimal digits ("0409", "0804"), which is how ui.local names its
// languages. Each locale carries its native language name (the name of the language in that
// language) for the language chooser, and its language name in English for the translation
// editor.
//
// Native names of the shipped languages come from a fixed table, so that Simplified and
// Traditional Chinese stay distinct in the chooser; other locales take Qt's endonym.

#include <QLocale>
#include <QString>

#include <memory>
#include <vector>

namespace vyk::language {

struct LocaleInfo {
    QString langId;          // "0804"
    QString bcp47;           // "zh-CN"
    QString nativeName;      // "中文(简体)"
    QString localizedName;   // "Chinese (Simplified, China)"
    bool hasCountry = true;  // false for a neutral locale without an abbreviated country name
};

// Every supported locale, in LANGID order.
const std::vector<LocaleInfo>& supportedLocales();

// The LANGID text of a locale: the best entry of the table for its language, script and
// territory; "" when the language is not in the table.
QString langIdOfLocale(const QLocale& locale);

// The user's locale (QLocale::system(), unless a test replaced it).
QLocale userLocale();
void setUserLocaleForTesting(const QLocale* locale);  // nullptr restores the system's

}  // namespace vyk::language

// A locale lookup list: key -> record [native language name, LANGID text]. Keys are compared
// ignoring case; the first match wins.
struct TLocaleNameRecord {
    QString NativeName;
    QString LangID;
};

class TLocaleNameList {
public:
    void Add(const QString& key, std::shared_ptr<const TLocaleNameRecord> record);
    // The record of the first entry of that key, or nullptr.
    const TLocaleNameRecord* Find(const QString& key) const;
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    std::vector<std::pair<QString, std::shared_ptr<const TLocaleNameRecord>>> entries_;
};
