// The build tool that turns the readable text source into ui.local: the bytes it writes, and
// the sources it must refuse rather than ship a broken table.
#include "tests/core/language/lang_test_util.h"

#include <QProcess>

#include <string>

using namespace langtest;

namespace {

struct GenResult {
    int exitCode = -1;
    QString errors;
    bool wroteOutput = false;
    QByteArray output;
};

GenResult runGenerator(const QByteArray& source) {
    const auto dir = vyk::test::freshDir("gen");
    const auto src = dir / "texts.txt";
    const auto out = dir / "out" / "ui.local";
    vyk::test::writeBytes(src, std::vector<std::uint8_t>(source.begin(), source.end()));
    QProcess p;
    p.start(QStringLiteral(VYK_UI_LOCAL_GEN),
            {QString::fromStdString(src.string()), QString::fromStdString(out.string())});
    GenResult r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.errors = QString::fromUtf8(p.readAllStandardError());
    r.wroteOutput = std::filesystem::exists(out);
    if (r.wroteOutput) {
        const auto v = vyk::test::readBytes(out);
        r.output = QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
    }
    return r;
}

const QByteArray kHead = "languages: 0409 0804 0404\nsource-language: 0409\n\n";

}  // namespace

TEST(UiLocalGenerator, WritesSortedTextsAndOneTablePerLanguageInListedOrder) {
    const GenResult r = runGenerator(kHead +
                                     "# a comment\r\n"
                                     "en: OK\r\n0804: 确定\r\n0404: 確定\r\n\r\n"
                                     "en: Cancel\n0404: 取消\n0804: 取消\n\n"
                                     "en: Wait: now\n0804: 等等: 现在\n0404: 等等: 現在\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(
        r.output,
        fileBytes(
            {QStringLiteral("Cancel"), QStringLiteral("OK"), QStringLiteral("Wait: now")},
            {{QStringLiteral("0409"), {}},
             {QStringLiteral("0804"),
              {QStringLiteral("Cancel=取消"), QStringLiteral("OK=确定"), QStringLiteral("Wait: now=等等: 现在")}},
             {QStringLiteral("0404"),
              {QStringLiteral("Cancel=取消"), QStringLiteral("OK=確定"), QStringLiteral("Wait: now=等等: 現在")}}}));
}

TEST(UiLocalGenerator, RefusesSourcesThatWouldShipABrokenOrIncompleteTable) {
    const struct Case {
        const char* what;
        QByteArray source;
    } cases[] = {
        {"missing translation", kHead + "en: OK\n0804: 确定\n"},
        {"second translation", kHead + "en: OK\n0804: 确定\n0804: 好\n0404: 確定\n"},
        {"empty translation", kHead + "en: OK\n0804: \n0404: 確定\n"},
        {"unknown language", kHead + "en: OK\n0804: 确定\n0404: 確定\n0407: Gut\n"},
        {"table for the source language", kHead + "en: OK\n0409: OK\n0804: 确定\n0404: 確定\n"},
        {"English text listed twice", kHead + "en: OK\n0804: 确定\n0404: 確定\nen: OK\n0804: 确定\n0404: 確定\n"},
        {"text holding =", kHead + "en: A=B\n0804: x\n0404: y\n"},
        {"text holding a lone CR", kHead + "en: O\rK\n0804: 确定\n0404: 確定\n"},
        {"translation holding a line separator", kHead + "en: OK\n0804: 确\xE2\x80\xA8定\n0404: 確定\n"},
        {"translation holding VT", kHead + "en: OK\n0804: 确\x0B定\n0404: 確定\n"},
        {"translation holding NUL", kHead + "en: OK\n0804: x" + QByteArray(1, '\0') + "y\n0404: 確定\n"},
        {"not UTF-8", kHead + "en: OK\n0804: \xFF\xFE\n0404: 確定\n"},
        {"no languages line", "en: OK\n0804: 确定\n"},
        {"language listed twice", "languages: 0409 0804 0804\nen: OK\n0804: 确定\n"},
        {"language that is not a LANGID", "languages: 0409 zh\nsource-language: 0409\nen: OK\nzh: 确定\n"},
        {"second languages line", kHead + "languages: 0409 0804\nen: OK\n0804: 确定\n0404: 確定\n"},
        {"source language not listed", "languages: 0804\nsource-language: 0409\nen: OK\n0804: 确定\n"},
        {"no texts", kHead},
        {"line without key", kHead + "OK\n"},
    };
    for (const Case& c : cases) {
        const GenResult r = runGenerator(c.source);
        EXPECT_NE(r.exitCode, 0) << c.what;
        EXPECT_FALSE(r.errors.isEmpty()) << c.what;
        EXPECT_FALSE(r.wroteOutput) << c.what;
    }
}
