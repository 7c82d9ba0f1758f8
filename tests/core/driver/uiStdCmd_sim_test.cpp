// Device-list matching on this system's own enumeration: the simulated mouse is a present
// HID device whose synthesised hardware IDs config.ini lists can name.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/driver/uiStdCmd.h"
#include "platform/hid/hid_device.h"
#include "platform/paths/paths.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/test_env.h"

namespace {

TEST(StdCmdOnSimulatedMouse, ListedDeviceIsFoundAndInstallFailsHarmlessly) {
    vyk::sim::SimOptions o;
    o.matchingInterfaces = 1;
    vyk::sim::MouseSimServer sim(o);
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;

    const auto interfaces = vyk::platform::hid::enumerateInterfaces();
    ASSERT_FALSE(interfaces.empty());
    ASSERT_FALSE(interfaces[0].hardwareIds.empty());
    const QString id = QString::fromStdString(interfaces[0].hardwareIds[0]);

    const QString exeDir = vyk::platform::executableDir();
    QDir().mkpath(exeDir);
    vyk::test::writeText(
        (exeDir + QStringLiteral("config.ini")).toStdString(),
        "[devicelist]\nid1=" + id.toLower().toStdString() + "\n[usbdevicelist]\nid1=" + id.toStdString() + "\n");
    TuiSTDCommand::Services s;
    s.CreateArrivalNotifier = false;
    TuiSTDCommand c(nullptr, s);
    EXPECT_TRUE(c.IsHIDDeviceExist());
    EXPECT_TRUE(c.ISHIDDeviceExist(id.toLower()));
    EXPECT_FALSE(c.ISHIDDeviceExist(id + QStringLiteral("&X")));
    // The filter driver cannot be installed here: nothing happens and nothing breaks.
    c.HidInstallDriver(true);
    c.HidInstallDriver(false);

    sim.stop();
    EXPECT_FALSE(c.IsHIDDeviceExist());
    QFile::remove(exeDir + QStringLiteral("config.ini"));
}

}  // namespace
