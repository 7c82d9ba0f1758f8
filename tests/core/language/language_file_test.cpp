// The language file: its exact bytes, the reading rules of its text blocks, and damaged files.
#include "tests/core/language/lang_test_util.h"

#include "core/language/uiLanguage.h"
#include "tests/support/test_env.h"

#include <filesystem>

#include <sys/stat.h>

using namespace langtest;

namespace {

QStringList linesOf(const TTextList& l) { return l.Lines(); }

}  // namespace

TEST(LanguageFile, SingleTextFileIsExactly48Bytes) {
    TvgLang lang;
    lang.Original().Add(QStringLiteral("OK"));
    lang.AddLang(QStringLiteral("0409"));
    lang.Resources()[0].Table.Add(QStringLiteral("OK=Yes"));

    QByteArray expected;
    expected.append("\x04\x00\x00\x00", 4);
    expected.append("O\0K\0\r\0\n\0", 8);
    expected.append("\x01\x00\x00\x00", 4);
    expected.append("\x04\x00\x00\x00", 4);
    expected.append("0\0004\0000\0009\0", 8);
    expected.append("\x08\x00\x00\x00", 4);
    expected.append("O\0K\0=\0Y\0e\0s\0\r\0\n\0", 16);
    ASSERT_EQ(expected.size(), 48);
    EXPECT_EQ(lang.SaveToBytes(), expected);

    TvgLang back;
    back.LoadFromBytes(expected);
    EXPECT_EQ(linesOf(back.Original()), QStringList{QStringLiteral("OK")});
    ASSERT_EQ(back.Resources().size(), 1u);
    EXPECT_EQ(back.Resources()[0].Name, QStringLiteral("0409"));
    EXPECT_EQ(back.SaveToBytes(), expected);
}

TEST(LanguageFile, RoundTripKeepsTextsTablesAndLanguageOrder) {
    // Languages keep file order (a stored index points into it), duplicates included; an
    // empty table is written as length 0; a name is any text, a NUL in it included.
    const QByteArray bytes =
        fileBytes({QStringLiteral("Cancel"), QStringLiteral("OK"), QStringLiteral("Über")},
                  {{QStringLiteral("0804"), {QStringLiteral("Cancel=取消"), QStringLiteral("OK=确定")}},
                   {QStringLiteral("0409"), {}},
                   {QStringLiteral("0404"), {QStringLiteral("OK=確定")}},
                   {QStringLiteral("0804"), {QStringLiteral("OK=second")}},
                   {QStringLiteral("04") + QChar(0) + QStringLiteral("x"), {}}});
    TvgLang lang;
    lang.LoadFromBytes(bytes);
    ASSERT_EQ(lang.Resources().size(), 5u);
    EXPECT_EQ(lang.Resources()[1].Table.Count(), 0);
    EXPECT_EQ(lang.Resources()[3].Name, QStringLiteral("0804"));
    EXPECT_EQ(lang.SaveToBytes(), bytes);

    const auto dir = vyk::test::freshDir("roundtrip");
    const QString path = QString::fromStdString((dir / "x.local").string());
    lang.SaveToFile(path);
    TvgLang again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.SaveToBytes(), bytes);
}

TEST(LanguageFile, TextBlockReadingRules) {
    struct Case {
        const char* what;
        QString block;
        QStringList lines;  // sorted, as read
    };
    const Case cases[] = {
        {"CR LF and LF-only read alike", QStringLiteral("b\na\r\n"), {"a", "b"}},
        {"lone CR, VT, FF, U+2028, U+2029 split",
         QStringLiteral("e\rd\vc\fb") + QChar(0x2028) + QStringLiteral("a") + QChar(0x2029) + QStringLiteral("f"),
         {"a", "b", "c", "d", "e", "f"}},
        {"two separators give an empty line", QStringLiteral("a\n\nb"), {"", "a", "b"}},
        {"a final separator gives none", QStringLiteral("a\r\n"), {"a"}},
        {"no final separator", QStringLiteral("a\r\nb"), {"a", "b"}},
        {"NUL ends the lines", QStringLiteral("b\na") + QChar(0) + QStringLiteral("zz\nyy\n"), {"a", "b"}},
        {"duplicates are dropped", QStringLiteral("a\na\r\na"), {"a"}},
        {"case counts", QStringLiteral("ok\nOK\n"), {"ok", "OK"}},
    };
    for (const Case& c : cases) {
        // The block's length still decides where the next field starts.
        QByteArray b;
        appendBlock(b, c.block);
        appendInt(b, 1);
        appendBlock(b, QStringLiteral("0804"));
        appendBlock(b, c.block);
        TvgLang lang;
        ASSERT_NO_THROW(lang.LoadFromBytes(b)) << c.what;
        QStringList expected = c.lines;
        QStringList got = lang.Original().Lines();
        // Compare as sets of lines; the order is the collation's.
        QStringList sortedGot = got, sortedExpected = expected;
        sortedGot.sort();
        sortedExpected.sort();
        EXPECT_EQ(sortedGot, sortedExpected) << c.what;
        EXPECT_EQ(lang.Resources()[0].Table.Lines(), got) << c.what;
    }
}

