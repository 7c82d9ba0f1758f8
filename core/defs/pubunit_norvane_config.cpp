#include "core/defs/pubunit_norvane_config.h"

#include "platform/ini/ini_file.h"
#include "platform/paths/paths.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

// True when a folder value of section options stays below the folder it is taken in.
bool staysBelow(const QString& value) {
    if (value.startsWith(QLatin1Char('/')) || value.startsWith(QLatin1Char('\\'))) return false;
    for (const QString& level : QString(value).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'))) {
        if (level == QLatin1String("..")) return false;
        for (const QChar c : level) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
        }
    }
    return true;
}

}  // namespace

QString ConfigFilePath() {
    return vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("config.ini"));
}

QList<TRefusedOption> ReadOptionsFromConfigFile(TOptionsFromConfigFile& AOptions) {
    const vyk::platform::IniFile ini(ConfigFilePath());
    const QString section = QStringLiteral("options");
    QList<TRefusedOption> refused;
    const auto folder = [&](const QString& key, const QString& fallback) {
        const QString value = ini.readString(section, key, fallback);
        if (staysBelow(value)) return value;
        refused.append({key, value, fallback});
        return fallback;
    };
    AOptions.ProfileRegFolder =
        ini.readString(section, QStringLiteral("ProfileRegFolder"), QStringLiteral("software\\Vykgmmouse"));
    AOptions.ProfileFolder = folder(QStringLiteral("profileFolder"), QStringLiteral("VykProfile"));
    AOptions.ProfileNamePrefix = ini.readString(section, QStringLiteral("profilePrefix"), QStringLiteral("VykProfile"));
    AOptions.ProfileMacroFolder = folder(QStringLiteral("profileMacroFolder"), QStringLiteral("MacroDB"));
    return refused;
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
