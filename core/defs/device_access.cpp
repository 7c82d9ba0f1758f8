#include "core/defs/device_access.h"

#include "platform/paths/paths.h"

#include <QFileInfo>

QString DeviceUdevRuleFile() {
    const QString path = vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(),
                                                               QStringLiteral("udev/") + DEVICE_UDEV_RULE_NAME);
    return QFileInfo(path).isFile() ? path : QString(DEVICE_UDEV_RULE_NAME);
}
