#include "core/store/Function_Norvanes.h"

#include "tests/core/store/store_fixture.h"

#include <QDir>

namespace {

constexpr std::size_t kProfile = sizeof(TMouseProfileInfo);

class ImportExportTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        dm_ = std::make_unique<TDM>();
        ASSERT_EQ(DM, dm_.get());
        dm_->SwitchToProfile(2);
        dm_->SaveBackAllProfileInfoToRegistry();
        SetProfileFileDialogHook([this](const ProfileFileDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void TearDown() override {
        SetProfileFileDialogHook({});
        dm_.reset();
        StoreTest::TearDown();
    }
    std::vector<std::uint8_t> storedSlot3() const { return vyk::test::readBytes(valueFile("VykProfile3.pfd")); }

    std::unique_ptr<TDM> dm_;
    std::vector<ProfileFileDialogRequest> requests_;
    QString answer_;
};

std::vector<std::uint8_t> fileOf(std::size_t n, std::int32_t version, std::uint8_t fill) {
    std::vector<std::uint8_t> v(n, fill);
    for (std::size_t i = 0; i < 4 && i < n; ++i) v[i] = static_cast<std::uint8_t>(version >> (8 * i));
    return v;
}

}  // namespace

TEST_F(ImportExportTest, CancelAndWrongVersionChangeNothing) {
    const auto before = bytesOf(dm_->FCurrentProfileInfo);
    const auto stored = storedSlot3();
    answer_.clear();
    EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_CANCELLED);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_FALSE(requests_[0].save);
    EXPECT_EQ(requests_[0].initialFolder, qpath(docs_) + "/");
    EXPECT_EQ(requests_[0].filter, "pfd|*.pfd");

    const fs::path file = vyk::test::freshDir("in") / "old.pfd";
    vyk::test::writeBytes(file, fileOf(kProfile, 0x102, 0x55));
    answer_ = qpath(file);
    EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION);
    // A file that vanished reads as zeros: also refused.
    answer_ = qpath(file.parent_path() / "gone.pfd");
    EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION);
    // A file too short to hold the version is refused, even when its bytes begin one.
    for (std::size_t n : {0u, 2u, 3u}) {
        vyk::test::writeBytes(file, fileOf(n, 0x103, 0));
        answer_ = qpath(file);
        EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION) << n;
    }

    EXPECT_EQ(bytesOf(dm_->FCurrentProfileInfo), before);
    EXPECT_EQ(storedSlot3(), stored);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dm_->IsProfileChanged(i));
}

TEST_F(ImportExportTest, AShortFileReplacesOnlyTheHeadOfTheCurrentProfile) {
    const auto before = bytesOf(dm_->FCurrentProfileInfo);
    const fs::path file = vyk::test::freshDir("in") / "short.pfd";
    vyk::test::writeBytes(file, fileOf(100, 0x103, 0x66));
    answer_ = qpath(file);
    EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_DONE);

    const auto now = bytesOf(dm_->FCurrentProfileInfo);
    EXPECT_EQ(now[99], 0x66);
    EXPECT_TRUE(std::equal(now.begin() + 100, now.end(), before.begin() + 100));
    EXPECT_EQ(storedSlot3(), now);  // stored as one whole record
    EXPECT_TRUE(dm_->IsProfileChanged(2));
    EXPECT_FALSE(dm_->IsProfileChanged(0));
}

TEST_F(ImportExportTest, ALongFileIsStoredWholeAndReadAsOneRecord) {
    const fs::path file = vyk::test::freshDir("in") / "long.pfd";
    auto bytes = fileOf(kProfile + 64, 0x103, 0x77);
    bytes[kProfile + 63] = 0x01;
    vyk::test::writeBytes(file, bytes);
    answer_ = qpath(file);
    EXPECT_EQ(ImportProfileFromFile(qpath(docs_)), IMPORT_PROFILE_DONE);
    EXPECT_EQ(storedSlot3(), bytes);
    EXPECT_EQ(bytesOf(dm_->FCurrentProfileInfo), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kProfile));
}

TEST_F(ImportExportTest, ExportWritesTheCurrentSlotAndLeavesNoProbeBehind) {
    const fs::path dir = vyk::test::freshDir("out");
    fs::create_directories(dir / "tmp2323");  // a folder of the user's with the probe's name
    vyk::test::writeText(dir / "tmp2323/keep.txt", "mine");
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 4;
    dm_->SaveBackToCurrentProfileInfo();

    answer_ = qpath(dir / "mine.pfd");
    EXPECT_TRUE(ExportProfileToFile(qpath(dir)));
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_TRUE(requests_[0].save);
    EXPECT_EQ(requests_[0].defaultExtension, ".pfd");
    EXPECT_EQ(vyk::test::readBytes(dir / "mine.pfd"), bytesOf(dm_->FCurrentProfileInfo));
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(QDir(qpath(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{"mine.pfd", "tmp2323"}));
    EXPECT_TRUE(fs::exists(dir / "tmp2323/keep.txt"));

    answer_.clear();
    EXPECT_FALSE(ExportProfileToFile(qpath(dir)));
}

TEST_F(ImportExportTest, ExportIntoAFolderWithoutPermissionShowsTheMessage) {
    // Nothing may be created below /proc, not even by root.
    answer_ = QStringLiteral("/proc/vyk-export-test.pfd");
    EXPECT_FALSE(ExportProfileToFile(qpath(docs_)));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "No permission to save file!please change directory!");
    EXPECT_FALSE(fs::exists("/proc/vyk-export-test.pfd"));
}
