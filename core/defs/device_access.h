#pragma once
// What both programs tell a user whose mouse is plugged in but whose hidraw nodes they may not
// open (no udev rule yet, or the mouse was not plugged in again since it was installed): the
// English text, translated at display time with the rule file put in for %1, and where that
// rule file is.

#include <QLatin1String>
#include <QString>

inline constexpr QLatin1String DEVICE_ACCESS_DENIED_TEXT{
    "YOUR MOUSE IS CONNECTED, BUT THIS USER MAY NOT OPEN IT. INSTALL THE UDEV RULE %1, THEN UNPLUG THE MOUSE "
    "AND PLUG IT IN AGAIN."};

// The file name of the udev rule that opens the mouse to the user at the seat.
inline constexpr QLatin1String DEVICE_UDEV_RULE_NAME{"70-vyk-mouse.rules"};

// The copy of the rule shipped in the program's folder (udev/70-vyk-mouse.rules, the folder
// matched without regard to case), or the bare file name when the folder holds none.
QString DeviceUdevRuleFile();
