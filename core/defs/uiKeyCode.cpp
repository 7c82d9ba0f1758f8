#include "core/defs/uiKeyCode.h"

#include "core/defs/pubunit_norvane.h"

namespace {

QString hex(int value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// A row that nothing describes: "VK_UNDEFINED_xxx" / "UNDEFINED_xxx" with three hex digits.
TKeyboardInfoTable defaultRow(int vk, int extended) {
    TKeyboardInfoTable row;
    row.VKName = QStringLiteral("VK_UNDEFINED_") + hex(vk, 3);
    row.VKCode = vk;
    row.ScanCode = 0;
    row.Extended = extended;
    row.HIDCode = -1;
    row.KeyDescription = QStringLiteral("UNDEFINED_") + hex(vk, 3);
    return row;
}

struct Tables {
    TKeyboardInfoTables a;
    TKeyboardInfoTables b;
};

void setRow(TKeyboardInfoTables& t, int vk, const QString& name, int hid, const QString& text,
            int extended = KEY_EXTENDED_NORMAL, int scanCode = 0) {
    TKeyboardInfoTable& row = t[static_cast<std::size_t>(vk)];
    row.VKName = name;
    row.VKCode = vk;
    row.ScanCode = scanCode;
    row.Extended = extended;
    row.HIDCode = hid;
    row.KeyDescription = text;
}

void fillTableA(TKeyboardInfoTables& a) {
    constexpr int E1 = KEY_EXTENDED_EXTENDED;
    auto s = [](const char* text) { return QString::fromLatin1(text); };

    setRow(a, 0x00, s("VK_NULL"), -1, QString());
    setRow(a, 0x01, s("VK_LBUTTON"), -1, s("Mouse Left Click"));
    setRow(a, 0x02, s("VK_RBUTTON"), -1, s("Mouse Right Click"));
    setRow(a, 0x03, s("VK_CANCEL"), -1, s("Control Break"));
    setRow(a, 0x04, s("VK_MBUTTON"), -1, s("Mouse Middle Click"));

    // Codes without a key of their own: their names carry two hex digits.
    const std::pair<int, int> undefined[] = {{0x05, 0x07}, {0x0A, 0x0B}, {0x0E, 0x0F}, {0x15, 0x1A}, {0x1C, 0x1F},
                                             {0x3A, 0x40}, {0x5E, 0x5F}, {0x88, 0x8F}, {0x92, 0x9F}};
    for (const auto& [first, last] : undefined)
        for (int vk = first; vk <= last; ++vk) setRow(a, vk, s("VK_UNDEFINED_") + hex(vk, 2), -1, s("Undefined"));

    setRow(a, 0x08, s("VK_BACK"), 0x2A, s("BACKSPACE"));
    setRow(a, 0x09, s("VK_TAB"), 0x2B, s("TAB"));
    setRow(a, 0x0C, s("VK_CLEAR"), 0x9C, s("CLEAR"));
    setRow(a, 0x0D, s("VK_RETURN"), 0x28, s("ENTER"));
    setRow(a, 0x10, s("VK_SHIFT"), -1, s("SHIFT"));
    setRow(a, 0x11, s("VK_CONTROL"), -1, s("CTRL"));
    setRow(a, 0x12, s("VK_MENU"), -1, s("ALT"));
    setRow(a, 0x13, s("VK_PAUSE"), 0x48, s("PAUSE"));
    setRow(a, 0x14, s("VK_CAPITAL"), 0x39, s("CAPS LOCK"));
    setRow(a, 0x1B, s("VK_ESCAPE"), 0x29, s("ESC"));
    setRow(a, 0x20, s("VK_SPACE"), 0x2C, s("SPACEBAR"));
    // Without the extended flag the navigation block is the keypad: keypad usages.
    setRow(a, 0x21, s("VK_PRIOR"), 0x61, s("PAGE UP"));
    setRow(a, 0x22, s("VK_NEXT"), 0x5B, s("PAGE DOWN"));
    setRow(a, 0x23, s("VK_END"), 0x59, s("END"));
    setRow(a, 0x24, s("VK_HOME"), 0x5F, s("HOME"));
    setRow(a, 0x25, s("VK_LEFT"), 0x5C, s("LEFT ARROW"));
    setRow(a, 0x26, s("VK_UP"), 0x60, s("UP ARROW"));
    setRow(a, 0x27, s("VK_RIGHT"), 0x5E, s("RIGHT ARROW"));
    setRow(a, 0x28, s("VK_DOWN"), 0x5A, s("DOWN ARROW"));
    setRow(a, 0x29, s("VK_SELECT"), -1, s("SELECT"));
    setRow(a, 0x2A, s("VK_PRINT"), -1, s("PRINT"));
    setRow(a, 0x2B, s("VK_EXECUTE"), -1, s("EXECUTE"));
    setRow(a, 0x2C, s("VK_SNAPSHOT"), 0x46, s("PRINT SCREEN"), E1);
    setRow(a, 0x2D, s("VK_NUMPAD0_INSERT"), 0x62, s("Keypad 0 Insert"));
    setRow(a, 0x2E, s("VK_DELETE"), 0x63, s("Keypad DEL"));
    setRow(a, 0x2F, s("VK_HELP"), -1, s("HELP"));
    setRow(a, 0x30, s("VK_0"), 0x27, s("0"));
    for (int i = 1; i <= 9; ++i) setRow(a, 0x30 + i, s("VK_") + QString::number(i), 0x1D + i, QString::number(i));
    for (int i = 0; i < 26; ++i) {
        const QString letter(QChar(u'A' + i));
        setRow(a, 0x41 + i, s("VK_") + letter, 0x04 + i, letter);
    }
    setRow(a, 0x5B, s("VK_LWIN"), 0xE3, s("L WIN"), E1);
    setRow(a, 0x5C, s("VK_RWIN"), 0xE7, s("R WIN"), E1);
    setRow(a, 0x5D, s("VK_APP"), 0x65, s("APP"), E1);
    setRow(a, 0x60, s("VK_NUMPAD0"), 0x62, s("NUMPAD 0"));
    for (int i = 1; i <= 9; ++i)
        setRow(a, 0x60 + i, s("VK_NUMPAD") + QString::number(i), 0x58 + i, s("NUMPAD ") + QString::number(i));
    setRow(a, 0x6A, s("VK_MULTIPLY"), 0x55, s("Multiply"));
    setRow(a, 0x6B, s("VK_ADD"), 0x57, s("+"));
    setRow(a, 0x6C, s("VK_SEPARATOR"), 0x97, s("Separator"));
    setRow(a, 0x6D, s("VK_SUBTRACT"), 0x56, s("-"));
    setRow(a, 0x6E, s("VK_DECIMAL"), 0x63, s("Decimal"));
    setRow(a, 0x6F, s("VK_DIVIDE"), 0x54, s("Divide"), E1);
    for (int i = 1; i <= 12; ++i)
        setRow(a, 0x6F + i, s("VK_F") + QString::number(i), 0x39 + i, s("F") + QString::number(i));
    for (int i = 13; i <= 24; ++i)
        setRow(a, 0x6F + i, s("VK_F") + QString::number(i), 0x68 + (i - 13), s("F") + QString::number(i));
    setRow(a, 0x90, s("VK_NUMLOCK"), 0x53, s("NUM LOCK"), E1);
    setRow(a, 0x91, s("VK_SCROLL"), 0x47, s("Scroll Lock"));
    setRow(a, 0xA0, s("VK_LSHIFT"), 0xE1, s("L SHIFT"));
    setRow(a, 0xA1, s("VK_RSHIFT"), 0xE5, s("R SHIFT"), E1);
    setRow(a, 0xA2, s("VK_LCONTROL"), 0xE0, s("L CTRL"));
    setRow(a, 0xA3, s("VK_RCONTROL"), 0xE4, s("R CTRL"), E1);
    setRow(a, 0xA4, s("VK_LMENU"), 0xE2, s("L ALT"));
    setRow(a, 0xA5, s("VK_RMENU"), 0xE6, s("R ALT"), E1);

    // Browser, volume, media and launch keys carry Consumer-page usages.
    struct Consumer {
        int vk;
        const char* name;
        int hid;
    };
    const Consumer consumer[] = {
        {0xA6, "BROWSER_BACK", 0x224},    {0xA7, "BROWSER_FORWARD", 0x225},
        {0xA8, "BROWSER_REFRESH", 0x227}, {0xA9, "BROWSER_STOP", 0x226},
        {0xAA, "BROWSER_SEARCH", 0x221},  {0xAB, "BROWSER_FAVORITES", 0x22A},
        {0xAC, "BROWSER_HOME", 0x223},    {0xAD, "VOLUME_MUTE", 0xE2},
        {0xAE, "VOLUME_DOWN", 0xEA},      {0xAF, "VOLUME_UP", 0xE9},
        {0xB0, "MEDIA_NEXT_TRACK", 0xB5}, {0xB1, "MEDIA_PREV_TRACK", 0xB6},
        {0xB2, "MEDIA_STOP", 0xB7},       {0xB3, "MEDIA_PLAY_PAUSE", 0xCD},
        {0xB4, "LAUNCH_MAIL", 0x18A},     {0xB5, "LAUNCH_MEDIA_SELECT", 0x183},
        {0xB6, "LAUNCH_APP1", 0x194},     {0xB7, "LAUNCH_APP2", 0x192},
    };
    for (const Consumer& c : consumer) setRow(a, c.vk, s("VK_") + s(c.name), c.hid, s(c.name), E1);

    setRow(a, 0xBA, s("VK_OEM_1"), 0x33, s(";:"));
    setRow(a, 0xBB, s("VK_OEM_PLUS"), 0x2E, s("+="));
    setRow(a, 0xBC, s("VK_OEM_COMMA"), 0x36, s(",<"));
    setRow(a, 0xBD, s("VK_OEM_MINUS"), 0x2D, s("-_"));
    setRow(a, 0xBE, s("VK_OEM_PERIOD"), 0x37, s(".>"));
    setRow(a, 0xBF, s("VK_OEM_2"), 0x38, s("/?"));
    setRow(a, 0xC0, s("VK_OEM_3"), 0x35, s("~`"));

    setRow(a, 0xDB, s("VK_OEM_4"), 0x2F, s("[{"));
    setRow(a, 0xDC, s("VK_OEM_5"), 0x31, s("\\|"));
    setRow(a, 0xDD, s("VK_OEM_6"), 0x30, s("]}"));
    setRow(a, 0xDE, s("VK_OEM_7"), 0x34, s("'\""));
    setRow(a, 0xDF, s("VK_OEM_8"), -1, s("None"));
    setRow(a, 0xE0, s("VK_UNDEFINED_E0"), -1, s("Undefined"));
    setRow(a, 0xE1, s("VK_OEM_AX"), -1, s("AX"));
    setRow(a, 0xE2, s("VK_OEM_102"), -1, s("\\|"));
}

void fillTableB(TKeyboardInfoTables& b) {
    constexpr int E1 = KEY_EXTENDED_EXTENDED;
    auto s = [](const char* text) { return QString::fromLatin1(text); };

    setRow(b, 0x0D, s("VK_RETURN"), 0x58, s("ENTER"), E1);
    setRow(b, 0x2D, s("VK_INSERT"), 0x49, s("INS"), E1);
    setRow(b, 0x2E, s("VK_DELETE"), 0x4C, s("DEL"), E1);
    // VK 0xFF shares the usage and the name of the extended Delete key.
    setRow(b, 0xFF, s("VK_POWER"), 0x4C, s("DEL"), E1, 0x5E);

    setRow(b, 0x21, s("VK_PRIOR"), 0x4B, s("PAGE UP"), E1);
    setRow(b, 0x22, s("VK_NEXT"), 0x4E, s("PAGE DOWN"), E1);
    setRow(b, 0x23, s("VK_END"), 0x4D, s("END"), E1);
    setRow(b, 0x24, s("VK_HOME"), 0x4A, s("HOME"), E1);
    setRow(b, 0x25, s("VK_LEFT"), 0x50, s("LEFT ARROW"), E1);
    setRow(b, 0x26, s("VK_UP"), 0x52, s("UP ARROW"), E1);
    setRow(b, 0x27, s("VK_RIGHT"), 0x4F, s("RIGHT ARROW"), E1);
    setRow(b, 0x28, s("VK_DOWN"), 0x51, s("DOWN ARROW"), E1);
}

Tables makeTables() {
    Tables t;
    for (int vk = 0; vk < KEY_TABLE_SIZE; ++vk) {
        t.a[static_cast<std::size_t>(vk)] = defaultRow(vk, KEY_EXTENDED_NORMAL);
        t.b[static_cast<std::size_t>(vk)] = defaultRow(vk, KEY_EXTENDED_EXTENDED);
    }
    fillTableA(t.a);
    fillTableB(t.b);
    return t;
}

// Built on first use under the language's one-time initialisation (which locks), and forced
// before main() by the initialiser below, so no thread ever sees a half-built table.
const Tables& tables() {
    static const Tables instance = makeTables();
    return instance;
}

[[maybe_unused]] const bool builtAtStartup = (tables(), true);

// The row that (VK, extended flag) reads, or nullptr for a VK outside the tables.
const TKeyboardInfoTable* lookup(int vk, int extended) {
    // 0xE0 and 0xE1 are the table's own markers; 0 and 1 are the hook's flag.
    const int mode = extended == KEY_EXTENDED_NORMAL ? 0 : extended == KEY_EXTENDED_EXTENDED ? 1 : extended;
    const Tables& t = tables();
    if (vk < 0 || vk >= KEY_TABLE_SIZE) return nullptr;
    const auto i = static_cast<std::size_t>(vk);
    // A key that table A already marks as extended is read from table A with the flag set;
    // any flag other than 0 or 1 reads table B.
    const bool useA = mode == 0 || (mode == 1 && t.a[i].Extended == KEY_EXTENDED_EXTENDED);
    return useA ? &t.a[i] : &t.b[i];
}

}  // namespace

void BuildKeyboardInfoTables() { (void)tables(); }

const TKeyboardInfoTables& KeyboardInfoTableA() { return tables().a; }

const TKeyboardInfoTables& KeyboardInfoTableB() { return tables().b; }

int VKToHIDCode(int vk, int extended) {
    const TKeyboardInfoTable* row = lookup(vk, extended);
    if (!row || row->HIDCode == -1) return 0;
    return row->HIDCode;
}

QString GetKeyDescription(int vk, int extended) {
    const TKeyboardInfoTable* row = lookup(vk, extended);
    return row ? row->KeyDescription : QString();
}

QString GetModifierText(std::uint8_t modifier) {
    QString text;
    if (modifier & 1) text += QStringLiteral("Alt+");
    if (modifier & 2) text += QStringLiteral("Ctrl+");
    if (modifier & 4) text += QStringLiteral("Shift+");
    if (modifier & 8) text += QStringLiteral("WIN+");
    return text;
}

std::uint8_t ModifierToHIDModifier(std::uint8_t modifier) {
    std::uint8_t hid = 0;
    if (modifier & 1) hid |= 4;  // Alt
    if (modifier & 2) hid |= 1;  // Ctrl
    if (modifier & 4) hid |= 2;  // Shift
    if (modifier & 8) hid |= 8;  // Win / GUI
    return hid;
}

// --- Shortcut presets -------------------------------------------------------------------------

void MakeHIDCodeInfo(int modifier, int key1, int key1Extended, int key2, int key2Extended, THID_CODE_INFO& info) {
    info.nKeyValue1 = static_cast<std::uint16_t>(VKToHIDCode(key1, key1Extended));
    info.nKeyValue2 = static_cast<std::uint16_t>(VKToHIDCode(key2, key2Extended));
    info.nModifier = static_cast<std::uint16_t>(modifier);
}

void MakeComboKeyInfo(int modifier, int key1, int key1Extended, int key2, int key2Extended, TCOMBOKEYINFO& info) {
    info.nModifier = static_cast<std::uint16_t>(modifier);
    info.nKeyValue1 = static_cast<std::uint16_t>(key1);
    info.nKey1Extended = static_cast<std::uint16_t>(key1Extended);
    info.nKeyValue2 = static_cast<std::uint16_t>(key2);
    info.nKey2Extended = static_cast<std::uint16_t>(key2Extended);
}

namespace {

using HIDCodeTable = std::array<THID_CODE_INFO, SHORTCUT_TABLE_ROWS>;
using ComboKeyTable = std::array<TCOMBOKEYINFO, SHORTCUT_TABLE_ROWS>;

struct PresetKey {
    int modifier;
    int vk;
};

// Edit, system, media and a fourth group that the menu does not offer; rows not listed are zero.
struct PresetTables {
    HIDCodeTable hidEdit{}, hidSystem{}, hidMedia{}, hidFourth{};
    ComboKeyTable comboEdit{}, comboSystem{}, comboMedia{}, comboFourth{};
};

template <std::size_t N>
void fillHID(HIDCodeTable& table, const PresetKey (&rows)[N], int flag) {
    for (std::size_t i = 0; i < N; ++i) MakeHIDCodeInfo(rows[i].modifier, rows[i].vk, flag, 0, 0, table[i]);
}

template <std::size_t N>
void fillCombo(ComboKeyTable& table, const PresetKey (&rows)[N], int flag) {
    for (std::size_t i = 0; i < N; ++i) MakeComboKeyInfo(rows[i].modifier, rows[i].vk, flag, 0, 0, table[i]);
}

PresetTables makePresetTables() {
    PresetTables t;
    // HID modifier bits: 1 Ctrl, 4 Alt, 8 GUI.
    const PresetKey hidEdit[] = {{1, 'X'}, {1, 'C'}, {1, 'V'}, {1, 'A'}, {1, 'F'}, {1, 'N'}, {1, 'P'}, {1, 'S'}};
    const PresetKey hidSystem[] = {{4, 0x09}, {4, 0x73}, {8, 'E'}, {8, 'R'}, {8, 'D'}, {8, 'L'}};
    const PresetKey media[] = {{0, 0xB3}, {0, 0xB2}, {0, 0xB1}, {0, 0xB0}, {0, 0xAF}, {0, 0xAE}, {0, 0xAD}, {0, 0xB5}};
    const PresetKey hidFourth[] = {{0, 0xAC}, {0, 0xA6}, {0, 0xA7}, {0, 0xA9}, {0, 0xA8}, {0, 0xAA}, {0, 0xAB}};
    fillHID(t.hidEdit, hidEdit, 0);
    fillHID(t.hidSystem, hidSystem, 0);
    fillHID(t.hidMedia, media, 1);
    fillHID(t.hidFourth, hidFourth, 1);

    // System modifier bits: 1 Alt, 2 Ctrl, 4 Shift, 8 Win.
    const PresetKey comboEdit[] = {{2, 'X'}, {2, 'C'}, {2, 'V'}, {2, 'A'}, {2, 'F'}, {2, 'N'}, {2, 'P'}, {2, 'S'}};
    const PresetKey comboSystem[] = {{1, 0x09}, {1, 0x73}, {8, 'E'}, {8, 'R'}, {8, 'D'}, {8, 'L'}};
    const PresetKey comboFourth[] = {{2, 'W'}, {2, 0x6B}, {2, 0x6D}, {6, 0x09}, {2, 0x09}};
    fillCombo(t.comboEdit, comboEdit, 0);
    fillCombo(t.comboSystem, comboSystem, 0);
    fillCombo(t.comboMedia, media, 1);
    fillCombo(t.comboFourth, comboFourth, 0);
    return t;
}

const PresetTables& presetTables() {
    static const PresetTables instance = makePresetTables();
    return instance;
}

template <class Row>
void copyRow(const std::array<Row, SHORTCUT_TABLE_ROWS>& table, int index, Row& out) {
    if (index >= 0 && index < SHORTCUT_TABLE_ROWS) out = table[static_cast<std::size_t>(index)];
}

}  // namespace

void BuildHIDCodeInfoTables() { (void)presetTables(); }

void BuildComboKeyInfoTables() { (void)presetTables(); }

void GetMediaHIDCodeInfo(int index, THID_CODE_INFO& info) { copyRow(presetTables().hidMedia, index, info); }

void GetEditComboKeyInfo(int index, TCOMBOKEYINFO& info) { copyRow(presetTables().comboEdit, index, info); }

void GetSystemComboKeyInfo(int index, TCOMBOKEYINFO& info) { copyRow(presetTables().comboSystem, index, info); }
