// The skin drawn at build time: every file the windows ask for is there under its exact name,
// loads, has the size the windows are laid out for, the button states differ, the pictures
// keep their transparency contract, and the generator draws the same bytes every time. The
// program icons beside it: every hicolor size of both programs and the tray icon file.
#include <gtest/gtest.h>

#include <vector>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

namespace {

const QString kSkinDir = QStringLiteral(VYK_TEST_BIN_DIR "/images/0409/");

struct Expected {
    const char* folder;
    const char* name;
    QSize size;  // empty: any non-zero size
};

// Every name the windows of VykCfg load, in the case they are generated with.
const std::vector<Expected>& backgroundsAndControls() {
    static const std::vector<Expected> list = {
        {"background", "cfgMainback.png", {801, 638}},
        {"background", "mouse-layout-front.png", {}},
        {"background", "mouse-layout-Side.png", {}},
        {"background", "mouse-layout-Color.png", {}},
        {"background", "DB-CLICK-TEST-AREA.png", {50, 50}},
        {"background", "dlg-back.png", {478, 292}},
        {"controls", "Indicator-bar-back.png", {}},
        {"controls", "Indicator-bar-back-sm.png", {}},
        {"controls", "dpi-indicator-x.png", {}},
        {"controls", "dpi-indicator-y.png", {}},
        {"controls", "checkbox-1.png", {18, 18}},
        {"controls", "checkbox-2.png", {18, 18}},
        {"controls", "scroll-bar-top-button.png", {}},
        {"controls", "scroll-bar-bottom-button.png", {}},
        {"controls", "macro-action-item-flag-down.png", {}},
        {"controls", "macro-action-item-flag-up.png", {}},
        {"controls", "macro-action-item-flag-delay.png", {}},
        {"controls", "macro-action-item-mouse-flag-down.png", {}},
        {"controls", "macro-action-item-mouse-flag-up.png", {}},
        {"controls", "icon-warning.png", {}},
        {"controls", "icon-error.png", {}},
    };
    return list;
}

struct ButtonSet {
    const char* base;
    int states;
    QSize size;
};

const std::vector<ButtonSet>& buttonSets() {
    static const std::vector<ButtonSet> list = {
        {"tabbutton", 3, {128, 36}},    {"ProfileButton", 3, {140, 40}},
        {"ButtonAssign", 3, {150, 23}}, {"ok", 3, {110, 34}},
        {"min", 3, {26, 26}},           {"Close", 3, {26, 26}},
        {"Button", 3, {100, 30}},       {"ButtonTool", 3, {150, 26}},
        {"iconstart", 2, {40, 40}},     {"iconstop", 2, {40, 40}},
    };
    return list;
}

QStringList allRelativePaths() {
    QStringList out;
    for (const Expected& e : backgroundsAndControls())
        out << QStringLiteral("%1/%2").arg(QLatin1String(e.folder), QLatin1String(e.name));
    for (const ButtonSet& b : buttonSets())
        for (int s = 1; s <= b.states; ++s)
            out << QStringLiteral("buttons/%1-%2.png").arg(QLatin1String(b.base)).arg(s);
    return out;
}

QImage load(const QString& rel) { return QImage(kSkinDir + rel); }

TEST(SkinFiles, EveryNamedPictureExistsUnderItsExactNameAndLoads) {
    for (const Expected& e : backgroundsAndControls()) {
        const QString rel = QStringLiteral("%1/%2").arg(QLatin1String(e.folder), QLatin1String(e.name));
        SCOPED_TRACE(rel.toStdString());
        // Exact case on disk: the directory listing holds the name as written.
        EXPECT_TRUE(QDir(kSkinDir + e.folder).entryList(QDir::Files).contains(QLatin1String(e.name)));
        const QImage img = load(rel);
        ASSERT_FALSE(img.isNull());
        EXPECT_GT(img.width(), 0);
        EXPECT_GT(img.height(), 0);
        if (!e.size.isEmpty()) {
            EXPECT_EQ(img.size(), e.size);
        }
    }
}

TEST(SkinFiles, ButtonStatesExistHaveOneSizeAndDiffer) {
    for (const ButtonSet& b : buttonSets()) {
        SCOPED_TRACE(b.base);
        std::vector<QImage> states;
        for (int s = 1; s <= b.states; ++s) {
            const QString name = QStringLiteral("%1-%2.png").arg(QLatin1String(b.base)).arg(s);
            EXPECT_TRUE(QDir(kSkinDir + "buttons").entryList(QDir::Files).contains(name)) << name.toStdString();
            states.push_back(load("buttons/" + name));
            ASSERT_FALSE(states.back().isNull()) << name.toStdString();
            EXPECT_EQ(states.back().size(), b.size) << name.toStdString();
        }
        for (size_t i = 0; i < states.size(); ++i)
            for (size_t j = i + 1; j < states.size(); ++j)
                EXPECT_NE(states[i], states[j]) << "states " << i + 1 << " and " << j + 1 << " look the same";
    }
}

TEST(SkinFiles, NothingBesidesTheNamedPictures) {
    // A stray or misspelt file would mean a window asks for a name that is not drawn.
    QStringList found;
    for (const char* folder : {"background", "buttons", "controls"})
        for (const QString& f : QDir(kSkinDir + folder).entryList(QDir::Files))
            found << QStringLiteral("%1/%2").arg(QLatin1String(folder), f);
    QStringList expected = allRelativePaths();
    found.sort();
    expected.sort();
    EXPECT_EQ(found, expected);
}

TEST(SkinPictures, MousePicturesAreOnTransparentGroundAndTheLogoLetsColourThrough) {
    for (const char* name : {"mouse-layout-front.png", "mouse-layout-Side.png", "mouse-layout-Color.png"}) {
        SCOPED_TRACE(name);
        const QImage img = load(QStringLiteral("background/") + name).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(img.isNull());
        EXPECT_GE(img.height(), 300);
        EXPECT_LE(img.height(), 360);
        for (QPoint corner : {QPoint(0, 0), QPoint(img.width() - 1, 0), QPoint(0, img.height() - 1),
                              QPoint(img.width() - 1, img.height() - 1)})
            EXPECT_EQ(qAlpha(img.pixel(corner)), 0);
        // The body itself is opaque in the middle of the palm, left of the logo.
        EXPECT_EQ(qAlpha(img.pixel(img.width() / 2 - 40, img.height() * 2 / 3)), 255);
    }
    // The lighting view: the logo (centre 110,238, documented in README) is a diffuser that is
    // neither opaque nor empty, so the colour placed behind the picture shows through it; in the
    // front view the same spot is solid.
    const QImage color = load("background/mouse-layout-Color.png").convertToFormat(QImage::Format_ARGB32);
    const QImage front = load("background/mouse-layout-front.png").convertToFormat(QImage::Format_ARGB32);
    const QPoint logoGap(110 - 12, 238);  // inside the hexagon, between the strokes
    EXPECT_GT(qAlpha(color.pixel(logoGap)), 0);
    EXPECT_LT(qAlpha(color.pixel(logoGap)), 255);
    EXPECT_EQ(qAlpha(front.pixel(logoGap)), 255);
}

TEST(SkinPictures, TheSideViewsThumbButtonsCarryTheirNumbersRowByRow) {
    const QImage side = load("background/mouse-layout-Side.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(side.isNull());
    // The light strokes on each button (column c, row r at 50 + 25c, 98 + 30.5r, 22x27; README):
    // button 3r + c + 1 of the side list.
    std::vector<QImage> marks;
    for (int key = 0; key < 12; ++key) {
        SCOPED_TRACE(key + 1);
        const QRect cap(50 + 25 * (key % 3), 98 + static_cast<int>(30.5 * (key / 3)), 22, 27);
        QImage mark(cap.size(), QImage::Format_Mono);
        mark.fill(0);
        QRect ink;
        for (int y = 0; y < cap.height(); ++y)
            for (int x = 0; x < cap.width(); ++x)
                if (qGray(side.pixel(cap.topLeft() + QPoint(x, y))) >= 0xA0) {
                    mark.setPixel(x, y, 1);
                    ink |= QRect(x, y, 1, 1);
                }
        ASSERT_FALSE(ink.isEmpty()) << "no number on the button";
        EXPECT_TRUE(cap.translated(-cap.topLeft()).adjusted(3, 3, -3, -3).contains(ink))
            << "the number leaves its button";
        // One digit on buttons 1 to 9, two on 10 to 12: an empty column splits the ink in two.
        bool split = false;
        for (int x = ink.left(); x <= ink.right(); ++x) {
            bool empty = true;
            for (int y = ink.top(); y <= ink.bottom(); ++y) empty = empty && mark.pixelIndex(x, y) == 0;
            split = split || empty;
        }
        EXPECT_EQ(split, key >= 9);
        marks.push_back(mark);
    }
    for (std::size_t a = 0; a < marks.size(); ++a)
        for (std::size_t b = a + 1; b < marks.size(); ++b) EXPECT_NE(marks[a], marks[b]) << a + 1 << " and " << b + 1;
}

TEST(SkinPictures, BackgroundsAreOpaqueSoTheWindowsNeedNoTranslucency) {
    for (const char* name : {"cfgMainback.png", "dlg-back.png"}) {
        SCOPED_TRACE(name);
        const QImage img = load(QStringLiteral("background/") + name);
        ASSERT_FALSE(img.isNull());
        const QImage a = img.convertToFormat(QImage::Format_ARGB32);
        int seeThrough = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (qAlpha(a.pixel(x, y)) != 255) ++seeThrough;
        EXPECT_EQ(seeThrough, 0);
    }
}

QByteArray digestOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

int runGenerator(const QStringList& args) {
    QProcess gen;
    gen.start(QStringLiteral(VYK_SKIN_GEN), args);
    if (!gen.waitForFinished(120000)) return -1;
    return gen.exitStatus() == QProcess::NormalExit ? gen.exitCode() : -1;
}

TEST(SkinGenerator, DrawsTheSameBytesEveryRun) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(runGenerator({"--out", dir.path()}), 0);
    for (const QString& rel : allRelativePaths()) {
        SCOPED_TRACE(rel.toStdString());
        const QByteArray built = digestOf(kSkinDir + rel);
        ASSERT_FALSE(built.isEmpty());
        EXPECT_EQ(digestOf(dir.path() + '/' + rel), built);
    }
}

const QList<int> kHicolorSizes{16, 22, 24, 32, 48, 64, 128, 256};

QString iconPath(const QString& dir, const char* program, int size) {
    return QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(dir).arg(size).arg(QLatin1String(program));
}

// Share of the pixels whose red clearly outweighs green and blue: the skin's accent.
double redShare(const QImage& img) {
    const QImage a = img.convertToFormat(QImage::Format_ARGB32);
    int red = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb c = a.pixel(x, y);
            if (qAlpha(c) > 128 && qRed(c) > 150 && qRed(c) > 2 * qGreen(c) && qRed(c) > 2 * qBlue(c)) ++red;
        }
    return double(red) / (a.width() * a.height());
}

