// Writes the seed corpus of every fuzz target from the real formats, made by the programs' own
// code in a sandbox: the factory records of the store and a factory profile file, a fresh
// macro database with the default set, the shipped ui.local and config.ini, the simulated
// mouse's report descriptors, valid input reports, valid message frames and simulator
// requests. Damaged variants of each (cut short, counts out of range) are added where they
// reach code the valid form does not.
//
//   vyk_fuzz_seeds <corpus folder> <ui.local> <config.ini>
// Existing seeds of the same name are replaced; others are left alone.

#include "fuzz/support/fuzz_support.h"

#include "core/defs/pubunit_norvane.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroActions.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/hid/sim_protocol.h"
#include "sim/mouse_sim_server.h"

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
QString g_out;

Bytes fromQ(const QByteArray& b) { return Bytes(b.begin(), b.end()); }

void seed(const char* target, const std::string& name, const Bytes& bytes) {
    const QString path =
        g_out + QLatin1Char('/') + QLatin1String(target) + QLatin1Char('/') + QString::fromStdString(name);
    vyk::fuzz::writeFile(path, bytes.data(), bytes.size());
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes front(const Bytes& b, std::size_t n) {
    return Bytes(b.begin(), b.begin() + static_cast<long>(std::min(n, b.size())));
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4, 0);
    std::memcpy(b.data() + at, &v, 4);
}
void put64(Bytes& b, std::size_t at, std::uint64_t v) {
    if (b.size() < at + 8) b.resize(at + 8, 0);
    std::memcpy(b.data() + at, &v, 8);
}

// ---- the store and profile files

// A profile with the out-of-range values a crafted file carried to the mouse: function codes
// 0x63 and 0xFF, macro index 0xFF, 255 DPI levels, brightness 0xC8, breathing 0xFF, a polling
// rate of 7.
Bytes craftedValues(Bytes profile) {
    auto p = std::make_unique<TMouseProfileInfo>();
    std::memcpy(static_cast<void*>(p.get()), profile.data(), sizeof(TMouseProfileInfo));
    TMOUSECONFIGINFO& c = p->ConfigInfo;
    c.ButtonFuncInfo[0].FunctionCode = 0x63;
    c.ButtonFuncInfo[6].FunctionCode = 0xFF;
    c.ButtonFuncInfo[7].FunctionType = FUNCTION_TYPE_MACRO;
    c.ButtonFuncInfo[7].FunctionIndex = 30;
    c.ButtonFuncInfo[7].FunctionCode = FUNCTION_CODE_MACRO;
    c.ButtonFuncInfo[7].MacroKeyInfo.nMacroIndex = 0xFF;
    c.CPILevel = 0xFF;
    c.LEDConfig.BRIGHT_LEVEL = 0xC8;
    c.LEDConfig.BREATH_SPEED = 0xFF;
    c.LEDConfig.BREATH_SECOND = 0xFF;
    c.ReportRate = 7;
    std::memcpy(profile.data(), p.get(), sizeof(TMouseProfileInfo));
    return profile;
}

