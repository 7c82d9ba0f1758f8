// The keyboard recorders and the keyboard filter of the hook client, driven by a stand-in
// library that hands over events with chosen times.

#include "tests/core/hook/hook_fixture.h"

#include <tuple>

namespace vyk::test {
namespace {

constexpr unsigned VK_A = 0x41, VK_B = 0x42, VK_C = 0x43;
constexpr unsigned VK_RIGHT = 0x27, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3;
constexpr unsigned VK_LMENU = 0xA4, VK_RWIN = 0x5C;

using HookKeyboard = FakeHookTest;

TEST_F(HookKeyboard, SingleKeyReportsPressAndReleaseAndLetsTheHandlerDecideSwallowing) {
    TuiHook hook;
    ASSERT_TRUE(hook.DLLLoaded());
    std::vector<std::tuple<int, unsigned, int, int, QString>> seen;
    bool block = false;
    hook.OnRecordKeyboardSingleKey = [&](int key, std::uint32_t scan, int state, int ext, const QString& text,
                                         bool& blocked) {
        seen.emplace_back(key, scan, state, ext, text);
        blocked = block;
    };
    hook.RecordKeyboardSingleKey();
    EXPECT_EQ(takeLog(), "DK EK ");

    EXPECT_EQ(key(VK_A, false, 1000, false, 0x1E), 0);
    EXPECT_EQ(key(VK_A, true, 1100, false, 0x1E), 0);
    block = true;
    EXPECT_EQ(key(VK_RIGHT, false, 1200, true, 0x4D), 1);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_tuple(0x41, 0x1Eu, 1, 0, QString("A")));
    EXPECT_EQ(seen[1], std::make_tuple(0x41, 0x1Eu, 0, 0, QString("A")));
    EXPECT_EQ(seen[2], std::make_tuple(0x27, 0x4Du, 1, 1, QString("RIGHT ARROW")));

    hook.StopRecordKeyboardSingleKey();
    EXPECT_FALSE(keyboardEnabled());
}

struct ComboEvent {
    int key1, ext1, key2, ext2, modifier;
    QString text;
    bool operator==(const ComboEvent& o) const {
        return std::tie(key1, ext1, key2, ext2, modifier, text) ==
               std::tie(o.key1, o.ext1, o.key2, o.ext2, o.modifier, o.text);
    }
};

void PrintTo(const ComboEvent& e, std::ostream* os) {
    *os << "{" << e.key1 << "," << e.ext1 << "," << e.key2 << "," << e.ext2 << ",mod " << e.modifier << ",\""
        << e.text.toStdString() << "\"}";
}

class HookCombination : public FakeHookTest {
protected:
    void SetUp() override {
        FakeHookTest::SetUp();
        hook_ = std::make_unique<TuiHook>();
        hook_->OnRecordKeyboardComboKey = [this](int k1, int e1, int k2, int e2, int mod, const QString& text) {
            events.push_back({k1, e1, k2, e2, mod, text});
        };
        hook_->RecordKeyboardComboKey();
    }
    void TearDown() override {
        hook_.reset();
        FakeHookTest::TearDown();
    }
    std::unique_ptr<TuiHook> hook_;
    std::vector<ComboEvent> events;
};

TEST_F(HookCombination, ModifiersHeldAddTheirBitsAndTexts) {
    setKeyDown(VK_RCONTROL, true);
    EXPECT_EQ(press(VK_A, 1000), 1);
    setKeyDown(VK_LMENU, true);
    setKeyDown(VK_RWIN, true);
    setKeyDown(VK_RSHIFT, true);
    press(VK_B, 2000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (ComboEvent{0x41, 0, 0, 0, 2, "Ctrl+A"}));
    EXPECT_EQ(events[1], (ComboEvent{0x42, 0, 0, 0, 15, "Ctrl+Alt+Win+Shift+B"}));
    EXPECT_EQ(hook_->ComboKeyString(), "Ctrl+Alt+Win+Shift+B");
}

TEST_F(HookCombination, TimingDecidesWhetherAKeyJoinsTheCombination) {
    struct Step {
        unsigned vk;
        unsigned time;
        bool extended;
        ComboEvent expected;
    };
    const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
        {"second key within 100 ms joins",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 1090, false, {0x41, 0, 0x42, 0, 0, "A+B"}}}},
        {"exactly 100 ms still joins",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 1100, false, {0x41, 0, 0x42, 0, 0, "A+B"}}}},
        {"101 ms starts anew",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 1101, false, {0x42, 0, 0, 0, 0, "B"}}}},
        {"a time up to 100 ms before the last key joins",
         {{VK_A, 5000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 4950, false, {0x41, 0, 0x42, 0, 0, "A+B"}}}},
        {"a time more than 100 ms before the last key starts anew",
         {{VK_A, 5000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 4800, false, {0x42, 0, 0, 0, 0, "B"}}}},
        {"second key 150 ms later starts anew",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}}, {VK_B, 1150, false, {0x42, 0, 0, 0, 0, "B"}}}},
        {"auto-repeat stays one key",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}},
          {VK_A, 1030, false, {0x41, 0, 0, 0, 0, "A"}},
          {VK_A, 1060, false, {0x41, 0, 0, 0, 0, "A"}}}},
        {"a complete combination is cleared by the next key",
         {{VK_A, 1000, false, {0x41, 0, 0, 0, 0, "A"}},
          {VK_B, 1010, false, {0x41, 0, 0x42, 0, 0, "A+B"}},
          {VK_C, 1020, false, {0x43, 0, 0, 0, 0, "C"}}}},
        {"extended flags are kept per key",
         {{VK_RIGHT, 1000, true, {0x27, 1, 0, 0, 0, "RIGHT ARROW"}},
          {0x21, 1050, true, {0x27, 1, 0x21, 1, 0, "RIGHT ARROW+PAGE UP"}}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        hook_->RecordKeyboardComboKey();
        for (const Step& s : steps) {
            events.clear();
            EXPECT_EQ(press(s.vk, s.time, s.extended), 1);
            release(s.vk, s.time + 1, s.extended);
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0], s.expected);
        }
    }
}

