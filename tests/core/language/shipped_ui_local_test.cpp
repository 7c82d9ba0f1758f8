// The ui.local built from resources/lang: three complete languages in a fixed order.
#include "tests/core/language/lang_test_util.h"

#include "core/language/uiLanguage.h"

#include <QLocale>

TEST(ShippedLanguageFile, HasThreeCompleteLanguagesInChooserOrder) {
    TvgLang lang;
    ASSERT_NO_THROW(lang.LoadFromFile(QStringLiteral(VYK_UI_LOCAL_PATH)));
    ASSERT_EQ(lang.Resources().size(), 3u);
    EXPECT_EQ(lang.Resources()[0].Name, QStringLiteral("0409"));
    EXPECT_EQ(lang.Resources()[1].Name, QStringLiteral("0804"));
    EXPECT_EQ(lang.Resources()[2].Name, QStringLiteral("0404"));
    EXPECT_EQ(lang.Resources()[0].Table.Count(), 0);
    for (size_t i = 1; i < 3; ++i) {
        for (const QString& text : lang.Original().Lines()) {
            bool found = false;
            const QString t = lang.Resources()[i].Table.ValueOf(text, &found);
            EXPECT_TRUE(found && !t.isEmpty()) << lang.Resources()[i].Name.toStdString() << ": " << text.toStdString();
        }
        EXPECT_EQ(lang.Resources()[i].Table.Count(), lang.Original().Count());
    }
    // Texts of both programs, exactly as they are written.
    const char* texts[] = {
        "GAMING MOUSE CONFIG",
        "GAMING MOUSE MONITOR",
        "GAMING MOUSE DRIVER",
        "Config",
        "About",
        "Exit",
        "THE SETTINGS WAS CHANGED, SAVE THE CURRENT SETTING ANYWAY?",
        "AT LEAST ONE \"CLICK\" FUNCTION TO BE RETAINED.",
        "ARE YOU SURE YOU WANT TO RESET ALL PROFILES BACK TO FACTORY SETTINGS  ?",
        "MUTE(MICROPHONE)",
        "FIRE KEY...",
        "Keyboard Key:",
        "MACRO MANAGER",
        "NEW MACRO NAME:",
        "Mouse Click",
        "Wheel Down(Mouse)",
    };
    for (const char* t : texts) EXPECT_TRUE(lang.Original().Contains(QString::fromUtf8(t))) << t;
    EXPECT_EQ(lang.Resources()[1].Table.ValueOf(QStringLiteral("GAMING MOUSE DRIVER")),
              QStringLiteral("游戏鼠标驱动程序"));
    EXPECT_EQ(lang.Resources()[2].Table.ValueOf(QStringLiteral("GAMING MOUSE DRIVER")),
              QStringLiteral("電競滑鼠驅動程式"));
}

TEST(ShippedLanguageFile, RereadingAndWritingGivesTheSameBytes) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TvgLang lang;
    lang.LoadFromFile(QStringLiteral(VYK_UI_LOCAL_PATH));
    const auto bytes = vyk::test::readBytes(VYK_UI_LOCAL_PATH);
    const QByteArray written = lang.SaveToBytes();
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}