TEST(ProgramIcons, EveryHicolorSizeOfBothProgramsIsASquareGraphiteTileWithTheRedAccent) {
    for (int size : kHicolorSizes) {
        SCOPED_TRACE(size);
        QImage icons[2];
        int i = 0;
        for (const char* program : {"vykcfg", "vykmon"}) {
            QImage img(iconPath(QStringLiteral(VYK_ICON_DIR), program, size));
            ASSERT_FALSE(img.isNull()) << program;
            EXPECT_EQ(img.size(), QSize(size, size)) << program;
            img = img.convertToFormat(QImage::Format_ARGB32);
            // Transparent corners round a tile that is opaque and dark in its middle column.
            EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << program;
            const QRgb middle = img.pixel(size / 2, size - 1 - size / 10);
            EXPECT_EQ(qAlpha(middle), 255) << program;
            EXPECT_LT(qGray(middle), 90) << program;
            EXPECT_GT(redShare(img), 0.02) << program;
            icons[i++] = img;
        }
        EXPECT_NE(icons[0], icons[1]) << "the two programs look the same";
    }
}

TEST(ProgramIcons, TheTrayIconFileLoadsAtEveryTraySize) {
    const QString ico = kSkinDir + "icons/logo.ico";
    QImageReader reader(ico);
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_EQ(reader.imageCount(), 6);
    const QIcon icon(ico);
    QList<int> sizes;
    for (const QSize& s : icon.availableSizes()) sizes << s.width();
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (QList<int>{16, 22, 24, 32, 48, 64}));
    // Each entry is the monitor's icon at that size.
    for (int size : {16, 32, 64}) {
        SCOPED_TRACE(size);
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        const QImage fromIco = icon.pixmap(size, size).toImage().convertToFormat(premultiplied);
        const QImage png =
            QImage(iconPath(QStringLiteral(VYK_ICON_DIR), "vykmon", size)).convertToFormat(premultiplied);
        EXPECT_EQ(fromIco, png);
    }
}

TEST(ProgramIcons, TheGeneratorDrawsTheSameIconBytesEveryRun) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(runGenerator({"--icons", dir.path(), dir.path() + "/logo.ico"}), 0);
    EXPECT_EQ(digestOf(dir.path() + "/logo.ico"), digestOf(kSkinDir + "icons/logo.ico"));
    for (int size : kHicolorSizes)
        for (const char* program : {"vykcfg", "vykmon"})
            EXPECT_EQ(digestOf(iconPath(dir.path(), program, size)),
                      digestOf(iconPath(QStringLiteral(VYK_ICON_DIR), program, size)))
                << program << " " << size;
}

TEST(SkinGenerator, ReportsAFolderItCannotWriteAndRefusesBadArguments) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A plain file where the image folder should be.
    QFile blocker(dir.path() + "/images");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(runGenerator({"--out", dir.path() + "/images"}), 1);
    EXPECT_EQ(runGenerator({}), 2);
    EXPECT_EQ(runGenerator({"--paint", dir.path()}), 2);
    EXPECT_EQ(runGenerator({"--icons", dir.path()}), 2);
    EXPECT_EQ(runGenerator({"--icons", dir.path() + "/images/sub", dir.path() + "/logo.ico"}), 1);
}

}  // namespace
