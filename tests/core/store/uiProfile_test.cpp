#include "core/store/uiProfile.h"

#include "platform/paths/file_io.h"
#include "tests/core/store/store_fixture.h"

using vyk::platform::FileError;
using vyk::platform::RegistryError;

namespace {

class ProfileComponentTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        p_.SetRootKey(HKEY_CURRENT_USER);
        p_.SetKeyPath("software\\software\\Vykgmmouse");
        p_.SetFileName("VykProfile1.pfd");
    }
    TuiProfile p_;
};

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 13);
    return v;
}

}  // namespace

TEST_F(ProfileComponentTest, WriteNeverShortensAndReadCopiesOnlyWhatIsThere) {
    const auto ten = pattern(10, 1);
    EXPECT_EQ(p_.Write(ten.data(), 10), 10);
    EXPECT_EQ(p_.Size(), 10);
    const std::uint8_t four[4] = {9, 9, 9, 9};
    p_.Write(four, 4);
    ASSERT_EQ(p_.Stream().size(), 10u);
    EXPECT_EQ(p_.Stream()[3], 9);
    EXPECT_EQ(p_.Stream()[4], ten[4]);

    std::vector<std::uint8_t> buf(20, 0xEE);
    EXPECT_EQ(p_.Read(buf.data(), 20), 10);
    EXPECT_EQ(buf[9], ten[9]);
    EXPECT_EQ(buf[10], 0xEE);

    p_.SetSize(16);
    EXPECT_EQ(p_.Stream().size(), 16u);
    EXPECT_EQ(p_.Stream()[15], 0);  // grown bytes are zero, not left over
    p_.SetSize(2);
    EXPECT_EQ(p_.Stream().size(), 2u);
}

TEST_F(ProfileComponentTest, FilePathTakesOnlyExistingFoldersWithATrailingSeparator) {
    const fs::path dir = vyk::test::freshDir("fp");
    p_.SetFilePath(qpath(dir));
    EXPECT_EQ(p_.FilePath(), qpath(dir) + "/");
    p_.SetFilePath(qpath(dir / "missing"));
    EXPECT_EQ(p_.FilePath(), qpath(dir) + "/");
}

TEST_F(ProfileComponentTest, AShortStoredValueGivesAShortStream) {
    plant("VykProfile1.pfd", pattern(100, 5));
    p_.SetSize(142240);
    ASSERT_TRUE(p_.LoadStreamFromRegistry());
    EXPECT_EQ(p_.Stream().size(), 100u);
    std::vector<std::uint8_t> buf(142240, 0xAB);
    EXPECT_EQ(p_.Read(buf.data(), 142240), 100);
    EXPECT_EQ(buf[99], pattern(100, 5)[99]);
    EXPECT_EQ(buf[100], 0xAB);
}

TEST_F(ProfileComponentTest, ALongStoredValueKeepsItsTailThroughWriteAndSave) {
    const auto stored = pattern(142240 + 32, 7);
    plant("VykProfile1.pfd", stored);
    ASSERT_TRUE(p_.LoadStreamFromRegistry());
    const std::vector<std::uint8_t> record(142240, 0x42);
    p_.Write(record.data(), 142240);
    ASSERT_TRUE(p_.SaveStreamToRegistry());
    const auto saved = vyk::test::readBytes(valueFile("VykProfile1.pfd"));
    ASSERT_EQ(saved.size(), stored.size());
    EXPECT_EQ(saved[142239], 0x42);
    EXPECT_TRUE(std::equal(saved.begin() + 142240, saved.end(), stored.begin() + 142240));
}

TEST_F(ProfileComponentTest, UnusablePreconditionsGiveFalseAndTouchNothing) {
    TuiProfile fresh;  // root key 0, no names
    fresh.Write("abc", 3);
    EXPECT_FALSE(fresh.LoadStreamFromRegistry());
    EXPECT_FALSE(fresh.SaveStreamToRegistry());
    EXPECT_FALSE(fresh.LoadStreamFromFile());
    EXPECT_FALSE(fresh.SaveStreamToFile());
    fresh.SetRootKey(HKEY_CURRENT_USER);
    fresh.SetKeyPath("software\\x");
    EXPECT_FALSE(fresh.SaveStreamToRegistry());  // no value name
    EXPECT_FALSE(fs::exists(registry_ / "HKEY_CURRENT_USER"));
    EXPECT_EQ(fresh.Stream().size(), 3u);
    fresh.RestoreToDefault();  // no handler: nothing happens
    EXPECT_EQ(fresh.Stream().size(), 3u);
    // A missing value is a plain false.
    EXPECT_FALSE(p_.LoadStreamFromRegistry());
}

