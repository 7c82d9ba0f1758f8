// The udev rule resources/udev/70-vyk-mouse.rules: udev itself reads it without a remark, and
// it admits exactly the hidraw nodes the programs look for (a top-level collection of usage page
// 0xFFA0, usage 1, as our descriptor parser finds it), its own shell command run on each
// descriptor of a table; scripts/mouse-present.sh, with which scripts/run.sh decides whether
// the simulated mouse has to stand in, tells the mouse by the same test.
#include "platform/hid/hid_descriptor.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path kRule = fs::path(VYK_TEST_SOURCE_DIR) / "resources/udev/70-vyk-mouse.rules";

std::string readText(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct RunResult {
    int exitCode = -1;
    QString output;
};

RunResult run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    RunResult r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

// What udev's own parser says about a rules file: udevadm test loads every rules folder before
// it looks at a device, and names each line it cannot take as "<file>:<line> <remark>". The
// file is put into /etc/udev/rules.d seen through a private mount namespace (as root, or as a
// user with user namespaces), so the machine's udev is not touched. Empty when that cannot be
// done here (the reason in *why).
QString udevRemarks(const fs::path& rules, QString* why) {
    const QString udevadm = QStandardPaths::findExecutable(QStringLiteral("udevadm"));
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (udevadm.isEmpty() || unshare.isEmpty()) {
        *why = QStringLiteral("udevadm or unshare is missing");
        return {};
    }
    const QString script = QStringLiteral(
        "mount -t tmpfs tmpfs /etc/udev/rules.d || exit 90; cp \"$1\" /etc/udev/rules.d/ || exit 91; "
        "\"$2\" test --action=add /sys/class/net/lo 2>&1; exit 0");
    QStringList args{QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private")};
    if (::geteuid() != 0) args.prepend(QStringLiteral("--map-root-user"));
    args << QStringLiteral("/bin/sh") << QStringLiteral("-c") << script << QStringLiteral("sh")
         << QString::fromStdString(rules.string()) << udevadm;
    const RunResult r = run(unshare, args);
    const QString name = QString::fromStdString(rules.filename().string());
    if (r.exitCode != 0 || !r.output.contains(QStringLiteral("Reading rules file: /etc/udev/rules.d/") + name)) {
        *why = QStringLiteral("no private mount namespace for udevadm here: ") + r.output.left(300);
        return {};
    }
    QStringList remarks;
    for (const QString& line : r.output.split('\n'))
        if (line.startsWith(QStringLiteral("/etc/udev/rules.d/") + name + ':')) remarks << line;
    *why = QString();
    return remarks.isEmpty() ? QStringLiteral("none") : remarks.join('\n');
}

TEST(UdevRule, UdevReadsItWithoutARemark) {
    QString why;
    const QString remarks = udevRemarks(kRule, &why);
    if (remarks.isEmpty()) GTEST_SKIP() << why.toStdString();
    EXPECT_EQ(remarks.toStdString(), "none");

    // The check itself sees faults: the same rule with a misspelt key and a quote left open.
    std::string broken = readText(kRule);
    broken.replace(broken.find("TAG+="), 5, "TAGS+=");
    broken += "SUBSYSTEM==\"hidraw\", PROGRAM==\"/bin/sh -c 'x\n";
    const fs::path brokenFile = vyk::test::testRoot() / "70-vyk-mouse.rules";
    std::ofstream(brokenFile) << broken;
    const QString brokenRemarks = udevRemarks(brokenFile, &why);
    EXPECT_NE(brokenRemarks, QStringLiteral("none"));
    EXPECT_EQ(brokenRemarks.count('\n') + 1, 2) << brokenRemarks.toStdString();
}

// The shell command of the rule's PROGRAM key, with "/sys%p" (the node's folder in sysfs) put
// in as the given folder.
std::string ruleCommand(const fs::path& nodeFolder) {
    const std::string text = readText(kRule);
    const std::string open = "PROGRAM==\"/bin/sh -c '";
    const std::size_t start = text.find(open);
    if (start == std::string::npos) return {};
    const std::size_t from = start + open.size();
    const std::size_t end = text.find("'\"", from);
    std::string cmd = text.substr(from, end - from);
    const std::size_t at = cmd.find("/sys%p");
    if (at == std::string::npos) return {};
    return cmd.replace(at, 6, nodeFolder.string());
}

// Does the rule admit a node with this descriptor?
bool ruleAdmits(const std::vector<std::uint8_t>& descriptor) {
    const fs::path node = vyk::test::freshDir("node");
    fs::create_directories(node / "device");
    std::ofstream(node / "device/report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()), static_cast<std::streamsize>(descriptor.size()));
    const RunResult r =
        run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromStdString(ruleCommand(node))});
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.output.toStdString();
    return r.exitCode == 0;
}

// Do the programs take a node with this descriptor for the mouse?
bool programsAdmit(const std::vector<std::uint8_t>& descriptor) {
    std::vector<vyk::platform::hid::HidCollection> collections;
    if (!vyk::platform::hid::parseReportDescriptor(descriptor, collections)) return false;
    for (const auto& c : collections)
        if (c.usagePage == 0xFFA0 && c.usage == 1) return true;
    return false;
}

std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(UdevRule, AdmitsExactlyTheNodesTheProgramsTakeForTheMouse) {
    ASSERT_FALSE(ruleCommand("/x").empty()) << "no PROGRAM with /sys%p in the rule";
    // One input report of 7 bytes with ID 7 inside the collection.
    const std::vector<std::uint8_t> body{0x85, 0x07, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75,
                                         0x08, 0x95, 0x07, 0x09, 0x01, 0x81, 0x02, 0xC0};
    auto collection = [&](std::vector<std::uint8_t> head) { return cat({head, body}); };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> descriptor;
        bool admitted;
    };
    const Case cases[] = {
        {"the simulated mouse's vendor interface", vyk::sim::MouseSimServer::vendorDescriptor(), true},
        {"the simulated mouse's standard mouse", vyk::sim::MouseSimServer::mouseDescriptor(), false},
        {"usage page in four bytes", collection({0x07, 0xA0, 0xFF, 0x00, 0x00, 0x09, 0x01, 0xA1, 0x01}), true},
        {"usage in two bytes", collection({0x06, 0xA0, 0xFF, 0x0A, 0x01, 0x00, 0xA1, 0x01}), true},
        {"extended usage", collection({0x0B, 0x01, 0x00, 0xA0, 0xFF, 0xA1, 0x01}), true},
        {"a keyboard, then the vendor collection",
         cat({{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
              collection({0x06, 0xA0, 0xFF, 0x09, 0x01, 0xA1, 0x01})}),
         true},
        {"the vendor page with usage 2", collection({0x06, 0xA0, 0xFF, 0x09, 0x02, 0xA1, 0x01}), false},
        {"another vendor page", collection({0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01}), false},
        {"a keyboard", collection({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01}), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(programsAdmit(c.descriptor), c.admitted);
        EXPECT_EQ(ruleAdmits(c.descriptor), c.admitted);
    }
}

// A hidraw class folder as sysfs shows it: one entry per node, its descriptor under device/.
void addNode(const fs::path& classDir, const std::string& name, const std::vector<std::uint8_t>& descriptor) {
    fs::create_directories(classDir / name / "device");
    std::ofstream(classDir / name / "device/report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()), static_cast<std::streamsize>(descriptor.size()));
}

TEST(MousePresentScript, CountsOnlyANodeOfTheMouseNotEveryHidrawNode) {
    const QString script = QStringLiteral(VYK_TEST_SOURCE_DIR "/scripts/mouse-present.sh");
    const fs::path classDir = vyk::test::freshDir("hidraw-class");
    auto present = [&] { return run(QStringLiteral("bash"), {script, QString::fromStdString(classDir.string())}); };

    EXPECT_EQ(present().exitCode, 1) << "no hidraw node at all";
    // A desktop's usual nodes: a keyboard and another mouse, which have hidraw nodes too.
    addNode(classDir, "hidraw0", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0});
    addNode(classDir, "hidraw1", vyk::sim::MouseSimServer::mouseDescriptor());
    EXPECT_EQ(present().exitCode, 1) << "other devices are not the mouse";
    // The mouse's configuration interface.
    addNode(classDir, "hidraw2", vyk::sim::MouseSimServer::vendorDescriptor());
    const RunResult r = present();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.trimmed(), QStringLiteral("/dev/hidraw2"));
}

}  // namespace
