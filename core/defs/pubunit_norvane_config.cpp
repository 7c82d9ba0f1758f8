#include "core/defs/pubunit_norvane_config.h"

#include "platform/ini/ini_file.h"
#include "platform/paths/paths.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

QString ConfigFilePath() {
    return vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("config.ini"));
}

void ReadOptionsFromConfigFile(TOptionsFromConfigFile& AOptions) {
    const vyk::platform::IniFile ini(ConfigFilePath());
    const QString section = QStringLiteral("options");
    AOptions.ProfileRegFolder =
        ini.readString(section, QStringLiteral("ProfileRegFolder"), QStringLiteral("software\\Vykgmmouse"));
    AOptions.ProfileFolder = ini.readString(section, QStringLiteral("profileFolder"), QStringLiteral("VykProfile"));
    AOptions.ProfileNamePrefix =
        ini.readString(section, QStringLiteral("profilePrefix"), QStringLiteral("VykProfile"));
    AOptions.ProfileMacroFolder =
        ini.readString(section, QStringLiteral("profileMacroFolder"), QStringLiteral("MacroDB"));
}

void ReadOtherConfig(TOtherConfig& AOtherConfig) {
    const vyk::platform::IniFile ini(ConfigFilePath());
    const QString other = QStringLiteral("OtherConfig");
    AOtherConfig.Nologo = ini.readInteger(other, QStringLiteral("NoLogo"), 0);
    AOtherConfig.OfficialWebsite = ini.readString(other, QStringLiteral("OfficialWebsite"), QStringLiteral("http://"));
    AOtherConfig.SupportEmail = ini.readString(other, QStringLiteral("SupportEmail"));
    AOtherConfig.HelpFile.clear();
    const QString help = QStringLiteral("HelpFiles");
    for (const QString& key : ini.sectionKeys(help)) {
        const QString value = ini.readString(help, key);
        if (!value.isEmpty()) AOtherConfig.HelpFile.append(key + QLatin1Char('=') + value);
    }
}

void NewProfileUID(TProfileUIDData& AUID) {
    const QDateTime now = QDateTime::currentDateTime();
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(now.date()));
    AUID.DataTime = days + static_cast<double>(now.time().msecsSinceStartOfDay()) / 86400000.0;
}
