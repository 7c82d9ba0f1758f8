#pragma once
// The config.ini readers of the shared definitions and the profile creation stamp.
//
// config.ini sits beside the executable; a missing file or key gives the defaults below.
// Nothing in either program writes it.

#include "core/defs/pubunit_norvane.h"

#include <QString>

// Full path of config.ini in the executable's folder (found without regard to case).
QString ConfigFilePath();

// Section options: ProfileRegFolder (default "software\Vykgmmouse"), profileFolder
// ("VykProfile"), profilePrefix ("VykProfile"), profileMacroFolder ("MacroDB").
void ReadOptionsFromConfigFile(TOptionsFromConfigFile& AOptions);

// Section OtherConfig (NoLogo, OfficialWebsite, SupportEmail) and every key=value pair of
// section HelpFiles in file order (keys with an empty value are left out). The lock-state
// flags stay 0.
void ReadOtherConfig(TOtherConfig& AOtherConfig);

// The current local date and time as a day count since 1899-12-30, the fraction being the
// time of day.
void NewProfileUID(TProfileUIDData& AUID);
