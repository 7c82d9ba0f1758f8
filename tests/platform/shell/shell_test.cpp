#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include <filesystem>

#include <sys/stat.h>

#include "tests/support/test_env.h"
#include "tests/support/wait.h"

namespace fs = std::filesystem;
using namespace vyk::platform;

namespace {

// A stand-in program that records the folder it was started in.
void makeScript(const fs::path& p, const fs::path& marker) {
    vyk::test::writeText(p, "#!/bin/sh\npwd > '" + marker.string() + ".tmp' && mv '" + marker.string() + ".tmp' '" +
                                marker.string() + "'\n");
    fs::permissions(p, fs::perms::owner_all);
}

}  // namespace

TEST(Shell, FindsThePeerProgramIgnoringCaseAndExeEnding) {
    const fs::path dir = vyk::test::freshDir("exe1");
    makeScript(dir / "VykCfg", dir / "unused");
    vyk::test::writeText(dir / "vykmon", "not executable");
    const QString folder = QString::fromStdString(dir.string());

    EXPECT_EQ(findProgram(folder, "VYKCFG.EXE"), QString::fromStdString((dir / "VykCfg").string()));
    EXPECT_EQ(findProgram(folder, "vykcfg"), QString::fromStdString((dir / "VykCfg").string()));
    EXPECT_TRUE(findProgram(folder, "VYKMON.EXE").isEmpty()) << "a file that cannot run is no program";
    EXPECT_TRUE(findProgram(folder, "OTHER.EXE").isEmpty());
    EXPECT_TRUE(findProgram(folder, "../VykCfg").isEmpty());
    EXPECT_FALSE(startProgram(folder, "OTHER.EXE"));
}

TEST(Shell, StartsTheProgramInItsOwnFolder) {
    const fs::path dir = vyk::test::freshDir("exe2");
    const fs::path marker = vyk::test::testRoot() / "started";
    makeScript(dir / "VykCfg", marker);
    ASSERT_TRUE(startProgram(QString::fromStdString(dir.string()), "VYKCFG.EXE"));
    ASSERT_TRUE(vyk::test::waitUntil([&] { return fs::exists(marker); }, 10000, false));
    QFile f(QString::fromStdString(marker.string()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(fs::path(f.readAll().trimmed().toStdString()), fs::canonical(dir));
}

TEST(Shell, OpensOnlyFilesAndWebAddresses) {
    for (const char* bad : {"", "   ", "ftp://example.com/x", "file:///etc/passwd", "javascript:alert(1)",
                            "/no/such/file.pdf", "rm -rf /", "http://", "relative/help.pdf"}) {
        EXPECT_FALSE(openDocument(QString::fromUtf8(bad))) << bad;
    }
}

TEST(Shell, RefusesFoldersAndFifosEvenThoughTheyExist) {
    const fs::path dir = vyk::test::freshDir("open");
    const fs::path fifo = dir / "help.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(openDocument(QString::fromStdString(dir.string())));
    EXPECT_FALSE(openDocument(QString::fromStdString(fifo.string())));
    EXPECT_FALSE(openDocument("/dev/null"));
}

TEST(Shell, WebAddressesAreHttpOrHttpsWithAHost) {
    for (const char* good : {"http://host", "https://host.example/help?lang=0804", " HTTPS://Host/x "}) {
        EXPECT_TRUE(isWebAddress(QString::fromUtf8(good))) << good;
    }
    for (const char* bad : {"", "http://", "https://", "ftp://host/x", "file:///etc/hostname", "mailto:a@b",
                            "javascript:alert(1)", "host/page", "/etc/hostname"}) {
        EXPECT_FALSE(isWebAddress(QString::fromUtf8(bad))) << bad;
    }
}
