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
    EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_CANCELLED);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_FALSE(requests_[0].save);
    EXPECT_EQ(requests_[0].initialFolder, qpath(docs_) + "/");
    EXPECT_EQ(requests_[0].filter, "pfd|*.pfd");

    const fs::path file = vyk::test::freshDir("in") / "old.pfd";
    vyk::test::writeBytes(file, fileOf(kProfile, 0x102, 0x55));
    answer_ = qpath(file);
    EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION);
    // A file that vanished reads as zeros: also refused.
    answer_ = qpath(file.parent_path() / "gone.pfd");
    EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION);
    // A file too short to hold the version is refused, even when its bytes begin one.
    for (std::size_t n : {0u, 2u, 3u}) {
        vyk::test::writeBytes(file, fileOf(n, 0x103, 0));
        answer_ = qpath(file);
        EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION) << n;
    }

    EXPECT_EQ(bytesOf(dm_->FCurrentProfileInfo), before);
    EXPECT_EQ(storedSlot3(), stored);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dm_->IsProfileChanged(i));
}

TEST_F(ImportExportTest, OnlyAFileOfExactlyOneProfileIsImportedAndNothingElseChangesAnything) {
    // A profile file as SAVE AS writes it, from another profile with a marker.
    auto source = std::make_unique<TMouseProfileInfo>(dm_->FCurrentProfileInfo);
    source->ConfigInfo.PointerSpeed = 17;
    source->ConfigInfo.LEDConfig.R = 0x42;
    const auto whole = bytesOf(*source);
    const auto front = [&](std::size_t n) { return std::vector<std::uint8_t>(whole.begin(), whole.begin() + n); };
    auto longer = whole;
    longer.resize(kProfile + 64, 0x77);
    auto huge = whole;
    huge.resize(16u << 20, 0x01);  // as large as a stored value may be

    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } refused[] = {
        {"4 bytes, the version only", front(4)},
        {"1000 bytes", front(1000)},
        {"half a profile", front(kProfile / 2)},
        {"one byte short", front(kProfile - 1)},
        {"a tail", longer},
        {"16 MiB", huge},
        {"another version",
         [&] {
             auto b = whole;
             b[0] = 0x02;
             return b;
         }()},
        {"empty", {}},
    };
    const auto before = bytesOf(dm_->FCurrentProfileInfo);
    const auto stored = storedSlot3();
    const fs::path file = vyk::test::freshDir("in") / "in.pfd";
    answer_ = qpath(file);
    for (const auto& c : refused) {
        vyk::test::writeBytes(file, c.bytes);
        EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_WRONG_VERSION) << c.what;
        EXPECT_EQ(bytesOf(dm_->FCurrentProfileInfo), before) << c.what;
        EXPECT_EQ(dm_->uiProfileGame3->Stream(), before) << c.what;
        EXPECT_EQ(storedSlot3(), stored) << c.what;
        EXPECT_FALSE(dm_->IsProfileChanged(2)) << c.what;
        EXPECT_TRUE(dm_->TakeStoreReports().isEmpty()) << c.what << ": the caller's warning says it";
    }

    // A whole profile is taken byte for byte, stored, and marked for APPLY.
    vyk::test::writeBytes(file, whole);
    EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_DONE);
    EXPECT_EQ(bytesOf(dm_->FCurrentProfileInfo), whole);
    EXPECT_EQ(storedSlot3(), whole);
    EXPECT_TRUE(dm_->IsProfileChanged(2));
    EXPECT_FALSE(dm_->IsProfileChanged(0));
    EXPECT_TRUE(dm_->TakeStoreReports().isEmpty());
}

TEST_F(ImportExportTest, AnImportedProfilesValuesOutsideWhatTheWindowProducesAreReplacedAndReported) {
    auto crafted = std::make_unique<TMouseProfileInfo>(dm_->FCurrentProfileInfo);
    TMOUSECONFIGINFO& c = crafted->ConfigInfo;
    c.ButtonFuncInfo[0].FunctionCode = 0x63;
    c.ButtonFuncInfo[7].FunctionCode = 0xFF;
    c.CPILevel = 0xFF;
    c.LEDConfig.BRIGHT_LEVEL = 0xC8;
    c.LEDConfig.BREATH_SPEED = 0xFF;
    c.ReportRate = 7;
    c.PointerSpeed = 17;  // not carried to the mouse: kept
    const fs::path file = vyk::test::freshDir("in") / "crafted.pfd";
    vyk::test::writeBytes(file, bytesOf(*crafted));
    answer_ = qpath(file);

    EXPECT_EQ(ImportProfileFromFile(*dm_, qpath(docs_)), IMPORT_PROFILE_DONE);
    const auto factory = dm_->FactoryProfileInfo(2);
    const TMOUSECONFIGINFO& now = dm_->FCurrentProfileInfo.ConfigInfo;
    EXPECT_EQ(bytesOf(now.ButtonFuncInfo[0]), bytesOf(factory->ConfigInfo.ButtonFuncInfo[0]));
    EXPECT_EQ(now.ButtonFuncInfo[7].FunctionCode, FUNCTION_CODE_SINGLE_KEY);
    EXPECT_EQ(now.CPILevel, 5);
    EXPECT_EQ(now.LEDConfig.BRIGHT_LEVEL, 2);
    EXPECT_EQ(now.LEDConfig.BREATH_SPEED, 3);
    EXPECT_EQ(now.ReportRate, 500);
    EXPECT_EQ(now.PointerSpeed, 17);
    EXPECT_EQ(storedSlot3(), bytesOf(dm_->FCurrentProfileInfo)) << "the repaired profile is what is stored";
    const auto found = dm_->TakeStoreReports();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].Format(), "The profile file \"" + qpath(file) +
                                     "\" held settings this program cannot use; they were set back to their factory "
                                     "values.");
}

TEST_F(ImportExportTest, ExportWritesTheCurrentSlotAndLeavesNoProbeBehind) {
    const fs::path dir = vyk::test::freshDir("out");
    fs::create_directories(dir / "tmp2323");  // a folder of the user's with the probe's name
    vyk::test::writeText(dir / "tmp2323/keep.txt", "mine");
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 4;
    dm_->SaveBackToCurrentProfileInfo();

    answer_ = qpath(dir / "mine.pfd");
    EXPECT_TRUE(ExportProfileToFile(*dm_, qpath(dir)));
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_TRUE(requests_[0].save);
    EXPECT_EQ(requests_[0].defaultExtension, ".pfd");
    EXPECT_EQ(vyk::test::readBytes(dir / "mine.pfd"), bytesOf(dm_->FCurrentProfileInfo));
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(QDir(qpath(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{"mine.pfd", "tmp2323"}));
    EXPECT_TRUE(fs::exists(dir / "tmp2323/keep.txt"));

    answer_.clear();
    EXPECT_FALSE(ExportProfileToFile(*dm_, qpath(dir)));
}

TEST_F(ImportExportTest, ExportIntoAFolderWithoutPermissionShowsTheMessage) {
    // Nothing may be created below /proc, not even by root.
    answer_ = QStringLiteral("/proc/vyk-export-test.pfd");
    EXPECT_FALSE(ExportProfileToFile(*dm_, qpath(docs_)));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "No permission to save file!please change directory!");
    EXPECT_FALSE(fs::exists("/proc/vyk-export-test.pfd"));
}