void storeSeeds() {
    const QString key = vyk::fuzz::registryDir() + QStringLiteral("HKEY_CURRENT_USER/software/software/Vykgmmouse/");
    {
        TDM dm;
        dm.SaveBackAllProfileInfoToRegistry();
        dm.SaveProfileGroupSettingInfoToRegistry();
        dm.SaveBackAllProfileSettingInfo();
        dm.SaveBackRecordMacroInfoToRegistry(dm.FRecordMacroInfo);
    }
    const char* const values[] = {"ProfileSettingGroup.pfd", "allsettings.pfd",   "VykProfile1.pfd",
                                  "VykProfile2.pfd",         "VykProfile3.pfd",   "VykProfile4.pfd",
                                  "VykProfile5.pfd",         "RecordRPROFILE.pfd"};
    for (std::uint8_t i = 0; i < 8; ++i) {
        const Bytes value = fromQ(vyk::fuzz::readFile(key + QLatin1String(values[i]) + QStringLiteral(".bin")));
        const std::string base = std::string("factory-") + values[i];
        seed("store_value", base, cat({{i}, value}));
        seed("store_value", base + "-cut", cat({{i}, front(value, 24)}));
        if (i >= 2 && i <= 6) {
            seed("profile_file", base, value);
            if (i == 2) {
                seed("profile_file", "version-only", front(value, 4));
                seed("profile_file", "longer", cat({value, Bytes(16, 0xA5)}));
                seed("profile_file", "cut", front(value, 4096));
                // Damaged and crafted files: refused, or loaded with their values repaired.
                seed("profile_file", "thousand-bytes", front(value, 1000));
                seed("profile_file", "half", front(value, value.size() / 2));
                seed("profile_file", "one-byte-short", front(value, value.size() - 1));
                seed("profile_file", "crafted-values", craftedValues(value));
            }
            if (i == 2) {
                // The same for a stored profile (an empty value, one byte short, a tail, another
                // version, values the window cannot produce).
                seed("store_value", "profile-empty", {i});
                seed("store_value", "profile-one-byte-short", cat({{i}, front(value, value.size() - 1)}));
                seed("store_value", "profile-tail", cat({{i}, value, Bytes(40, 0xC0)}));
                Bytes version = value;
                put32(version, 0, 0x102);
                seed("store_value", "profile-version", cat({{i}, version}));
                seed("store_value", "profile-crafted-values", cat({{i}, craftedValues(value)}));
            }
        }
        if (i == 0) {
            // Slot 0 kept in a profile file, the group index out of range, one name twice.
            Bytes group = value;
            group[offsetof(TProfileSettingGroup, ProfileSettingList) + offsetof(TProfileSetting, StorageKind)] = 1;
            seed("store_value", "group-file-slot", cat({{0}, group}));
            group = value;
            put32(group, offsetof(TProfileSettingGroup, CurrentProfileGroup), 7);
            put32(group, offsetof(TProfileSettingGroup, ProfileIndexOfProfileGroup), 0xFFFFFFFFu);
            seed("store_value", "group-out-of-range", cat({{0}, group}));
            group = value;
            const std::size_t name0 =
                offsetof(TProfileSettingGroup, ProfileSettingList) + offsetof(TProfileSetting, FileName);
            std::memcpy(group.data() + name0 + sizeof(TProfileSetting), group.data() + name0,
                        sizeof(TProfileSetting::FileName));
            seed("store_value", "group-name-twice", cat({{0}, group}));
            // Slot names and kinds that would lead out of the profile folder; byte 0 = 8 points
            // the slots' folders beside the profile folder instead of inside it.
            const auto withName = [&](int slot, const std::u16string& name) {
                Bytes g = value;
                const std::size_t at = name0 + slot * sizeof(TProfileSetting);
                std::fill_n(g.begin() + static_cast<long>(at), sizeof(TProfileSetting::FileName), 0);
                std::memcpy(g.data() + at, name.data(), std::min(name.size() * 2, sizeof(TProfileSetting::FileName)));
                return g;
            };
            seed("store_value", "group-name-climbs", cat({{0}, withName(1, u"../../.profile")}));
            seed("store_value", "group-name-folder", cat({{0}, withName(2, u"a/b\\c.pfd")}));
            seed("store_value", "group-name-no-end", cat({{0}, withName(3, std::u16string(21, u'A'))}));
            seed("store_value", "group-name-empty", cat({{0}, withName(4, u"")}));
            group = value;
            group[offsetof(TProfileSettingGroup, ProfileSettingList) + offsetof(TProfileSetting, StorageKind)] = 7;
            seed("store_value", "group-unknown-kind", cat({{0}, group}));
            group = value;
            for (int k = 0; k < 5; ++k) {
                group[offsetof(TProfileSettingGroup, ProfileSettingList) + k * sizeof(TProfileSetting) +
                      offsetof(TProfileSetting, StorageKind)] = 1;
            }
            seed("store_value", "group-files-outside", cat({{8}, group}));
            seed("store_value", "group-files-inside", cat({{0}, group}));
        }
    }
}

// ---- the macro database and .macro files