TEST_F(HookCombination, ModifierKeysAndReleasesAloneFireNothingAndAreNotSwallowed) {
    for (unsigned vk : {0xA0u, 0xA1u, 0xA2u, 0xA3u, 0xA4u, 0xA5u, 0x5Bu, 0x5Cu}) {
        EXPECT_EQ(press(vk, 1000), 0) << vk;
        EXPECT_EQ(release(vk, 1010), 0) << vk;
    }
    EXPECT_EQ(release(VK_A, 1020), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(HookCombination, FirstKeyOfARecordingStartsANewCombinationWhateverItsTime) {
    press(VK_A, 50);
    hook_->StopRecordKeyboardComboKey();
    hook_->RecordKeyboardComboKey();
    events.clear();
    press(VK_B, 60);  // 10 ms after the last key of the previous recording
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (ComboEvent{0x42, 0, 0, 0, 0, "B"}));
}

struct MacroItem {
    int type, state, value, ext;
    bool operator==(const MacroItem& o) const {
        return std::tie(type, state, value, ext) == std::tie(o.type, o.state, o.value, o.ext);
    }
};

void PrintTo(const MacroItem& m, std::ostream* os) {
    *os << "{type " << m.type << ", state " << m.state << ", value " << m.value << ", ext " << m.ext << "}";
}

std::vector<MacroItem> itemsOf(TMacroKeyList& list) {
    std::vector<MacroItem> out;
    for (int i = 0; i < list.Count(); ++i) {
        const TMACROKEYHOOK& k = list.Objects(i)->FMacroKey;
        EXPECT_EQ(list.Strings(i), QString::number(i));
        out.push_back({k.nKeyType, k.nKeyState, k.nKeyValue, k.nKeyValueExtended});
    }
    return out;
}

using HookMacroEx = FakeHookTest;

TEST_F(HookMacroEx, RecordsPressesReleasesAndTheDelaysBetweenThem) {
    TuiHook hook;
    std::vector<std::tuple<int, int, std::uint32_t, QString, QString>> fired;
    hook.OnRecordKeyboardMacroKeyEx = [&](int type, int key, int state, int ext, double, std::uint32_t total,
                                          const QString& text, const QString& stateText, TMacroKeyList&) {
        EXPECT_EQ(type, 1);
        fired.emplace_back(key, state, total, text, stateText);
        (void)ext;
    };
    hook.RecordKeyboardMacroKeyEx();

    EXPECT_EQ(press(VK_A, 1000), 1);
    EXPECT_EQ(press(VK_A, 1030), 1);  // auto-repeat: nothing added
    EXPECT_EQ(press(VK_A, 1060), 1);
    EXPECT_EQ(release(VK_A, 1300), 1);
    EXPECT_EQ(press(VK_B, 1300), 1);     // no time since the release: no delay item
    EXPECT_EQ(release(VK_B, 71300), 1);  // 70 s: stored as 65535
    EXPECT_EQ(press(VK_RIGHT, 71400, true), 1);

    EXPECT_EQ(itemsOf(hook.MacroKeyList()), (std::vector<MacroItem>{{1, 1, 0x41, 0},
                                                                    {0, 0, 300, 0},
                                                                    {1, 0, 0x41, 0},
                                                                    {1, 1, 0x42, 0},
                                                                    {0, 0, 65535, 0},
                                                                    {1, 0, 0x42, 0},
                                                                    {0, 0, 100, 0},
                                                                    {1, 1, 0x27, 1}}));
    ASSERT_EQ(fired.size(), 5u);
    EXPECT_EQ(fired[0], std::make_tuple(0x41, 1, 0u, QString("A"), QString("Down")));
    EXPECT_EQ(fired[1], std::make_tuple(0x41, 0, 300u, QString("A"), QString("Up")));
    EXPECT_EQ(fired[3], std::make_tuple(0x42, 0, 65535u, QString("B"), QString("Up")));
    EXPECT_EQ(fired[4], std::make_tuple(0x27, 1, 100u, QString("RIGHT ARROW"), QString("Down")));

    std::vector<MacroItem> atStop;
    hook.OnStopRecordKeyboardMacroKey = [&](TMacroKeyList& list) { atStop = itemsOf(list); };
    hook.StopRecordKeyboardMacroKeyEx();
    EXPECT_EQ(atStop.size(), 8u);
    EXPECT_EQ(hook.MacroKeyList().Count(), 0);
    EXPECT_FALSE(keyboardEnabled());
}

TEST_F(HookMacroEx, RepeatsOfAnotherHeldKeyAddDelaysOnly) {
    TuiHook hook;
    hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, std::uint32_t, const QString&, const QString&,
                                         TMacroKeyList&) {};
    hook.RecordKeyboardMacroKeyEx();
    press(VK_A, 1000);
    press(VK_B, 1100);
    press(VK_A, 1150);  // A repeats while B is the last key
    EXPECT_EQ(itemsOf(hook.MacroKeyList()),
              (std::vector<MacroItem>{{1, 1, 0x41, 0}, {0, 0, 100, 0}, {1, 1, 0x42, 0}, {0, 0, 50, 0}}));
}