TEST(LanguageFile, DamagedFilesAreRefusedWithoutChangingAnything) {
    const QByteArray good = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
    auto withInt = [](std::int32_t v) {
        QByteArray b;
        appendInt(b, v);
        return b;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    std::vector<Case> cases = {
        {"empty file", QByteArray()},
        {"ends inside the first length", QByteArray("\x04\x00", 2)},
        {"source length beyond the file", withInt(1000) + QByteArray("O\0K\0", 4)},
        {"negative source length", withInt(-1) + withInt(0)},
        {"odd byte count: text cut inside a character", withInt(2) + QByteArray("O\0K", 3)},
        {"no language count", withInt(0)},
        {"huge language count", withInt(0) + withInt(0x7FFFFFFF)},
        {"negative language count", withInt(0) + withInt(-5)},
        {"more languages than records", good.left(good.size()) + QByteArray()},
        {"name length beyond the file", withInt(0) + withInt(1) + withInt(0x10000000) + withInt(0)},
        {"table length that overflows 32 bits when doubled",
         withInt(0) + withInt(1) + withInt(0) + withInt(0x7FFFFFFF)},
        {"table cut short", good.left(good.size() - 2)},
    };
    // The good file with its language count raised to 2: one record is missing.
    cases[8].bytes = good;
    const qsizetype countPos = 4 + 2 * 4;  // after "OK\r\n"
    cases[8].bytes.replace(countPos, 4, withInt(2));

    for (const Case& c : cases) {
        TvgLang lang;
        lang.LoadFromBytes(good);
        const QByteArray before = lang.SaveToBytes();
        EXPECT_THROW(lang.LoadFromBytes(c.bytes, QStringLiteral("ui.local")), LanguageFileError) << c.what;
        EXPECT_EQ(lang.SaveToBytes(), before) << c.what;
    }
}

TEST(LanguageFile, TrailingBytesAfterTheLastRecordAreIgnored) {
    QByteArray b = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
    b.append("junk", 4);
    TvgLang lang;
    ASSERT_NO_THROW(lang.LoadFromBytes(b));
    EXPECT_EQ(lang.Resources().size(), 1u);
}

TEST(LanguageFile, MissingFileChangesNothing) {
    TvgLang lang;
    lang.Original().Add(QStringLiteral("OK"));
    lang.LoadFromFile(QString::fromStdString((vyk::test::freshDir("missing") / "ui.local").string()));
    EXPECT_EQ(lang.Original().Count(), 1);
    EXPECT_TRUE(lang.Resources().empty());
}

TEST(LanguageFile, APipeOrDeviceInPlaceOfTheFileIsRefusedWithoutChangingAnything) {
    const auto dir = vyk::test::freshDir("special");
    ASSERT_EQ(::mkfifo((dir / "fifo.local").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.local");
    for (const char* name : {"fifo.local", "zero.local"}) {
        TvgLang lang;
        lang.Original().Add(QStringLiteral("OK"));
        EXPECT_THROW(lang.LoadFromFile(QString::fromStdString((dir / name).string())), LanguageFileError) << name;
        EXPECT_EQ(lang.Original().Count(), 1);
    }
}

TEST(LanguageFile, AddLangIgnoresAnExistingNameWhateverItsCase) {
    TvgLang lang;
    lang.AddLang(QStringLiteral("0c04"));
    lang.AddLang(QStringLiteral("0C04"));
    EXPECT_EQ(lang.Resources().size(), 1u);
}