void macroSeeds() {
    const QString path = vyk::fuzz::scratchDir() + QStringLiteral("seeds/MacroSet.MSDB");
    vyk::fuzz::clearFolder(vyk::fuzz::scratchDir() + QStringLiteral("seeds"));
    TuiMacroSetClass db;
    db.LoadMacrosetDB(path);
    const Bytes empty = fromQ(vyk::fuzz::readFile(path));
    db.CreateNewMacroSet(QStringLiteral("DefaultMacroSet"));
    db.CreateNewMacro(QStringLiteral("Macro1"));
    db.CreateNewMacro(QStringLiteral("Macro2"));
    // Macro1: a key press, a delay and the release, as the recorder writes them.
    TMACROKEYINFO macro{};
    TuiMacroClass* list = db.CurrentMacroClass();
    list->GetMacroKeyItem(0, macro);
    const TMACROKEY actions[] = {{4, 1, {{0x04, 0}}}, {6, 0, {{50, 0}}}, {4, 0, {{0x04, 0}}}, {7, 0, {{2, 0}}}};
    macro.MacroListCount = 4;
    for (int i = 0; i < 4; ++i) macro.MacroList[i] = actions[i];
    list->SetMacroListIndex(0);
    list->SaveBackCurrentMacroKeyInfo(macro);
    db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    db.SaveMacroSetDB();
    const Bytes full = fromQ(vyk::fuzz::readFile(path));

    seed("macro_db", "fresh-empty", cat({{0}, empty}));
    seed("macro_db", "default-set", cat({{0}, full}));
    // The front that holds the default set, padded by the target (mode 1).
    std::size_t used = full.size();
    while (used > 0 && full[used - 1] == 0) --used;
    seed("macro_db", "default-set-front", cat({{1}, front(full, used)}));
    seed("macro_db", "short", cat({{0}, front(full, 100)}));
    // Damaged databases, each kept aside and reported: one byte short, longer than the record,
    // empty, counts of sets and macros past the slots; and a macro whose action count is past
    // its slots (read as far as the slots go, not a damaged database).
    seed("macro_db", "one-byte-short", cat({{0}, front(full, full.size() - 1)}));
    seed("macro_db", "long", cat({{0}, full, Bytes(1000, 0x5A)}));
    seed("macro_db", "empty", Bytes{0});
    Bytes counts = front(full, used);
    counts[0] = 0xFF;       // 255 sets
    counts[4 + 60] = 0xFF;  // 255 macros in set 0
    seed("macro_db", "counts-out-of-range", cat({{1}, counts}));
    Bytes longActions = front(full, used);
    const std::size_t firstMacro = 4 + offsetof(TuiMacroListOfMacroSet, MacroArrays);
    put32(longActions, firstMacro + offsetof(TMACROKEYINFO, MacroListCount), 129);
    seed("macro_db", "actions-out-of-range", cat({{1}, longActions}));

    TMACROKEYINFO stored{};
    list->GetMacroKeyItem(0, stored);
    const auto* p = reinterpret_cast<const std::uint8_t*>(&stored);
    seed("macro_db", "macro-file", cat({{2}, Bytes(p, p + sizeof stored)}));
    seed("macro_db", "macro-file-short", cat({{2}, Bytes(p, p + 40)}));
}

// ---- language file and config.ini

void textSeeds(const QString& uiLocal, const QString& configIni) {
    const Bytes shipped = fromQ(vyk::fuzz::readFile(uiLocal));
    seed("language", "shipped-ui.local", shipped);
    seed("language", "cut", front(shipped, shipped.size() / 3));
    TvgLang lang;
    lang.Original().Add(QStringLiteral("OK"));
    lang.AddLang(QStringLiteral("0804"));
    lang.Resources()[0].Table.Add(QStringLiteral("OK=\u786e\u5b9a"));
    const QByteArray small = lang.SaveToBytes();
    seed("language", "one-language", fromQ(small));

    const Bytes config = fromQ(vyk::fuzz::readFile(configIni));
    seed("config_ini", "shipped-config.ini", config);
    const std::string extra =
        "\xEF\xBB\xBF[Options]\nProfileRegFolder = \"software\\Other\"\nprofilePrefix='P'\n"
        "[OtherConfig]\nNoLogo=0x1\n[HelpFiles]\n0409=help\\manual_en.pdf\n0804=\n"
        "[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0701&MI_01\nid2=HID_DEVICE_UP:FF00_U:0001\n"
        "[DEVICE]\nWHQL=-$10\nUpperFilter=2147483648\n";
    seed("config_ini", "variants.ini", Bytes(extra.begin(), extra.end()));
    const std::string folders = "[options]\nprofileFolder=..\\..\\Escaped\nprofileMacroFolder=/tmp/Macros\n";
    seed("config_ini", "folders-leaving-documents.ini", Bytes(folders.begin(), folders.end()));
}

// ---- HID: descriptors and input reports

