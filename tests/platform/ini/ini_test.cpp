#include "platform/ini/ini_file.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QStringEncoder>

#include <sys/stat.h>

using vyk::platform::IniFile;
namespace fs = std::filesystem;

namespace {
QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

const char* kConfig =
    "; shipped defaults\r\n"
    "stray=before any section\r\n"
    "[Options]\r\n"
    "  ProfileRegFolder = software\\Acme\\Mouse  \r\n"
    "profileFolder=\"My Profiles\"\r\n"
    "quoted='single'\r\n"
    "halfquoted=\"open\r\n"
    "empty=\r\n"
    "  ; indented comment=1\r\n"
    "no equals sign\r\n"
    "PROFILEFOLDER=second spelling loses\r\n"
    "[OtherConfig]\n"
    "NOLOGO=1\n"
    "OfficialWebsite=http://example.test/a=b\n"
    "[HelpFiles]\n"
    "0409=help\\en.pdf\n"
    "0804=\n"
    "0407=help\\de.pdf\n"
    "0409=duplicate\n"
    "[options]\n"
    "later=sections of the same name are not read\n";
}  // namespace

TEST(IniFileTest, ReadsWithCaseInsensitiveNamesFirstMatchAndNoEscapes) {
    const fs::path file = vyk::test::freshDir("ini") / "config.ini";
    vyk::test::writeText(file, kConfig);
    const IniFile ini(q(file));
    ASSERT_TRUE(ini.loaded());

    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"options", "profileregfolder", "software\\Acme\\Mouse"},
        {"OPTIONS", "profileFolder", "My Profiles"},
        {"options", "quoted", "single"},
        {"options", "halfquoted", "\"open"},
        {"options", "empty", ""},
        {"options", "; indented comment", "<default>"},
        {"options", "no equals sign", "<default>"},
        {"options", "stray", "<default>"},
        {"options", "later", "<default>"},
        {"OtherConfig", "NoLogo", "1"},
        {"otherconfig", "officialwebsite", "http://example.test/a=b"},
        {"missing", "x", "<default>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini.sectionKeys("helpfiles"), (QStringList{"0409", "0804", "0407"}));
    EXPECT_EQ(ini.readString("HelpFiles", "0409"), "help\\en.pdf");
}

TEST(IniFileTest, IntegersFollowTheDecimalAndHexRules) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"10", 10},
        {"-5", -5},
        {"+7", 7},
        {"$1F", 31},
        {"0x1f", 31},
        {"0XFF", 255},
        {"-$10", -16},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -99},
        {"0x100000000", -99},
        {"12abc", -99},
        {"", -99},
        {"$", -99},
        {"0x", -99},
        {"1 2", -99},
        {"1.5", -99},
    };
    std::string text = "[s]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) text += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    const fs::path file = vyk::test::freshDir("ini-int") / "config.ini";
    vyk::test::writeText(file, text);
    const IniFile ini(q(file));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ini.readInteger("S", QString("K%1").arg(i), -99), cases[i].expected) << cases[i].text;
    }
    EXPECT_EQ(ini.readInteger("s", "missing", 42), 42);
}

TEST(IniFileTest, ReadsUtf16AndUtf8WithByteOrderMarks) {
    const fs::path dir = vyk::test::freshDir("ini-enc");
    const QString text = QStringLiteral("[Options]\r\nprofilePrefix=Profilé\r\n");
    QStringEncoder le(QStringEncoder::Utf16LE);
    QStringEncoder be(QStringEncoder::Utf16BE);
    const QByteArray variants[] = {
        QByteArray("\xFF\xFE", 2) + le.encode(text),
        QByteArray("\xFE\xFF", 2) + be.encode(text),
        QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
        text.toUtf8(),
    };
    int n = 0;
    for (const QByteArray& bytes : variants) {
        const fs::path file = dir / ("c" + std::to_string(n++) + ".ini");
        vyk::test::writeBytes(file, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        EXPECT_EQ(IniFile(q(file)).readString("options", "profileprefix"), QStringLiteral("Profilé")) << n;
    }
    // Bytes that are not UTF-8 (a file saved in a legacy code page) are still read.
    const fs::path latin = dir / "latin.ini";
    vyk::test::writeBytes(latin, {'[', 's', ']', '\n', 'k', '=', 'a', 0xE9, '\n'});
    EXPECT_EQ(IniFile(q(latin)).readString("s", "k"), QStringLiteral("a\u00e9"));
}

TEST(IniFileTest, MissingFileGivesDefaults) {
    const IniFile ini(q(vyk::test::freshDir("ini-none") / "config.ini"));
    EXPECT_FALSE(ini.loaded());
    EXPECT_EQ(ini.readString("options", "ProfileRegFolder", "software\\Vykgmmouse"), "software\\Vykgmmouse");
    EXPECT_EQ(ini.readInteger("OtherConfig", "NoLogo", 0), 0);
    EXPECT_TRUE(ini.sectionKeys("HelpFiles").isEmpty());
}

TEST(IniFileTest, APipeDeviceOrHugeFileInPlaceOfTheFileCountsAsUnreadable) {
    const fs::path dir = vyk::test::freshDir("ini-special");
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.ini");
    vyk::test::writeText(dir / "huge.ini", "[a]\nk=1\n" + std::string(2u << 20, ';'));
    for (const char* name : {"fifo.ini", "zero.ini", "huge.ini"}) {
        const IniFile ini(q(dir / name));
        EXPECT_FALSE(ini.loaded()) << name;
        EXPECT_EQ(ini.readString("a", "k", "dflt"), "dflt") << name;
    }
}
