// Builds the language file ui.local from its readable source (ui-texts.txt).
//
//   vyk_ui_local_gen <source> <output>
//
// The source lists the languages ("languages: 0409 0804 0404"), the language of the source
// texts ("source-language: 0409", whose table stays empty) and then one entry per English
// text: "en: <text>" followed by "<LANGID>: <translation>" for every other language. The tool
// refuses a source with a missing or doubled translation, an unknown or doubled language, a
// language name that is not four hex digits, a doubled English text, a text containing "=",
// a text holding a character that the reader of ui.local takes as a line end (CR, VT, FF,
// U+2028, U+2029) or NUL, and a source that is not UTF-8, naming the line, so a broken or
// incomplete table never ships.
#include "core/language/vgLang.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cstdio>
#include <map>

namespace {

struct Entry {
    int line = 0;
    QString source;
    std::map<QString, QString> translations;
};

int fail(const QString& file, int line, const QString& why) {
    std::fprintf(stderr, "%s:%d: %s\n", qPrintable(file), line, qPrintable(why));
    return 1;
}

// A character that would end the line when ui.local is read back, splitting the entry.
bool breaksLine(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || u == u'\r' || u == u'\n' || u == 0x0B || u == 0x0C || u == 0x2028 || u == 0x2029) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source> <output>\n", argv[0]);
        return 2;
    }
    // The order of the sorted lists follows the default locale; pin it so that every build
    // writes the same bytes.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString srcPath = QString::fromLocal8Bit(argv[1]);
    const QString outPath = QString::fromLocal8Bit(argv[2]);

    QFile f(srcPath);
    if (!f.open(QIODevice::ReadOnly)) return fail(srcPath, 0, QStringLiteral("cannot be read"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString content = utf8(f.readAll());
    if (utf8.hasError()) return fail(srcPath, 0, QStringLiteral("is not valid UTF-8"));
    if (content.startsWith(QChar(0xFEFF))) content.remove(0, 1);
    const QStringList lines = content.split(QLatin1Char('\n'));
    static const QRegularExpression langIdPattern(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    bool haveLanguages = false;
    bool haveSourceLanguage = false;

    QStringList languages;
    QString sourceLanguage;
    std::vector<Entry> entries;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const int no = i + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon <= 0) return fail(srcPath, no, QStringLiteral("expected \"key: text\""));
        const QString key = line.left(colon);
        const QString text = line.mid(colon + 2);
        if (breaksLine(text))
            return fail(srcPath, no,
                        QStringLiteral("the text holds a line break or NUL, which would split it in ui.local"));
        if (key == QLatin1String("languages")) {
            if (haveLanguages) return fail(srcPath, no, QStringLiteral("a second \"languages:\" line"));
            if (!entries.empty()) return fail(srcPath, no, QStringLiteral("\"languages:\" after the first text"));
            haveLanguages = true;
            languages = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int a = 0; a < languages.size(); ++a) {
                if (!langIdPattern.match(languages[a]).hasMatch())
                    return fail(srcPath, no,
                                QStringLiteral("language %1 is not a LANGID of four hex digits").arg(languages[a]));
                for (int b = 0; b < a; ++b)
                    if (languages[a].compare(languages[b], Qt::CaseInsensitive) == 0)
                        return fail(srcPath, no, QStringLiteral("language %1 is listed twice").arg(languages[a]));
            }
        } else if (key == QLatin1String("source-language")) {
            if (haveSourceLanguage) return fail(srcPath, no, QStringLiteral("a second \"source-language:\" line"));
            haveSourceLanguage = true;
            sourceLanguage = text.trimmed();
        } else if (key == QLatin1String("en")) {
            if (text.isEmpty()) return fail(srcPath, no, QStringLiteral("empty English text"));
            if (text.contains(QLatin1Char('=')))
                return fail(srcPath, no, QStringLiteral("a text containing \"=\" cannot be translated"));
            entries.push_back(Entry{no, text, {}});
        } else {
            if (entries.empty()) return fail(srcPath, no, QStringLiteral("translation before the first \"en:\""));
            if (!languages.contains(key) || key == sourceLanguage)
                return fail(srcPath, no, QStringLiteral("unknown language %1").arg(key));
            if (text.isEmpty()) return fail(srcPath, no, QStringLiteral("empty translation"));
            if (!entries.back().translations.emplace(key, text).second)
                return fail(srcPath, no, QStringLiteral("second translation into %1").arg(key));
        }
    }
    if (languages.isEmpty()) return fail(srcPath, 0, QStringLiteral("no \"languages:\" line"));
    if (haveSourceLanguage && !languages.contains(sourceLanguage))
        return fail(srcPath, 0,
                    QStringLiteral("the source language %1 is not among the languages").arg(sourceLanguage));
    if (entries.empty()) return fail(srcPath, 0, QStringLiteral("no texts"));

    TvgLang lang;
    for (const QString& l : languages) lang.AddLang(l);
    for (const Entry& e : entries) {
        if (!lang.Original().Add(e.source))
            return fail(srcPath, e.line, QStringLiteral("\"%1\" is listed twice").arg(e.source));
        for (const QString& l : languages) {
            if (l == sourceLanguage) continue;
            const auto it = e.translations.find(l);
            if (it == e.translations.end())
                return fail(srcPath, e.line, QStringLiteral("no translation into %1").arg(l));
            lang.Resources()[static_cast<size_t>(lang.IndexOfResource(l))].Table.Add(e.source + QLatin1Char('=') +
                                                                                     it->second);
        }
    }
    QDir().mkpath(QFileInfo(outPath).absolutePath());
    try {
        lang.SaveToFile(outPath);
    } catch (const std::exception& e) {
        return fail(outPath, 0, QString::fromUtf8(e.what()));
    }
    return 0;
}
