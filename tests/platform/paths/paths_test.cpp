#include "platform/paths/paths.h"
#include "platform/paths/file_io.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vyk::platform;
namespace fs = std::filesystem;

namespace {
QString q(const fs::path& p) { return QString::fromStdString(p.string()); }
}  // namespace

TEST(PathsTest, JoinTreatsBothSeparatorsAndCollapsesRuns) {
    struct Case {
        QStringList parts;
        QString expected;
    };
    const Case cases[] = {
        {{"/a/b/", "\\c\\\\d"}, "/a/b/c/d"},
        {{"/docs/VykProfile/", "\\VykProfile1_Macros"}, "/docs/VykProfile/VykProfile1_Macros"},
        {{"/docs/VykProfile//", "tmp2323"}, "/docs/VykProfile/tmp2323"},
        {{"images\\0409\\icons\\logo.ico"}, "images/0409/icons/logo.ico"},
        {{"/exe/", "config.ini"}, "/exe/config.ini"},
        {{"/a", "b/"}, "/a/b/"},
        {{"", "/x"}, "/x"},
        {{"//"}, "/"},
        {{"rel", ""}, "rel"},
    };
    for (const Case& c : cases) EXPECT_EQ(joinPath(c.parts), c.expected) << c.parts.join("|").toStdString();
}

TEST(PathsTest, SplitGivesFolderWithSeparatorAndName) {
    QString folder, name;
    splitPath("C:\\Users\\me\\p.pfd", &folder, &name);
    EXPECT_EQ(folder, "C:/Users/me/");
    EXPECT_EQ(name, "p.pfd");
    splitPath("p.pfd", &folder, &name);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "p.pfd");
}

TEST(PathsTest, FoldersComeFromTheEnvironmentOrTheSystem) {
    const fs::path exe = vyk::test::freshDir("exe-override");
    {
        vyk::test::ScopedEnv env("VYK_EXE_DIR", exe.string());
        EXPECT_EQ(executableDir(), q(exe) + "/");
    }
    {
        vyk::test::ScopedEnv env("VYK_EXE_DIR", "");
        const QString dir = executableDir();
        EXPECT_TRUE(dir.endsWith('/'));
        EXPECT_TRUE(QFileInfo(dir).isDir());
        // This test program lives in that folder.
        EXPECT_TRUE(QFileInfo::exists(dir + "test_platform_paths"));
    }
    const fs::path docs = vyk::test::freshDir("docs-override");
    vyk::test::ScopedEnv env("VYK_DOCUMENTS_DIR", docs.string());
    EXPECT_EQ(documentsDir(), q(docs) + "/");
}

TEST(PathsTest, ResourcesAreFoundWithoutRegardToCase) {
    const fs::path base = vyk::test::freshDir("res");
    vyk::test::writeText(base / "Images/0409/Icons/Logo.ico", "x");
    vyk::test::writeText(base / "config.ini", "exact");
    vyk::test::writeText(base / "CONFIG.INI", "other");

    EXPECT_EQ(resolveCaseInsensitive(q(base), "images\\0409\\icons\\logo.ico"), q(base / "Images/0409/Icons/Logo.ico"));
    EXPECT_EQ(resolveCaseInsensitive(q(base), "images/0409/"), q(base / "Images/0409") + "/");
    // The exact spelling wins when both exist.
    EXPECT_EQ(resolveCaseInsensitive(q(base), "config.ini"), q(base / "config.ini"));
    // Nothing matches: the plain join, so the caller's error names the expected file.
    EXPECT_EQ(resolveCaseInsensitive(q(base), "images/0804/x.png"), q(base) + "/images/0804/x.png");
}

