// Builds the language file ui.local from its readable source (ui-texts.txt).
//
//   vyk_ui_local_gen <source> <output>
//
// The source lists the languages ("languages: 0409 0804 0404"), the language of the source
// texts ("source-language: 0409", whose table stays empty) and then one entry per English
// text: "en: <text>" followed by "<LANGID>: <translation>" for every other language. The tool
// refuses a source with a missing or doubled translation, an unknown language, a doubled
// English text or a text containing "=", naming the line, so an incomplete table never ships.
#include "language/vgLang.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

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
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));

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
        if (key == QLatin1String("languages")) {
            languages = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        } else if (key == QLatin1String("source-language")) {
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
            lang.Resources()[static_cast<size_t>(lang.IndexOfResource(l))].Table.Add(e.source + QLatin1Char('=') + it->second);
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
