#include "core/language/localeNames.h"

#include <algorithm>
#include <optional>

namespace vyk::language {

namespace {

struct Row {
    unsigned langId;
    const char* bcp47;
    const char* nativeName;     // fixed native name, or nullptr for Qt's endonym
    const char* localizedName;  // fixed English name, or nullptr to build it from Qt's names
};

// Windows LANGIDs and their locales. The shipped languages (0409, 0804, 0404) and the other
// Chinese variants carry fixed names.
constexpr Row kRows[] = {
    {0x0401, "ar-SA", nullptr, nullptr},
    {0x0402, "bg-BG", nullptr, nullptr},
    {0x0403, "ca-ES", nullptr, nullptr},
    {0x0404, "zh-TW", "中文(繁體)", "Chinese (Traditional, Taiwan)"},
    {0x0405, "cs-CZ", nullptr, nullptr},
    {0x0406, "da-DK", nullptr, nullptr},
    {0x0407, "de-DE", nullptr, nullptr},
    {0x0408, "el-GR", nullptr, nullptr},
    {0x0409, "en-US", "English", "English (United States)"},
    {0x040B, "fi-FI", nullptr, nullptr},
    {0x040C, "fr-FR", nullptr, nullptr},
    {0x040D, "he-IL", nullptr, nullptr},
    {0x040E, "hu-HU", nullptr, nullptr},
    {0x040F, "is-IS", nullptr, nullptr},
    {0x0410, "it-IT", nullptr, nullptr},
    {0x0411, "ja-JP", nullptr, nullptr},
    {0x0412, "ko-KR", nullptr, nullptr},
    {0x0413, "nl-NL", nullptr, nullptr},
    {0x0414, "nb-NO", nullptr, nullptr},
    {0x0415, "pl-PL", nullptr, nullptr},
    {0x0416, "pt-BR", nullptr, nullptr},
    {0x0418, "ro-RO", nullptr, nullptr},
    {0x0419, "ru-RU", nullptr, nullptr},
    {0x041A, "hr-HR", nullptr, nullptr},
    {0x041B, "sk-SK", nullptr, nullptr},
    {0x041D, "sv-SE", nullptr, nullptr},
    {0x041E, "th-TH", nullptr, nullptr},
    {0x041F, "tr-TR", nullptr, nullptr},
    {0x0421, "id-ID", nullptr, nullptr},
    {0x0422, "uk-UA", nullptr, nullptr},
    {0x0424, "sl-SI", nullptr, nullptr},
    {0x0425, "et-EE", nullptr, nullptr},
    {0x0426, "lv-LV", nullptr, nullptr},
    {0x0427, "lt-LT", nullptr, nullptr},
    {0x0429, "fa-IR", nullptr, nullptr},
    {0x042A, "vi-VN", nullptr, nullptr},
    {0x042D, "eu-ES", nullptr, nullptr},
    {0x0436, "af-ZA", nullptr, nullptr},
    {0x0439, "hi-IN", nullptr, nullptr},
    {0x043E, "ms-MY", nullptr, nullptr},
    {0x0441, "sw-KE", nullptr, nullptr},
    {0x0456, "gl-ES", nullptr, nullptr},
    {0x0464, "fil-PH", nullptr, nullptr},
    {0x0804, "zh-CN", "中文(简体)", "Chinese (Simplified, China)"},
    {0x0807, "de-CH", nullptr, nullptr},
    {0x0809, "en-GB", "English", "English (United Kingdom)"},
    {0x080A, "es-MX", nullptr, nullptr},
    {0x080C, "fr-BE", nullptr, nullptr},
    {0x0813, "nl-BE", nullptr, nullptr},
    {0x0814, "nn-NO", nullptr, nullptr},
    {0x0816, "pt-PT", nullptr, nullptr},
    {0x0C04, "zh-HK", "中文(香港)", "Chinese (Traditional, Hong Kong)"},
    {0x0C07, "de-AT", nullptr, nullptr},
    {0x0C09, "en-AU", "English", "English (Australia)"},
    {0x0C0A, "es-ES", nullptr, nullptr},
    {0x0C0C, "fr-CA", nullptr, nullptr},
    {0x1004, "zh-SG", "中文(新加坡)", "Chinese (Simplified, Singapore)"},
    {0x1009, "en-CA", "English", "English (Canada)"},
    {0x100C, "fr-CH", nullptr, nullptr},
    {0x1404, "zh-MO", "中文(澳門)", "Chinese (Traditional, Macao)"},
};

QString hex4(unsigned v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper(); }

std::vector<LocaleInfo> buildTable() {
    std::vector<LocaleInfo> out;
    out.reserve(std::size(kRows));
    for (const Row& r : kRows) {
        LocaleInfo i;
        i.langId = hex4(r.langId);
        i.bcp47 = QString::fromLatin1(r.bcp47);
        const QLocale loc(i.bcp47);
        if (r.nativeName) {
            i.nativeName = QString::fromUtf8(r.nativeName);
        } else {
            // The language's own name, without a regional variant ("español", not
            // "español de México").
            i.nativeName = QLocale(loc.language()).nativeLanguageName();
            if (i.nativeName.isEmpty()) i.nativeName = loc.nativeLanguageName();
        }
        if (r.localizedName) {
            i.localizedName = QString::fromUtf8(r.localizedName);
        } else {
            i.localizedName = QStringLiteral("%1 (%2)").arg(QLocale::languageToString(loc.language()),
                                                            QLocale::territoryToString(loc.territory()));
        }
        i.hasCountry = loc.territory() != QLocale::AnyTerritory;
        out.push_back(std::move(i));
    }
    std::sort(out.begin(), out.end(), [](const LocaleInfo& a, const LocaleInfo& b) { return a.langId < b.langId; });
    return out;
}

std::optional<QLocale>& localeOverride() {
    static std::optional<QLocale> o;
    return o;
}

}  // namespace

const std::vector<LocaleInfo>& supportedLocales() {
    static const std::vector<LocaleInfo> table = buildTable();
    return table;
}

QString langIdOfLocale(const QLocale& locale) {
    const LocaleInfo* sameLanguage = nullptr;
    const LocaleInfo* sameScript = nullptr;
    for (const LocaleInfo& i : supportedLocales()) {
        const QLocale l(i.bcp47);
        if (l.language() != locale.language()) continue;
        if (l.territory() == locale.territory() && l.script() == locale.script()) return i.langId;
        if (!sameScript && l.script() == locale.script()) sameScript = &i;
        if (!sameLanguage) sameLanguage = &i;
    }
    // A territory the table lacks: the first locale of the same language and script (zh-Hant
    // of an unknown territory stays Traditional), else of the same language.
    if (sameScript) return sameScript->langId;
    if (sameLanguage) return sameLanguage->langId;
    return {};
}

QLocale userLocale() {
    if (localeOverride()) return *localeOverride();
    return QLocale::system();
}

void setUserLocaleForTesting(const QLocale* locale) {
    if (locale)
        localeOverride() = *locale;
    else
        localeOverride().reset();
}

}  // namespace vyk::language

void TLocaleNameList::Add(const QString& key, std::shared_ptr<const TLocaleNameRecord> record) {
    entries_.emplace_back(key, std::move(record));
}

const TLocaleNameRecord* TLocaleNameList::Find(const QString& key) const {
    for (const auto& e : entries_)
        if (e.first.compare(key, Qt::CaseInsensitive) == 0) return e.second.get();
    return nullptr;
}