// What a file name from config.ini may reach under the program's folder: its regular files,
// however they are spelled or linked, and nothing outside it.
TEST(PathsTest, RegularFileInsideStaysInTheFolder) {
    const fs::path root = vyk::test::freshDir("inside");
    const fs::path base = root / "prog";
    vyk::test::writeText(base / "help/Guide.html", "<html>");
    vyk::test::writeText(root / "outside.html", "<html>");
    fs::create_directories(base / "folder.html");
    ASSERT_EQ(::mkfifo((base / "fifo.html").c_str(), 0600), 0);
    fs::create_symlink(base / "help/Guide.html", base / "link-in.html");
    fs::create_symlink("/etc/hostname", base / "link-out.html");
    fs::create_symlink(root, base / "up");
    const QString guide = q(fs::canonical(base / "help/Guide.html"));

    const struct {
        const char* name;
        bool inside;
    } cases[] = {
        {"help/Guide.html", true},
        {"HELP\\guide.HTML", true},
        {"link-in.html", true},
        {"./help/../help/Guide.html", true},
        {"/help/Guide.html", true},  // a leading separator is still under the folder
        {"", false},
        {"help", false},
        {"folder.html", false},
        {"fifo.html", false},
        {"missing.html", false},
        {"/etc/hostname", false},
        {"../outside.html", false},
        {"../../etc/passwd", false},
        {"help/../../outside.html", false},
        {"link-out.html", false},
        {"up/outside.html", false},
        {"up/prog/help/Guide.html", true},  // out through a link and back in: still inside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString found = regularFileInside(q(base), QString::fromUtf8(c.name));
        if (c.inside) {
            EXPECT_EQ(found, guide);
        } else {
            EXPECT_TRUE(found.isEmpty()) << found.toStdString();
        }
    }
    // The folder given through a link is taken as the folder it names.
    fs::create_symlink(base, root / "prog-link");
    EXPECT_EQ(regularFileInside(q(root / "prog-link"), "help/guide.html"), guide);
    EXPECT_TRUE(regularFileInside(q(root / "no-such-folder"), "help/Guide.html").isEmpty());
}

TEST(PathsTest, PlainFileNamesHoldNoPathAndNoControlCharacters) {
    for (const char* good : {"VykProfile1.pfd", ".hidden", "a b", "..x", "x..", "%1"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "/", "tab\there", "del\x7f"})
        EXPECT_FALSE(isPlainFileName(QString::fromUtf8(bad))) << bad;
}

