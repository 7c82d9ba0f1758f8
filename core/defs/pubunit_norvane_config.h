#pragma once
// The config.ini readers of the shared definitions and the profile creation stamp.
//
// config.ini sits beside the executable; a missing file or key gives the defaults below.
// Nothing in either program writes it.

#include "core/defs/pubunit_norvane.h"

#include <QList>
#include <QString>

// A value of section options that was refused: the key, the value as written, and the value
// used instead.
struct TRefusedOption {
    QString Key;
    QString Value;
    QString Used;
};

// Full path of config.ini in the executable's folder (found without regard to case).
QString ConfigFilePath();

// Section options: ProfileRegFolder (default "software\Vykgmmouse"), profileFolder
// ("VykProfile"), profilePrefix ("VykProfile"), profileMacroFolder ("MacroDB").
// profileFolder names a folder below Documents and profileMacroFolder one below the profile
// folder (either separator, several levels allowed): a value that would lead out of it (an
// absolute path, a "..", a control character) is refused, its default is used, and it is
// returned so that the caller can tell the user.
QList<TRefusedOption> ReadOptionsFromConfigFile(TOptionsFromConfigFile& AOptions);

// Section OtherConfig (NoLogo, OfficialWebsite, SupportEmail) and every key=value pair of
// section HelpFiles in file order (keys with an empty value are left out). The lock-state
// flags stay 0.
void ReadOtherConfig(TOtherConfig& AOtherConfig);

// The current local date and time as a day count since 1899-12-30, the fraction being the
// time of day.
void NewProfileUID(TProfileUIDData& AUID);