TEST_F(HookMacroEx, StopsRecordingAndSwallowingPast500Items) {
    TuiHook hook;
    hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, std::uint32_t, const QString&, const QString&,
                                         TMacroKeyList&) {};
    hook.RecordKeyboardMacroKeyEx();
    unsigned t = 1000;
    press(VK_A, t);
    release(VK_A, t);  // no time in between: the key item alone
    // From here every event adds a delay and a key item.
    bool down = true;
    while (hook.MacroKeyList().Count() < 500) {
        t += 10;
        EXPECT_EQ(down ? press(VK_A, t) : release(VK_A, t), 1);
        down = !down;
    }
    EXPECT_EQ(hook.MacroKeyList().Count(), 500);
    // A call that starts at 500 items may still add its two.
    EXPECT_EQ(down ? press(VK_A, t + 10) : release(VK_A, t + 10), 1);
    EXPECT_EQ(hook.MacroKeyList().Count(), 502);
    EXPECT_EQ(press(VK_B, t + 20), 0);
    EXPECT_EQ(hook.MacroKeyList().Count(), 502);
}

TEST_F(HookMacroEx, NothingIsRecordedOrSwallowedWithoutAHandler) {
    TuiHook hook;
    hook.RecordKeyboardMacroKeyEx();
    EXPECT_EQ(press(VK_A, 1000), 0);
    EXPECT_EQ(hook.MacroKeyList().Count(), 0);
}

using HookMacroPlain = FakeHookTest;

TEST_F(HookMacroPlain, DelaysBetween10And2000MsAreRecorded) {
    TuiHook hook;
    std::vector<std::tuple<int, int, int, QString, QString>> fired;
    hook.OnRecordKeyboardMacroKey = [&](int type, int key, int state, int, double, const QString& text,
                                        const QString& stateText,
                                        TMacroKeyList&) { fired.emplace_back(type, key, state, text, stateText); };
    hook.RecordKeyboardMacroKey();
    EXPECT_EQ(press(VK_A, 1000), 1);
    EXPECT_EQ(release(VK_A, 1005), 1);  // 5 ms: no delay
    EXPECT_EQ(press(VK_B, 3505), 1);    // 2500 ms: no delay
    EXPECT_EQ(release(VK_B, 3805), 1);  // 300 ms
    EXPECT_EQ(press(VK_C, 3815), 1);    // exactly 10 ms: no delay
    EXPECT_EQ(release(VK_C, 5815), 1);  // exactly 2000 ms: no delay
    EXPECT_EQ(itemsOf(hook.MacroKeyList()), (std::vector<MacroItem>{{1, 1, 0x41, 0},
                                                                    {1, 0, 0x41, 0},
                                                                    {1, 1, 0x42, 0},
                                                                    {0, 0, 300, 0},
                                                                    {1, 0, 0x42, 0},
                                                                    {1, 1, 0x43, 0},
                                                                    {1, 0, 0x43, 0}}));
    ASSERT_EQ(fired.size(), 7u);
    EXPECT_EQ(fired[3], std::make_tuple(0, 300, 0, QString("300"), QString("ms")));
    EXPECT_EQ(fired[4], std::make_tuple(1, 0x42, 0, QString("B"), QString("Up")));
}