TEST(PathsTest, InsideAFolderIsJudgedWhereThePathReallyLeads) {
    const fs::path root = vyk::test::freshDir("inside");
    const fs::path home = root / "docs/VykProfile";
    fs::create_directories(home / "sub");
    fs::create_directories(root / "outside");
    fs::create_directory_symlink(root / "outside", home / "out");       // a link leading out
    fs::create_directory_symlink(home / "sub", home / "alias");         // a link staying in
    fs::create_symlink(root / "outside/f.pfd", home / "file-out.pfd");  // a file link leading out (dangling)
    fs::create_symlink(home / "sub", root / "docs/into");               // a link from outside into the folder
    const struct {
        fs::path path;
        bool inside;
    } cases[] = {
        {home, true},
        {home / "sub", true},
        {home / "sub/VykProfile1.pfd", true},
        {home / "not-yet/x.pfd", true},
        {home / "alias/x.pfd", true},
        {root / "docs/into/x.pfd", true},
        {home / "out", false},
        {home / "out/x.pfd", false},
        {home / "file-out.pfd", false},
        {home / "..", false},
        {home / "sub/../../x", false},
        {home / "not-yet/../../x", false},
        {root / "docs", false},
        {"/etc", false},
        {"VykProfile/x.pfd", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isInsideFolder(q(c.path), q(home)), c.inside) << c.path;
    // The folder itself reached through a link is still the folder.
    fs::create_directory_symlink(home, root / "link-to-home");
    EXPECT_TRUE(isInsideFolder(q(home / "sub"), q(root / "link-to-home")));
}

TEST(FileIoTest, TemporaryFilesOfEndedWritersAreRemovedAndThoseOfRunningOnesKept) {
    const fs::path dir = vyk::test::freshDir("leftovers");
    writeFileAtomic(q(dir / "a.pfd"), QByteArray("done"));
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);  // an ended process: its id names no one now
    const std::string self = std::to_string(::getpid());
    for (const std::string& name : {".~a.pfd." + std::to_string(child) + ".abcdef", std::string(".~b.bin.xYz123"),
                                    ".~c.pfd." + self + ".ghijkl", ".~d." + self + "x.mnopqr"}) {
        vyk::test::writeText(dir / name, "half");
    }
    fs::create_directory(dir / ".~folder.1.abcdef");
    fs::create_symlink(dir / "a.pfd", dir / (".~link." + std::to_string(child) + ".abcdef"));

    EXPECT_EQ(removeAbandonedTempFiles(q(dir)), 3);
    QStringList left = QDir(q(dir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, (QStringList{".~c.pfd." + QString::fromStdString(self) + ".ghijkl", ".~folder.1.abcdef",
                                 ".~link." + QString::number(child) + ".abcdef", "a.pfd"}));
    EXPECT_EQ(removeAbandonedTempFiles(q(dir / "missing")), 0);
}

TEST(FileIoTest, AtomicWriteReplacesTheWholeFileAndLeavesNoTemporaries) {
    const fs::path dir = vyk::test::freshDir("atomic");
    const QString file = q(dir / "a.pfd");
    writeFileAtomic(file, QByteArray(1000, 'x'));
    writeFileAtomic(file, QByteArray("short"));
    EXPECT_EQ(readWholeFile(file), QByteArray("short"));
    EXPECT_EQ(QDir(q(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(FileIoTest, AWriteOfTheBytesAFileHoldsLeavesItAlone) {
    const fs::path dir = vyk::test::freshDir("unchanged");
    const QString file = q(dir / "a.pfd");
    auto inode = [&] {
        struct stat st {};
        return ::lstat((dir / "a.pfd").c_str(), &st) == 0 ? st.st_ino : ino_t{0};
    };
    writeFileAtomic(file, QByteArray("same bytes"));
    const ino_t first = inode();
    writeFileAtomic(file, QByteArray("same bytes"));
    EXPECT_EQ(inode(), first) << "not replaced";
    writeFileAtomic(file, QByteArray("same BYTES"));  // same length, other bytes
    EXPECT_NE(inode(), first);
    EXPECT_EQ(readWholeFile(file), QByteArray("same BYTES"));
    writeFileAtomic(file, QByteArray("same BYTES and more"));
    EXPECT_EQ(readWholeFile(file), QByteArray("same BYTES and more"));

    // A link that leads to these bytes is still replaced by a plain file, as any link is.
    vyk::test::writeText(dir / "target", "linked");
    fs::create_symlink(dir / "target", dir / "link");
    writeFileAtomic(q(dir / "link"), QByteArray("linked"));
    EXPECT_FALSE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(readWholeFile(q(dir / "link")), QByteArray("linked"));

    // A file that may not be written is refused whatever it holds.
    if (::geteuid() != 0) {
        fs::permissions(dir / "a.pfd", fs::perms::owner_read, fs::perm_options::replace);
        EXPECT_THROW(writeFileAtomic(file, QByteArray("same BYTES and more")), FileError);
    }
}

// Inside a batch (nested or not) every write is complete and visible at once; a failed write
// ends its batch like any other.
TEST(FileIoTest, BatchedWritesAreVisibleAtOnceAndLeaveNoTemporaries) {
    const fs::path dir = vyk::test::freshDir("batch");
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    {
        FolderSyncBatch batch;
        writeFileAtomic(q(dir / "one/a"), QByteArray("first"));
        {
            FolderSyncBatch nested;
            writeFileAtomic(q(dir / "two/b"), QByteArray("second"));
            writeFileAtomic(q(dir / "one/a"), QByteArray("third"));
        }
        EXPECT_EQ(readWholeFile(q(dir / "one/a")), QByteArray("third"));
        EXPECT_EQ(readWholeFile(q(dir / "two/b")), QByteArray("second"));
    }
    try {
        FolderSyncBatch batch;
        writeFileAtomic(q(dir / "one/c"), QByteArray("fourth"));
        writeFileAtomic(q(dir / "missing/d"), QByteArray("x"));
        ADD_FAILURE() << "a write into a missing folder succeeded";
    } catch (const FileError&) {
    }
    writeFileAtomic(q(dir / "one/c"), QByteArray("fifth"));
    EXPECT_EQ(readWholeFile(q(dir / "one/c")), QByteArray("fifth"));
    EXPECT_EQ(QDir(q(dir / "one")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_EQ(QDir(q(dir / "two")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(FileIoTest, FailuresRaiseNamedErrorsAndKeepWhatWasThere) {
    const fs::path dir = vyk::test::freshDir("fail");
    // A missing folder is not created by a write.
    EXPECT_THROW(writeFileAtomic(q(dir / "missing/a.pfd"), QByteArray("x")), FileError);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // A folder in the file's place stays.
    fs::create_directories(dir / "taken");
    EXPECT_THROW(writeFileAtomic(q(dir / "taken"), QByteArray("x")), FileError);
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_THROW(readWholeFile(q(dir / "nothing.pfd")), FileError);
    // A folder below a file cannot be made.
    vyk::test::writeText(dir / "plain", "x");
    EXPECT_THROW(forceFolders(q(dir / "plain/sub/deeper")), FileError);
    EXPECT_FALSE(createFolder(q(dir / "plain/sub")));
    forceFolders(q(dir / "a/b/c"));
    EXPECT_TRUE(folderExists(q(dir / "a/b/c")));
}

TEST(FileIoTest, ReadsRefuseWhatIsNotARegularFileWithoutBlocking) {
    const fs::path dir = vyk::test::freshDir("special");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero");
    fs::create_directories(dir / "folder");
    for (const char* name : {"fifo", "zero", "folder"}) {
        try {
            readWholeFile(q(dir / name));
            ADD_FAILURE() << name << " was read";
        } catch (const FileError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(q(dir / name))) << e.what();
        }
    }
    // A link to a plain file is read, unless links are refused.
    vyk::test::writeText(dir / "plain", "abc");
    fs::create_symlink(dir / "plain", dir / "link");
    EXPECT_EQ(readWholeFile(q(dir / "link")), QByteArray("abc"));
    FileReadLimits noLinks;
    noLinks.followLinks = false;
    EXPECT_THROW(readWholeFile(q(dir / "link"), noLinks), FileError);
    EXPECT_EQ(readWholeFile(q(dir / "plain"), noLinks), QByteArray("abc"));
}

TEST(FileIoTest, ReadsStopAtTheBoundOfTheirKind) {
    const fs::path dir = vyk::test::freshDir("bound");
    vyk::test::writeText(dir / "ten", "0123456789");
    struct Case {
        std::size_t max;
        bool frontOnly;
        const char* expected;  // nullptr: refused
    };
    for (const Case& c : {Case{10, false, "0123456789"}, Case{9, false, nullptr}, Case{0, false, nullptr},
                          Case{4, true, "0123"}, Case{10, true, "0123456789"}, Case{64, true, "0123456789"}}) {
        FileReadLimits limits;
        limits.maxBytes = c.max;
        limits.frontOnly = c.frontOnly;
        SCOPED_TRACE(testing::Message() << "max " << c.max << " front " << c.frontOnly);
        if (c.expected) {
            EXPECT_EQ(readWholeFile(q(dir / "ten"), limits), QByteArray(c.expected));
        } else {
            EXPECT_THROW(readWholeFile(q(dir / "ten"), limits), FileError);
        }
    }
}
