// Fuzz target: the bytes as config.ini beside the program, read through the options readers
// of both programs (section options, OtherConfig and HelpFiles; the HID include list) and the
// INI reader's own queries.
//
// Checked, besides the sanitizers: every key listed for a section exists and reads as the
// same value however its name is cased; a key that does not exist gives the caller's default;
// integers read back as text parse to the same number; nothing read is longer than the file;
// the profile and macro folders never lead out of the folder they are taken in.

#include "fuzz/support/fuzz_support.h"

#include "core/defs/pubunit_norvane.h"
#include "core/defs/pubunit_norvane_config.h"
#include "platform/ini/ini_file.h"
#include "platform/registry/registry.h"

namespace {

const QString kDefault = QStringLiteral("\x01-default-\x01");

bool isAscii(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80) return false;
    return true;
}

void checkSection(const vyk::platform::IniFile& ini, const QString& section, qsizetype fileChars) {
    const QStringList keys = ini.sectionKeys(section);
    VYK_FUZZ_CHECK(keys.isEmpty() || ini.sectionExists(section), "keys of a section that does not exist");
    for (const QString& key : keys) {
        VYK_FUZZ_CHECK(ini.keyExists(section, key), "a listed key does not exist");
        const QString value = ini.readString(section, key, kDefault);
        VYK_FUZZ_CHECK(value != kDefault, "a listed key reads as missing");
        VYK_FUZZ_CHECK(value.size() <= fileChars && key.size() <= fileChars, "a value longer than the file");
        VYK_FUZZ_CHECK(ini.readString(section.toUpper(), key.toUpper(), kDefault) ==
                               ini.readString(section.toLower(), key.toLower(), kDefault) ||
                           !isAscii(key),
                       "names are not compared without regard to case");
        int n = 0;
        if (vyk::platform::IniFile::parseInteger(value, &n)) {
            VYK_FUZZ_CHECK(ini.readInteger(section, key, n ^ 1) == n, "an integer value does not read as one");
            int again = 0;
            VYK_FUZZ_CHECK(vyk::platform::IniFile::parseInteger(QString::number(n), &again) && again == n,
                           "a number does not parse back from its text");
        }
    }
    VYK_FUZZ_CHECK(ini.readString(section, QStringLiteral("no such key \x02"), kDefault) == kDefault,
                   "a missing key does not give the default");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::initSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vyk::fuzz::initSandbox();
    const QString path = vyk::fuzz::exeDir() + QStringLiteral("config.ini");
    vyk::fuzz::writeFile(path, data, size);
    VYK_FUZZ_CHECK(ConfigFilePath() == path, "config.ini is not found beside the program");

    TOptionsFromConfigFile options;
    const QList<TRefusedOption> refused = ReadOptionsFromConfigFile(options);
    for (const QString& folder : {options.ProfileFolder, options.ProfileMacroFolder}) {
        const QString f = QString(folder).replace(QLatin1Char('\\'), QLatin1Char('/'));
        VYK_FUZZ_CHECK(!f.startsWith(QLatin1Char('/')) && !f.split(QLatin1Char('/')).contains(QStringLiteral("..")),
                       "a profile folder of config.ini leads out of Documents");
    }
    for (const TRefusedOption& r : refused) VYK_FUZZ_CHECK(r.Value != r.Used, "a refused value was used");
    TOtherConfig other;
    ReadOtherConfig(other);
    for (const QString& pair : other.HelpFile)
        VYK_FUZZ_CHECK(pair.contains(QLatin1Char('=')), "a help entry without '='");
    // The store's key comes from the options; opening it (without creating) must be safe for
    // any text.
    (void)vyk::platform::RegistryKey::exists(HKEY_CURRENT_USER,
                                             QStringLiteral("software\\") + options.ProfileRegFolder);

    const vyk::platform::IniFile ini(path);
    const qsizetype chars = static_cast<qsizetype>(size) + 1;
    for (const char* section :
         {"options", "OtherConfig", "HelpFiles", "IncludeHIDDeviceList", "devicelist", "usbdevicelist", "DEVICE"}) {
        checkSection(ini, QString::fromLatin1(section), chars);
    }
    return 0;
}
