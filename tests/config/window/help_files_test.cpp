// The help pages shipped beside the program (the build's bin folder, as installed): every
// language of the language file has a [HelpFiles] entry in the shipped config.ini that the
// window's help button opens, a page inside the program's folder; each page is a whole page for
// users (its sections, the udev rule for the "not permitted" case, links that resolve inside it,
// nothing fetched from elsewhere). In screenshot mode each page is also rendered as Qt shows
// rich text.
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "tests/config/support/screenshot.h"
#include "tests/config/window/recording_link.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using vyk::test::ScopedEnv;

namespace {

const fs::path kBin = VYK_TEST_BIN_DIR;

QStringList shippedLanguages() {
    TvgLang lang;
    lang.LoadFromFile(QString::fromStdString((kBin / "ui.local").string()));
    QStringList names;
    for (const auto& r : lang.Resources()) names << r.Name;
    return names;
}

QStringList helpPages() {
    QStringList pages;
    const QDir dir(QString::fromStdString((kBin / "help").string()));
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name))
        pages << dir.filePath(name);
    return pages;
}

QString readPage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

// The window on the build's program folder, with a private store and Documents folder.
class HelpFilesTest : public ::testing::Test {
protected:
    void SetUp() override { FreeGlobalImageDataBase(); }
    ScopedEnv exe_{"VYK_EXE_DIR", kBin.string()};
    ScopedEnv registry_{"VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string()};
    ScopedEnv docs_{"VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string()};
    cfgtest::RecordingLink link_;
};

TEST_F(HelpFilesTest, EveryShippedLanguageOpensItsOwnPageInsideTheProgramFolder) {
    const QStringList languages = shippedLanguages();
    ASSERT_EQ(languages, (QStringList{"0409", "0804", "0404"}));
    TDM dm;
    TVYKCFGMAIN w(&dm, &link_);
    const QString help = QString::fromStdString(fs::canonical(kBin).string()) + "/help/";
    QSet<QString> pages;
    for (const QString& language : languages) {
        SCOPED_TRACE(language.toStdString());
        // The language's own line, not the fallback to 0409.
        EXPECT_FALSE(dm.FOtherConfig.HelpFile.filter(QRegularExpression("^" + language + "=")).isEmpty());
        const QString target = w.HelpTarget(language);
        EXPECT_TRUE(target.startsWith(help)) << target.toStdString();
        EXPECT_TRUE(target.endsWith(".html")) << target.toStdString();
        pages.insert(target);
    }
    EXPECT_EQ(pages.size(), languages.size());
    QTest::mouseClick(w.BtnHelp, Qt::LeftButton);
    EXPECT_EQ(link_.opened, QStringList{w.HelpTarget(w.uiLanguage1->Lang())});
}

TEST_F(HelpFilesTest, EachPageCoversWhatAUserNeedsAndStandsAlone) {
    const QStringList pages = helpPages();
    ASSERT_EQ(pages.size(), 3);
    const QStringList sections{"start", "general", "functions", "macros",  "dpi",   "light",
                               "info",  "apply",   "profiles",  "monitor", "files", "trouble"};
    for (const QString& path : pages) {
        SCOPED_TRACE(path.toStdString());
        const QString html = readPage(path);
        EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">"));
        EXPECT_TRUE(html.contains(QRegularExpression("<html lang=\"[a-zA-Z-]+\">")));
        EXPECT_TRUE(html.contains(QRegularExpression("<title>[^<]+</title>")));
        for (const QString& id : sections) EXPECT_TRUE(html.contains("id=\"" + id + "\"")) << id.toStdString();
        // Every link inside the page has its target.
        const auto links = QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html);
        for (auto it = links; it.hasNext();) {
            const QString id = it.next().captured(1);
            EXPECT_TRUE(html.contains("id=\"" + id + "\"")) << id.toStdString();
        }
        // Troubleshooting names the rule that lets the user open the mouse, and how to load it.
        for (const char* needle : {"70-vyk-mouse.rules", "udevadm control --reload", "/dev/hidraw", "VYK_DEBUG=1",
                                   "MacroSet.MSDB", "config.ini"}) {
            EXPECT_TRUE(html.contains(needle)) << needle;
        }
        // Nothing is fetched from elsewhere, and no placeholder address.
        EXPECT_FALSE(html.contains(QRegularExpression("(src|href)=\"(https?:)?//"))) << "outside resource";
        EXPECT_FALSE(html.contains("example.")) << "placeholder address";
        QTextDocument doc;
        doc.setHtml(html);
        EXPECT_GT(doc.toPlainText().size(), 4000);
    }
}

// Renders each page whole, at a browser-like width, as Qt's rich text shows it.
class ScreenshotHelp : public HelpFilesTest {};

TEST_F(ScreenshotHelp, EachHelpPage) {
    const QString dir = vyk::test::screenshotDir();
    if (dir.isEmpty()) GTEST_SKIP() << "screenshot mode only";
    for (const QString& path : helpPages()) {
        QTextDocument doc;
        doc.setHtml(readPage(path));
        doc.setTextWidth(900);
        const QSize size(900, static_cast<int>(doc.size().height()) + 1);
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0x1b, 0x1e, 0x22));
        QPainter p(&image);
        doc.drawContents(&p);
        p.end();
        // In screen-sized parts, as a reader scrolls through it.
        constexpr int kPart = 1100;
        for (int top = 0, n = 1; top < image.height(); top += kPart, ++n) {
            const QString name = QStringLiteral("help-%1-%2.png").arg(QFileInfo(path).completeBaseName()).arg(n);
            EXPECT_TRUE(image.copy(0, top, image.width(), std::min(kPart, image.height() - top))
                            .save(QDir(dir).filePath(name)));
        }
    }
}

}  // namespace
