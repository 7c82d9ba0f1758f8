#include "platform/registry/registry.h"

#include "platform/paths/file_io.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>

using namespace vyk::platform;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = vyk::test::freshDir("registry");
        env_ = std::make_unique<vyk::test::ScopedEnv>("VYK_REGISTRY_ROOT", root_.string());
    }
    RegistryKey key(const QString& path = "software\\software\\Vykgmmouse") {
        auto k = RegistryKey::open(HKEY_CURRENT_USER, path, true);
        EXPECT_TRUE(k.has_value());
        return *k;
    }
    fs::path root_;
    std::unique_ptr<vyk::test::ScopedEnv> env_;
};

QByteArray pattern(int n) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i) b[i] = static_cast<char>(i * 7 + 3);
    return b;
}

}  // namespace

TEST_F(RegistryTest, BinaryValuesKeepAnyLengthAsRawFiles) {
    RegistryKey k = key();
    for (int n : {0, 1, 100, 142240, 142240 + 7}) {
        k.writeBinary("VykProfile1.pfd", pattern(n));
        EXPECT_EQ(k.readBinary("VykProfile1.pfd"), pattern(n)) << n;
    }
    // The layout documented for users: one raw file per value, under one folder per key level.
    const fs::path file = root_ / "HKEY_CURRENT_USER/software/software/Vykgmmouse/VykProfile1.pfd.bin";
    EXPECT_EQ(vyk::test::readBytes(file).size(), 142247u);
    EXPECT_EQ(QDir(q(file.parent_path())).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(k.readBinary("missing.pfd"), std::nullopt);
}

TEST_F(RegistryTest, KeysAndValuesAreFoundWithoutRegardToCase) {
    key("Software\\Acme").writeBinary("AllSettings.PFD", QByteArray("one"));
    auto k = RegistryKey::open(HKEY_CURRENT_USER, "SOFTWARE/acme", false);
    ASSERT_TRUE(k);
    EXPECT_EQ(k->readBinary("allsettings.pfd"), QByteArray("one"));
    // Writing under another spelling replaces the value; it does not add a second one.
    k->writeBinary("ALLSETTINGS.pfd", QByteArray("two"));
    EXPECT_EQ(k->readBinary("AllSettings.PFD"), QByteArray("two"));
    EXPECT_EQ(QDir(k->folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_FALSE(fs::exists(root_ / "HKEY_CURRENT_USER/SOFTWARE"));
}

TEST_F(RegistryTest, OpenWithoutCreateLeavesMissingKeysAlone) {
    QString why;
    EXPECT_FALSE(RegistryKey::open(HKEY_CURRENT_USER, "software\\nothing", false, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(fs::exists(root_ / "HKEY_CURRENT_USER/software"));
    EXPECT_FALSE(RegistryKey::exists(HKEY_CURRENT_USER, "software\\nothing"));
    key("software\\nothing");
    EXPECT_TRUE(RegistryKey::exists(HKEY_CURRENT_USER, "software\\nothing"));
    // Roots the store does not serve and empty paths give no key.
    EXPECT_FALSE(RegistryKey::open(RegistryRoot::None, "software", true));
    EXPECT_FALSE(RegistryKey::open(RegistryRoot::Other, "software", true));
    EXPECT_FALSE(RegistryKey::open(HKEY_CURRENT_USER, "\\", true));
}

TEST_F(RegistryTest, TextAndNumberValuesAreRefusedByTheBinaryReader) {
    RegistryKey k = key();
    k.writeString("text.pfd", "hello");
    k.writeString("expand.pfd", "%HOME%", true);
    k.writeDword("ProfileID", 3);
    for (const char* name : {"text.pfd", "expand.pfd", "ProfileID"}) {
        EXPECT_THROW(k.readBinary(name), RegistryError) << name;
    }
    EXPECT_EQ(k.readDword("ProfileID"), 3u);
    EXPECT_EQ(k.readString("expand.pfd"), QString("%HOME%"));
    EXPECT_THROW(k.readDword("text.pfd"), RegistryError);
    EXPECT_EQ(vyk::test::readBytes(fs::path(k.folder().toStdString()) / "ProfileID.dword"),
              (std::vector<std::uint8_t>{3, 0, 0, 0}));

    // A damaged number file is an error, not a guess.
    vyk::test::writeBytes(fs::path(k.folder().toStdString()) / "ProfileID.dword", {1, 2});
    EXPECT_THROW(k.readDword("ProfileID"), RegistryError);

    // Writing a value of another type replaces the old one: one file remains, in either
    // direction and under any spelling.
    k.writeBinary("text.pfd", QByteArray("raw"));
    k.writeDword("EXPAND.pfd", 7);
    EXPECT_EQ(k.valueType("text.pfd"), RegValueType::Binary);
    EXPECT_EQ(k.readBinary("text.pfd"), QByteArray("raw"));
    EXPECT_EQ(k.readDword("expand.pfd"), 7u);
    QStringList files = QDir(k.folder()).entryList(QDir::Files | QDir::Hidden);
    files.sort(Qt::CaseInsensitive);
    EXPECT_EQ(files, (QStringList{"expand.pfd.dword", "ProfileID.dword", "text.pfd.bin"}));
    EXPECT_TRUE(k.deleteValue("TEXT.pfd"));
    EXPECT_FALSE(k.valueExists("text.pfd"));
}

TEST_F(RegistryTest, NamesWithSeparatorsAndEscapesRoundTrip) {
    RegistryKey k = key("software\\..\\odd");
    for (const char* name : {"a/b", "100%", "..", "%2F"}) {
        k.writeBinary(name, QByteArray(name));
        EXPECT_EQ(k.readBinary(name), QByteArray(name)) << name;
    }
    EXPECT_EQ(QDir(k.folder()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    EXPECT_TRUE(fs::is_directory(root_ / "HKEY_CURRENT_USER/software/%2E%2E/odd"));
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenGivesAClearError) {
    // The root lies below a plain file: no key can be made there.
    vyk::test::writeText(root_ / "blocked", "x");
    vyk::test::ScopedEnv env("VYK_REGISTRY_ROOT", (root_ / "blocked/registry").string());
    QString why;
    EXPECT_FALSE(RegistryKey::open(HKEY_CURRENT_USER, "software\\x", true, &why));
    EXPECT_TRUE(why.contains("blocked")) << why.toStdString();

    // A key that vanished under an open handle: the write fails loudly.
    env_.reset();
    env_ = std::make_unique<vyk::test::ScopedEnv>("VYK_REGISTRY_ROOT", root_.string());
    RegistryKey k = key("software\\gone");
    fs::remove_all(root_ / "HKEY_CURRENT_USER/software/gone");
    try {
        k.writeBinary("v.pfd", QByteArray("x"));
        FAIL() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find("v.pfd"), std::string::npos) << e.what();
    }
}

TEST_F(RegistryTest, AValueThatIsNotAPlainFileIsAnErrorNotAHang) {
    auto k = key();
    k.writeBinary("plain", QByteArray("abc"));
    const fs::path folder = root_ / "HKEY_CURRENT_USER/software/software/Vykgmmouse";
    ASSERT_EQ(::mkfifo((folder / "fifo.bin").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "zero.bin");
    fs::create_symlink(folder / "plain.bin", folder / "linked.bin");
    for (const char* name : {"fifo", "zero", "linked"}) {
        try {
            k.readBinary(name);
            ADD_FAILURE() << name << " was read";
        } catch (const RegistryError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(name)) << e.what();
        }
    }
    // A value larger than any record is refused too.
    vyk::test::writeBytes(folder / "huge.bin", std::vector<std::uint8_t>(kMaxStoredValueBytes + 1, 1));
    EXPECT_THROW(k.readBinary("huge"), RegistryError);
    EXPECT_EQ(k.readBinary("plain"), QByteArray("abc"));
}
