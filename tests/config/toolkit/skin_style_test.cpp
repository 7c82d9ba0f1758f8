// Fonts fall back to the free families that setup.sh installs, Chinese texts get a font that
// has their glyphs, and the style file is applied only when it is a readable text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QTextLayout>

#include <filesystem>

#include "config/toolkit/SkinStyle.h"
#include "tests/support/test_env.h"

namespace fs = std::filesystem;

namespace {

// Family names may carry their foundry ("URW Gothic [urw]").
QString bare(const QString& family) { return family.section(QStringLiteral(" ["), 0, 0); }

bool installed(const QString& family) {
    for (const QString& f : QFontDatabase::families()) {
        if (bare(f).compare(family, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

// The families the text is actually drawn with, glyph run by glyph run.
QStringList drawnFamilies(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList out;
    for (const QGlyphRun& run : layout.glyphRuns()) out << run.rawFont().familyName();
    return out;
}

}  // namespace

TEST(SkinStyle, DesignedFamiliesComeFirstThenTheFreeOnes) {
    EXPECT_EQ(vyk::config::TitleFamilies().first(), "Futura Std Medium");
    EXPECT_EQ(vyk::config::TextFamilies().first(), "Myriad Pro");
    EXPECT_EQ(vyk::config::CjkFallbackFamilies().first(), QString::fromUtf8("黑体"));
    const QFont title = vyk::config::TitleFont(16, true);
    EXPECT_EQ(title.pixelSize(), 16);
    EXPECT_TRUE(title.bold() && title.italic());
    const QFont text = vyk::config::TextFont(14);
    EXPECT_FALSE(text.bold() || text.italic());
    // A plain QFont with the designed name gets the same fallback.
    EXPECT_TRUE(QFont::substitutes("Myriad Pro").contains("Open Sans", Qt::CaseInsensitive));
}

TEST(SkinStyle, FreeFallbacksAreUsedWhenTheDesignedFontsAreMissing) {
    if (!installed("URW Gothic") || !installed("Open Sans")) GTEST_SKIP() << "run scripts/setup.sh first";
    if (!installed("Futura Std Medium")) {
        EXPECT_EQ(bare(QFontInfo(vyk::config::TitleFont(16, true)).family()), "URW Gothic");
    }
    if (!installed("Myriad Pro")) {
        EXPECT_EQ(bare(QFontInfo(vyk::config::TextFont(14)).family()), "Open Sans");
        EXPECT_EQ(bare(QFontInfo(QFont("Myriad Pro")).family()), "Open Sans");
    }
}

TEST(SkinStyle, ChineseTextsAreDrawnWithAChineseFont) {
    if (!installed("WenQuanYi Micro Hei") && !installed("Noto Sans CJK SC")) {
        GTEST_SKIP() << "run scripts/setup.sh first";
    }
    const QStringList cjk{"WenQuanYi Micro Hei", "Noto Sans CJK SC", QString::fromUtf8("黑体")};
    for (const QFont& f : {vyk::config::TextFont(14), vyk::config::TitleFont(16, true)}) {
        const QStringList families = drawnFamilies(f, QString::fromUtf8("确定要将所有配置恢复为出厂设置吗"));
        ASSERT_FALSE(families.isEmpty());
        for (const QString& family : families) EXPECT_TRUE(cjk.contains(bare(family))) << family.toStdString();
    }
}

TEST(SkinStyle, StyleFileIsAppliedOnlyWhenItIsText) {
    const fs::path exe = vyk::test::freshDir("style-exe");
    vyk::test::ScopedEnv env("VYK_EXE_DIR", exe.string());
    qApp->setStyleSheet(QString());

    EXPECT_FALSE(vyk::config::ApplyStyleFile()) << "no file";

    vyk::test::writeBytes(exe / "images" / "ui.vgstyle", {'o', 'b', 'j', 0, 1, 2, 0xff});
    EXPECT_FALSE(vyk::config::ApplyStyleFile()) << "binary file";
    vyk::test::writeBytes(exe / "images" / "ui.vgstyle", {0xc3, 0x28, 'x'});
    EXPECT_FALSE(vyk::config::ApplyStyleFile()) << "not UTF-8";
    vyk::test::writeText(exe / "images" / "ui.vgstyle", std::string(1024 * 1024 + 1, ' '));
    EXPECT_FALSE(vyk::config::ApplyStyleFile()) << "too large";
    vyk::test::writeText(exe / "images" / "ui.vgstyle", "");
    EXPECT_FALSE(vyk::config::ApplyStyleFile()) << "empty";
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    fs::remove_all(exe / "images");
    const std::string sheet = "QToolTip { color: #e6e8eb; }";
    vyk::test::writeText(exe / "Images" / "UI.vgstyle", sheet);
    EXPECT_TRUE(vyk::config::ApplyStyleFile()) << "found without regard to case";
    EXPECT_EQ(qApp->styleSheet().toStdString(), sheet);
    qApp->setStyleSheet(QString());
}