void hidSeeds() {
    for (const auto& [name, descriptor] : {std::pair{"vendor", vyk::sim::MouseSimServer::vendorDescriptor()},
                                           std::pair{"mouse", vyk::sim::MouseSimServer::mouseDescriptor()}}) {
        const std::uint16_t n = static_cast<std::uint16_t>(descriptor.size());
        seed("hid_descriptor", std::string("sim-") + name,
             cat({{1, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(n >> 8)},
                  descriptor,
                  {7, 0, 0, 4, 0, 0, 0, 0}}));
        seed("hid_descriptor", std::string("sim-") + name + "-single",
             cat({{0xFF, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(n >> 8)},
                  descriptor,
                  {0, 1, 2}}));
    }
    // Input report 7 (one button bit), report 8 (profile and DPI switches), and a wrong length.
    seed("input_report", "button-18", {8, 7, 0, 0, 4, 0, 0, 0, 0});
    seed("input_report", "button-0", {8, 7, 1, 0, 0, 0, 0, 0, 0});
    seed("input_report", "profile-3-dpi-2", {8, 8, 1, 2, 0, 0, 0, 0, 0, 8, 8, 2, 2, 0, 0, 0, 0, 0});
    seed("input_report", "two-bits-and-short", {8, 7, 3, 0, 0, 0, 0, 0, 0, 4, 8, 1, 1, 0});
}

// ---- message frames and simulator requests

Bytes frame(std::uint32_t kind, std::uint32_t msg, std::int64_t w, std::int64_t l) {
    Bytes f(32, 0);
    put32(f, 0, 0x314B5956u);
    put32(f, 4, kind);
    put32(f, 8, msg);
    put64(f, 16, static_cast<std::uint64_t>(w));
    put64(f, 24, static_cast<std::uint64_t>(l));
    return f;
}

Bytes packet(std::uint8_t len, const Bytes& body) { return cat({{len}, body}); }

Bytes simPacket(std::uint8_t flags, std::uint32_t type, std::uint32_t iface, const Bytes& payload) {
    Bytes p(16, 0);
    put32(p, 0, type);
    put32(p, 4, iface);
    put32(p, 12, static_cast<std::uint32_t>(payload.size()));
    p.insert(p.end(), payload.begin(), payload.end());
    return cat({{flags, static_cast<std::uint8_t>(p.size())}, p});
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void messageSeeds() {
    seed("ipc_frame", "send-settings-applied", packet(32, frame(1, 7035, 1, 2)));
    seed("ipc_frame", "post-cpi-index", packet(32, frame(2, 7042, 3, 0)));
    seed("ipc_frame", "reply-and-bad-magic",
         cat({packet(32, frame(3, 7035, 0, 0)), packet(31, front(frame(1, 1, 0, 0), 31))}));
    seed("ipc_frame", "send-then-post", cat({packet(32, frame(1, 7037, 1, 0)), packet(32, frame(2, 7100, 0, 0))}));

    namespace w = vyk::platform::hid::simwire;
    seed("sim_protocol", "list", simPacket(1, w::kList, 0, {}));
    seed("sim_protocol", "open-get-feature",
         cat({simPacket(1, w::kOpen, 0, {}), simPacket(0, w::kGetFeature, 0, {5, 8, 0, 0, 0}),
              simPacket(0, w::kSetFeature, 0, {4, 1, 2, 3}), simPacket(0, w::kWrite, 0, {9, 1})}));
    seed("sim_protocol", "watch-and-control",
         cat({simPacket(1, w::kWatch, 0, {}), simPacket(1, w::kControl, 0, text("unplug")),
              simPacket(1, w::kControl, 0, text("plug")), simPacket(1, w::kControl, 0, text("status"))}));
    seed("sim_protocol", "control-commands",
         cat({simPacket(1, w::kOpen, 1, {}), simPacket(1, w::kControl, 0, text("input --if 1 07 00 00 04")),
              simPacket(1, w::kControl, 0, text("fail 1 0 31")), simPacket(1, w::kControl, 0, text("peek 0 16")),
              simPacket(1, w::kControl, 0, text("poke 16 01 02 03"))}));
    // An interface list as the client decodes it (also the List reply's payload).
    const Bytes list =
        w::encodeInterfaces({{0, 0xF0F0, 0x0701, 0x0100, 1, vyk::sim::MouseSimServer::vendorDescriptor()}});
    seed("sim_protocol", "interface-list", list);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <corpus folder> <ui.local> <config.ini>\n", argv[0]);
        return 2;
    }
    vyk::fuzz::ensureApplication();
    g_out = QString::fromLocal8Bit(argv[1]);
    storeSeeds();
    macroSeeds();
    textSeeds(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    hidSeeds();
    messageSeeds();
    std::printf("seeds written to %s\n", argv[1]);
    return 0;
}
