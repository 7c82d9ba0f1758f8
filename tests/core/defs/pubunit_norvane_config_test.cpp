// The config.ini readers: the options section's folders stay below the folder they are taken
// in, whatever config.ini says.
#include "core/defs/pubunit_norvane_config.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

namespace {

struct Options {
    TOptionsFromConfigFile options;
    QList<TRefusedOption> refused;
};

Options readWith(const std::string& ini) {
    const auto exe = vyk::test::freshDir("exe");
    vyk::test::writeText(exe / "config.ini", ini);
    vyk::test::ScopedEnv env("VYK_EXE_DIR", exe.string());
    Options o;
    o.refused = ReadOptionsFromConfigFile(o.options);
    return o;
}

}  // namespace

TEST(ConfigIni, ProfileFoldersThatWouldLeaveDocumentsAreRefusedAndTheDefaultsUsed) {
    const struct {
        const char* value;
        bool kept;
    } cases[] = {
        {"VykProfile", true}, {"Mice\\Vyk", true},  {"Mice/Vyk/", true}, {"a..b", true},
        {"", true},  // Documents itself
        {"../x", false},      {"..\\..\\x", false}, {"..", false},       {"a/../../x", false},
        {"a\\..", false},     {"/tmp/x", false},    {"\\x", false},      {"a\tb", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        for (const char* key : {"profileFolder", "profileMacroFolder"}) {
            const Options o = readWith(std::string("[options]\n") + key + "=" + c.value + "\n");
            const QString value = QString::fromUtf8(c.value);
            const bool profile = std::string(key) == "profileFolder";
            const QString used = profile ? o.options.ProfileFolder : o.options.ProfileMacroFolder;
            const QString fallback = profile ? "VykProfile" : "MacroDB";
            if (c.kept) {
                EXPECT_EQ(used, value) << key;
                EXPECT_TRUE(o.refused.isEmpty()) << key;
            } else {
                EXPECT_EQ(used, fallback) << key;
                ASSERT_EQ(o.refused.size(), 1) << key;
                EXPECT_EQ(o.refused[0].Key, QString::fromLatin1(key));
                EXPECT_EQ(o.refused[0].Value, value);
                EXPECT_EQ(o.refused[0].Used, fallback);
            }
        }
    }
    // Both at once: both refused; the other options as written.
    const Options both = readWith("[options]\nprofileFolder=../../etc\nprofileMacroFolder=/\nprofilePrefix=P\n");
    EXPECT_EQ(both.refused.size(), 2);
    EXPECT_EQ(both.options.ProfileNamePrefix, "P");
    EXPECT_EQ(both.options.ProfileRegFolder, "software\\Vykgmmouse");
}