TEST_F(HookMacroPlain, AKeyWhoseCodeEqualsTheDelayBeforeItIsKept) {
    TuiHook hook;
    hook.OnRecordKeyboardMacroKey = [](int, int, int, int, double, const QString&, const QString&, TMacroKeyList&) {};
    hook.RecordKeyboardMacroKey();
    press(VK_B, 1000);
    press(VK_A, 1000 + 0x41);  // 65 ms before VK 0x41
    EXPECT_EQ(itemsOf(hook.MacroKeyList()), (std::vector<MacroItem>{{1, 1, 0x42, 0}, {0, 0, 65, 0}, {1, 1, 0x41, 0}}));
}

TEST_F(HookMacroPlain, RecordStartsWithAnEmptyList) {
    TuiHook hook;
    hook.OnRecordKeyboardMacroKey = [](int, int, int, int, double, const QString&, const QString&, TMacroKeyList&) {};
    hook.RecordKeyboardMacroKey();
    press(VK_A, 1000);
    hook.RecordKeyboardMacroKey();
    EXPECT_EQ(hook.MacroKeyList().Count(), 0);
    press(VK_B, 900000);  // the first key of a recording has no delay before it
    EXPECT_EQ(itemsOf(hook.MacroKeyList()), (std::vector<MacroItem>{{1, 1, 0x42, 0}}));
}

using HookKeyboardFilter = FakeHookTest;

TEST_F(HookKeyboardFilter, FirstMatchingFilterFiresAndMayBlock) {
    struct Filter {
        int vk, scan, ext, block;
    };
    struct Case {
        const char* name;
        std::vector<Filter> filters;
        unsigned vk, scan;
        bool extended;
        bool fires;
        int swallowed;
    };
    const std::vector<Case> cases = {
        {"end marker first matches nothing", {{-1, 0, 0, 0}, {0x41, 0, 0, 1}}, 0x41, 0x1E, false, false, 0},
        {"match by key code", {{0x42, 0, 0, 0}, {0x41, 0, 0, 0}}, 0x41, 0x1E, false, true, 0},
        {"blocking filter swallows", {{0x41, 0, 0, 1}}, 0x41, 0x1E, false, true, 1},
        {"extended flag must agree", {{0x27, 0, 0, 1}}, 0x27, 0x4D, true, false, 0},
        {"match by scan code", {{0, 0x4D, 1, 1}}, 0x27, 0x4D, true, true, 1},
        {"first match ends the walk", {{0x41, 0, 0, 0}, {0x41, 0, 0, 1}}, 0x41, 0x1E, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TuiHook hook;
        for (const Filter& f : c.filters) {
            auto obj = std::make_unique<TKeyBoardHookDetailObject>();
            obj->FKeyBoardHookDetail = {f.vk, f.scan, f.ext, f.block};
            hook.AddKeyboardHookObject(std::move(obj));
        }
        int all = 0;
        int matched = 0;
        hook.OnHookKeyboardAllKey = [&](int, int, int, bool&, std::uint32_t) { ++all; };
        hook.OnHookKeyboardKey = [&](int key, int state, int ext, bool&, std::uint32_t scan) {
            ++matched;
            EXPECT_EQ(key, static_cast<int>(c.vk));
            EXPECT_EQ(state, 1);
            EXPECT_EQ(ext, c.extended ? 1 : 0);
            EXPECT_EQ(scan, c.scan);
        };
        hook.StartHookKeyboard();
        EXPECT_EQ(key(c.vk, false, 1000, c.extended, c.scan), c.swallowed);
        EXPECT_EQ(all, 1);
        EXPECT_EQ(matched, c.fires ? 1 : 0);
        // Hook codes other than 0 are passed on untouched.
        EXPECT_EQ(key(c.vk, false, 1000, c.extended, c.scan, 1), 0);
        EXPECT_EQ(all, 1);
        hook.StopHookKeyboard();
    }
}

TEST_F(HookKeyboardFilter, FilterListTextsAndRemoval) {
    TuiHook hook;
    auto obj = std::make_unique<TKeyBoardHookDetailObject>();
    obj->FKeyBoardHookDetail.KeyboardVKKey = 0x41;
    hook.AddKeyboardHookObject(std::move(obj));
    hook.RemoveAllKeyboardHookObject();
    int matched = 0;
    hook.OnHookKeyboardKey = [&](int, int, int, bool&, std::uint32_t) { ++matched; };
    hook.StartHookKeyboard();
    press(VK_A, 1000);
    EXPECT_EQ(matched, 0);
}

}  // namespace
}  // namespace vyk::test