TEST_F(ProfileComponentTest, AVetoLeavesStreamAndStorageUntouched) {
    const fs::path dir = vyk::test::freshDir("veto");
    vyk::test::writeBytes(dir / "VykProfile1.pfd", {1, 2, 3});
    plant("VykProfile1.pfd", {4, 5, 6});
    p_.SetFilePath(qpath(dir));
    p_.Write("zz", 2);
    int after = 0;
    const auto veto = [](TuiProfileStream&, bool& go) { go = false; };
    const auto count = [&after](const TuiProfileStream&) { ++after; };
    p_.OnBeforeLoadFromFile = p_.OnBeforeSaveToFile = p_.OnBeforeLoadFromRegistry = p_.OnBeforeSaveToRegistry = veto;
    p_.OnAfterLoadFromFile = p_.OnAfterSaveToFile = p_.OnAfterLoadFromRegistry = p_.OnAfterSaveToRegistry = count;
    EXPECT_FALSE(p_.LoadStreamFromFile());
    EXPECT_FALSE(p_.LoadStreamFromFile(qpath(dir / "VykProfile1.pfd")));
    EXPECT_FALSE(p_.SaveStreamToFile());
    EXPECT_FALSE(p_.SaveStreamToFile(qpath(dir / "other.pfd")));
    EXPECT_FALSE(p_.LoadStreamFromRegistry());
    EXPECT_FALSE(p_.SaveStreamToRegistry());
    EXPECT_EQ(after, 0);
    EXPECT_EQ(p_.Stream(), (TuiProfileStream{'z', 'z'}));
    EXPECT_EQ(vyk::test::readBytes(dir / "VykProfile1.pfd"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(fs::exists(dir / "other.pfd"));
    EXPECT_EQ(vyk::test::readBytes(valueFile("VykProfile1.pfd")), (std::vector<std::uint8_t>{4, 5, 6}));

    p_.OnBeforeLoadFromFile = p_.OnBeforeSaveToFile = p_.OnBeforeLoadFromRegistry = p_.OnBeforeSaveToRegistry = nullptr;
    EXPECT_TRUE(p_.LoadStreamFromFile());
    EXPECT_TRUE(p_.SaveStreamToRegistry());
    EXPECT_EQ(after, 2);
}

TEST_F(ProfileComponentTest, FilesLoadAndSaveWithTheirFolderRules) {
    const fs::path dir = vyk::test::freshDir("files");
    p_.Write("record", 6);
    // With a path: the last folder level is created, no more.
    EXPECT_TRUE(p_.SaveStreamToFile(qpath(dir / "one") + "\\p.pfd"));
    EXPECT_EQ(vyk::test::readBytes(dir / "one/p.pfd").size(), 6u);
    EXPECT_FALSE(p_.SaveStreamToFile(qpath(dir / "two/three/p.pfd")));
    EXPECT_FALSE(fs::exists(dir / "two"));
    // A path that is not there: false, and the before event does not fire.
    bool fired = false;
    p_.OnBeforeLoadFromFile = [&](TuiProfileStream&, bool&) { fired = true; };
    EXPECT_FALSE(p_.LoadStreamFromFile(qpath(dir / "none.pfd")));
    EXPECT_FALSE(fired);
    p_.OnBeforeLoadFromFile = nullptr;

    // PreSave takes the folder and name as they are.
    EXPECT_TRUE(p_.PreSaveStreamToFile(qpath(dir / "four/q.pfd")));
    EXPECT_EQ(p_.FilePath(), qpath(dir / "four") + "/");
    EXPECT_EQ(p_.FileName(), "q.pfd");
    EXPECT_TRUE(p_.SaveStreamToFile());
    EXPECT_TRUE(p_.LoadStreamFromFile(qpath(dir / "one/p.pfd")));
    EXPECT_EQ(p_.FileName(), "q.pfd");  // a load with a path changes no names

    // The no-argument save does not create a missing folder: that is an error.
    fs::remove_all(dir / "four");
    EXPECT_THROW(p_.SaveStreamToFile(), FileError);
}

TEST_F(ProfileComponentTest, AValueOfTheWrongTypeRaisesTheRegistryError) {
    auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, p_.KeyPath(), true);
    key->writeString("VykProfile1.pfd", "not a record");
    p_.Write("keep", 4);
    EXPECT_THROW(p_.LoadStreamFromRegistry(), RegistryError);
    EXPECT_EQ(p_.Stream(), (TuiProfileStream{'k', 'e', 'e', 'p'}));
}
