// The mouse hook and mouse recorder of the hook client, the worker queue, the binding of the
// hook library (missing, incomplete, shared by several clients) and the client's lifetime.

#include "tests/core/hook/hook_fixture.h"

#include <QThread>

#include <filesystem>
#include <memory>
#include <tuple>

namespace vyk::test {
namespace {

using vyk::platform::MSG_LBUTTONDOWN;
using vyk::platform::MSG_LBUTTONUP;
using vyk::platform::MSG_MBUTTONDOWN;
using vyk::platform::MSG_MOUSEHWHEEL;
using vyk::platform::MSG_MOUSEMOVE;
using vyk::platform::MSG_MOUSEWHEEL;
using vyk::platform::MSG_RBUTTONUP;
using vyk::platform::MSG_XBUTTONDOWN;
using vyk::platform::MSG_XBUTTONUP;

using HookMouse = FakeHookTest;

TEST_F(HookMouse, ButtonsWheelAndXButtonsAsTheMouseHookReportsThem) {
    struct Case {
        std::uintptr_t message;
        int data;
        TMouseButtons button;
        int state;
        int exValue;
    };
    const Case cases[] = {
        {MSG_LBUTTONDOWN, 0, LCLICK, 1, 0},     {MSG_LBUTTONUP, 0, LCLICK, 0, 0},
        {MSG_RBUTTONUP, 0, RCLICK, 0, 0},       {MSG_MBUTTONDOWN, 0, MCLICK, 1, 0},
        {MSG_MOUSEWHEEL, 120, WHEELUP, 1, 120}, {MSG_MOUSEWHEEL, -120, WHEELDOWN, 1, -120},
        {MSG_MOUSEWHEEL, 0, BUTTON_NONE, 1, 0}, {MSG_XBUTTONDOWN, 1, XCLICK4, 1, 1},
        {MSG_XBUTTONUP, 2, XCLICK5, 0, 2},      {MSG_MOUSEHWHEEL, 120, BUTTON_NONE, 1, 0},
    };
    TuiHook hook;
    std::vector<std::tuple<TMouseButtons, int, int>> seen;
    hook.OnHookMouseAllButton = [&](TMouseButtons b, int state, std::int16_t ex, bool& blocked) {
        seen.emplace_back(b, state, ex);
        blocked = b == WHEELUP;  // the handler decides
    };
    hook.StartHookMouse();
    EXPECT_EQ(takeLog(), "DM EM ");
    for (const Case& c : cases) {
        seen.clear();
        const int swallowed = mouse(c.message, 1000, c.data);
        ASSERT_EQ(seen.size(), 1u) << c.message;
        EXPECT_EQ(seen[0], std::make_tuple(c.button, c.state, c.exValue)) << c.message << " " << c.data;
        EXPECT_EQ(swallowed, c.button == WHEELUP ? 1 : 0);
    }
    // Injected events are ignored.
    seen.clear();
    mouse(MSG_LBUTTONDOWN, 1000, 0, true);
    EXPECT_TRUE(seen.empty());
}

TEST_F(HookMouse, MovesGoToTheMoveEventOnlyAndAreNeverSwallowed) {
    TuiHook hook;
    int buttons = 0;
    std::vector<std::tuple<int, int, double>> moves;
    hook.OnHookMouseAllButton = [&](TMouseButtons, int, std::int16_t, bool&) { ++buttons; };
    hook.OnHookMouseMove = [&](int x, int y, double t) { moves.emplace_back(x, y, t); };
    hook.StartHookMouse();
    EXPECT_EQ(mouse(MSG_MOUSEMOVE, 1234, 0, false, 300, 400, true), 0);
    EXPECT_EQ(mouse(MSG_MOUSEMOVE, 1240, 0, true, 1, 1, true), 1);  // injected: untouched
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_tuple(300, 400, 1234.0));
    EXPECT_EQ(buttons, 0);
}

TEST_F(HookMouse, MouseFiltersMatchByMessageAndAtLeastTheButton) {
    struct Case {
        const char* name;
        TMouseButtons filterButton;
        TMouseButtonStateSet states;
        TMouseButtons modified;
        std::uintptr_t message;
        bool fires;
    };
    const Case cases[] = {
        {"same button and message", RCLICK, MouseStateBit(RBUTTONUP), XCLICK4, MSG_RBUTTONUP, true},
        {"a higher filter button matches a lower one", WHEELDOWN, MouseStateBit(LBUTTONDOWN), XCLICK4, MSG_LBUTTONDOWN,
         true},
        {"a lower filter button does not", BUTTON_NONE, MouseStateBit(LBUTTONDOWN), XCLICK4, MSG_LBUTTONDOWN, false},
        {"message not in the set", LCLICK, MouseStateBit(LBUTTONUP), XCLICK4, MSG_LBUTTONDOWN, false},
        {"modified function equal to the button fires nothing", LCLICK, MouseStateBit(LBUTTONDOWN), LCLICK,
         MSG_LBUTTONDOWN, false},
        {"messages above 0x20F match nothing", BUTTONX3, 0xFFFF, XCLICK4, 0x210, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TuiHook hook;
        auto obj = std::make_unique<TMouseHookDetailObject>();
        obj->FMouseHookDetail.MouseButton = c.filterButton;
        obj->FMouseHookDetail.MouseStateSet = c.states;
        obj->FMouseHookDetail.ModifiedFunction = c.modified;
        hook.AddMouseHookObject(std::move(obj));
        int fired = 0;
        hook.OnHookMouseButton = [&](TMouseButtons, int, bool&) { ++fired; };
        hook.StartHookMouse();
        EXPECT_EQ(mouse(c.message, 1000), 0);  // filters never swallow by themselves
        EXPECT_EQ(fired, c.fires ? 1 : 0);
    }
}

struct MouseItem {
    int type, state;
    TMouseButtons button;
    int x, y, timeValue;
    bool operator==(const MouseItem& o) const {
        return std::tie(type, state, button, x, y, timeValue) ==
               std::tie(o.type, o.state, o.button, o.x, o.y, o.timeValue);
    }
};

void PrintTo(const MouseItem& m, std::ostream* os) {
    *os << "{type " << m.type << ", state " << m.state << ", button " << int(m.button) << ", " << m.x << "," << m.y
        << ", t " << m.timeValue << "}";
}

std::vector<MouseItem> itemsOf(TMouseMacroKeyList& list) {
    std::vector<MouseItem> out;
    for (int i = 0; i < list.Count(); ++i) {
        const TMOUSEMACROKEY& m = list.Objects(i)->FMOUSEMacroKey;
        out.push_back({m.nKeyType, m.nKeyState, m.MouseButton, m.X, m.Y, m.TimeValue});
    }
    return out;
}

TEST_F(HookMouse, MouseRecorderAddsADelayBeforeEveryEventAfterTheFirst) {
    TuiHook hook;
    std::vector<std::tuple<int, TMouseButtons, QString, QString>> fired;
    hook.OnRecordMouseMacroKey = [&](int type, TMouseButtons b, int, std::uint16_t, std::uint16_t, double,
                                     const QString& text, const QString& stateText,
                                     TMouseMacroKeyList&) { fired.emplace_back(type, b, text, stateText); };
    hook.RecordMouseMacro();
    EXPECT_EQ(mouse(MSG_LBUTTONDOWN, 1000, 0, false, 70000, 5, true), 1);  // never swallowed, never touched
    EXPECT_EQ(mouse(MSG_MOUSEMOVE, 1000, 0, false, 11, 12), 0);            // d = 0 still adds a delay
    mouse(MSG_LBUTTONUP, 1250, 0, false, 11, 12);
    mouse(MSG_MOUSEWHEEL, 1300, 120, false, 11, 12);  // reversed: a turn up is WHEELDOWN
    mouse(MSG_XBUTTONDOWN, 1200, 1);                  // earlier than the last: nothing
    mouse(MSG_XBUTTONDOWN, 1210, 1, true);            // injected: nothing
    mouse(MSG_XBUTTONUP, 1220, 1, false, 3, 4);

    EXPECT_EQ(itemsOf(hook.MouseMacroKeyList()), (std::vector<MouseItem>{{1, 1, LCLICK, 70000 & 0xFFFF, 5, 0},
                                                                         {0, 0, BUTTON_NONE, 11, 12, 0},
                                                                         {0, 0, BUTTON_NONE, 11, 12, 250},
                                                                         {1, 0, LCLICK, 11, 12, 0},
                                                                         {0, 0, BUTTON_NONE, 11, 12, 50},
                                                                         {1, 1, WHEELDOWN, 11, 12, 0},
                                                                         {0, 0, BUTTON_NONE, 3, 4, 20},
                                                                         {1, 0, XCLICK4, 3, 4, 0}}));
    ASSERT_EQ(fired.size(), 8u);
    EXPECT_EQ(fired[0], std::make_tuple(1, LCLICK, QString("Mouse Click"), QString("Down")));
    EXPECT_EQ(fired[2], std::make_tuple(0, BUTTON_NONE, QString("250"), QString("ms")));
    EXPECT_EQ(fired[5], std::make_tuple(1, WHEELDOWN, QString("Wheel Down(Mouse)"), QString("Down")));
    EXPECT_EQ(fired[7], std::make_tuple(1, XCLICK4, QString("Backward(Mouse)"), QString("Up")));

    // Stop reports the list and keeps it until the next recording.
    int reported = -1;
    hook.OnStopRecordMouseMacroKey = [&](TMouseMacroKeyList& list) { reported = list.Count(); };
    hook.StopRecordMouseMacro();
    EXPECT_EQ(reported, 8);
    EXPECT_EQ(hook.MouseMacroKeyList().Count(), 8);
    EXPECT_FALSE(mouseEnabled());
    hook.RecordMouseMacro();
    EXPECT_EQ(hook.MouseMacroKeyList().Count(), 0);
}

TEST_F(HookMouse, MouseRecorderKeepsAPauseLongerThan16BitsAsTheLongestItCanHold) {
    TuiHook hook;
    QString delayText;
    hook.OnRecordMouseMacroKey = [&](int type, TMouseButtons, int, std::uint16_t, std::uint16_t, double,
                                     const QString& text, const QString&, TMouseMacroKeyList&) {
        if (type == 0) delayText = text;
    };
    hook.RecordMouseMacro();
    mouse(MSG_LBUTTONDOWN, 1000);
    mouse(MSG_LBUTTONUP, 1000 + 70000);
    const auto items = itemsOf(hook.MouseMacroKeyList());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].type, 0);
    EXPECT_EQ(items[1].timeValue, 65535);
    EXPECT_EQ(delayText, "70000");
}

TEST(HookMouseNames, ButtonNamesKeepTheirExactTexts) {
    const std::pair<TMouseButtons, const char*> table[] = {
        {BUTTON_NONE, ""},
        {LCLICK, "Mouse Click"},
        {RCLICK, "Mouse Right Click"},
        {MCLICK, "Mouse Middle Click"},
        {XCLICK4, "Backward(Mouse)"},
        {XCLICK5, "Forward(Mouse)"},
        {WHEELUP, "Wheel up(Mouse)"},
        {WHEELDOWN, "Wheel Down(Mouse)"},
        {BUTTONX1, ""},
        {BUTTONX2, ""},
        {BUTTONX3, ""},
    };
    for (const auto& [button, text] : table) EXPECT_EQ(GetMouseButtonString(button), QString(text)) << int(button);
}

// --- Binding the library ---------------------------------------------------------------------------

class HookBinding : public FakeHookTest {};

// Without the stand-in loaded by a fixture: a library already in the process would be found
// by its bare name.
class HookWithoutLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        vyk::platform::setMessageBoxHook([this](const QString& c, const QString& t, vyk::platform::MessageIcon i) {
            boxes.push_back({c, t, i});
        });
    }
    void TearDown() override { vyk::platform::setMessageBoxHook({}); }
    std::vector<ShownBox> boxes;
};

TEST_F(HookWithoutLibrary, MissingLibraryShowsTheMessageAtEveryCreationAndTheClientWorksOn) {
    const auto empty = freshDir("no-hook-library");
    ScopedEnv exe("VYK_EXE_DIR", empty.string() + "/");
    for (int i = 1; i <= 2; ++i) {
        TuiHook hook;
        EXPECT_FALSE(hook.DLLLoaded());
        ASSERT_EQ(boxes.size(), static_cast<std::size_t>(i));
        EXPECT_EQ(boxes.back().caption, "Error");
        EXPECT_EQ(boxes.back().text, "uiHook.dll can not be found!");
        EXPECT_EQ(boxes.back().icon, vyk::platform::MessageIcon::Error);

        int stops = 0;
        int mouseStops = 0;
        hook.OnStopRecordKeyboardMacroKey = [&](TMacroKeyList& list) {
            EXPECT_EQ(list.Count(), 0);
            ++stops;
        };
        hook.OnStopRecordMouseMacroKey = [&](TMouseMacroKeyList& list) {
            EXPECT_EQ(list.Count(), 0);
            ++mouseStops;
        };
        hook.RecordKeyboardMacroKeyEx();
        hook.RecordKeyboardComboKey();
        hook.StartHookMouse();
        hook.RecordMouseMacro();
        hook.StopRecordKeyboardMacroKeyEx();
        hook.StopRecordKeyboardMacroKey();
        hook.StopRecordMouseMacro();
        EXPECT_EQ(stops, 2);
        EXPECT_EQ(mouseStops, 1);
    }
}

TEST_F(HookBinding, LibraryWithoutAllFourEntryPointsIsNotUsedAndShowsNothing) {
    ScopedEnv exe("VYK_EXE_DIR", VYK_PARTIAL_HOOK_DIR);
    TuiHook hook;
    EXPECT_FALSE(hook.DLLLoaded());
    EXPECT_TRUE(boxes.empty());
    hook.RecordKeyboardSingleKey();  // does not reach any library
    EXPECT_EQ(takeLog(), "");
}

TEST_F(HookBinding, DestroyingAClientRemovesTheHooksItEnabled) {
    {
        TuiHook hook;
        hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, std::uint32_t, const QString&, const QString&,
                                             TMacroKeyList&) {};
        hook.RecordKeyboardMacroKeyEx();
        hook.RecordMouseMacro();
        EXPECT_TRUE(keyboardEnabled());
        EXPECT_TRUE(mouseEnabled());
    }
    // The library holds no callback into the freed client.
    EXPECT_FALSE(keyboardEnabled());
    EXPECT_FALSE(mouseEnabled());
    EXPECT_EQ(press(0x41, 1000), -1);
}

TEST_F(HookBinding, TheLibraryStaysLoadedWhileAnotherClientLives) {
    auto first = std::make_unique<TuiHook>();
    TuiHook second;
    ASSERT_TRUE(first->DLLLoaded());
    ASSERT_TRUE(second.DLLLoaded());
    EXPECT_TRUE(boxes.empty());
    int keys = 0;
    second.OnRecordKeyboardSingleKey = [&](int, std::uint32_t, int, int, const QString&, bool&) { ++keys; };
    second.RecordKeyboardSingleKey();
    first.reset();  // held no hook: the second client's hook stays
    EXPECT_TRUE(keyboardEnabled());
    press(0x41, 1000);
    EXPECT_EQ(keys, 1);

    // A client created later binds the library that is already loaded.
    TuiHook third;
    EXPECT_TRUE(third.DLLLoaded());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HookBinding, AClientDestroyedInsideACallbackOfAnotherLeavesThatOneWorking) {
    auto other = std::make_unique<TuiHook>();
    TuiHook hook;
    int keys = 0;
    hook.OnRecordKeyboardSingleKey = [&](int, std::uint32_t, int, int, const QString&, bool&) {
        ++keys;
        other.reset();
    };
    hook.RecordKeyboardSingleKey();
    press(0x41, 1000);
    press(0x42, 1010);
    EXPECT_EQ(keys, 2);
    EXPECT_FALSE(other);
}

TEST_F(HookBinding, HandlerExceptionsAreReportedAndTheHookGoesOn) {
    TuiHook hook;
    int calls = 0;
    hook.OnRecordKeyboardSingleKey = [&](int, std::uint32_t, int, int, const QString&, bool&) {
        ++calls;
        throw std::runtime_error("handler failed");
    };
    hook.RecordKeyboardSingleKey();
    EXPECT_EQ(press(0x41, 1000), 0);
    EXPECT_EQ(press(0x41, 1010), 0);
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "handler failed");
}

// --- The worker queue ------------------------------------------------------------------------------

using HookQueue = FakeHookTest;

// Threads of this process now.
std::size_t processThreads() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& t : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// A client that queues nothing (the monitor's) keeps no worker thread; the first queued entry
// starts it, and the entries still reach the UI thread.
TEST_F(HookQueue, TheWorkerThreadStartsWithTheFirstQueuedEntry) {
    const std::size_t before = processThreads();
    auto hook = std::make_unique<TuiHook>();
    EXPECT_EQ(processThreads(), before);
    int fired = 0;
    hook->OnRecordKeyboardMacroKey = [&](int, int, int, int, double, const QString&, const QString&, TMacroKeyList&) {
        ++fired;
    };
    hook->QueueRecordData({1, std::make_shared<TMacroKeyObject>(), nullptr});
    EXPECT_EQ(processThreads(), before + 1);
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    hook->QueueRecordData({1, std::make_shared<TMacroKeyObject>(), nullptr});
    ASSERT_TRUE(waitUntil([&] { return fired == 2; }));
    EXPECT_EQ(processThreads(), before + 1) << "one worker for the client's life";
    hook.reset();
    EXPECT_EQ(processThreads(), before);
}

TEST_F(HookQueue, QueuedEntriesAreFiredOnTheUiThreadInOrder) {
    TuiHook hook;
    std::vector<QString> fired;
    const QThread* ui = QThread::currentThread();
    hook.OnRecordKeyboardMacroKey = [&](int type, int key, int state, int ext, double, const QString& text,
                                        const QString& stateText, TMacroKeyList& list) {
        EXPECT_EQ(QThread::currentThread(), ui);
        EXPECT_EQ(&list, &hook.MacroKeyList());
        fired.push_back(QString("K%1/%2/%3/%4 %5 %6").arg(type).arg(key).arg(state).arg(ext).arg(text, stateText));
    };
    hook.OnRecordMouseMacroKey = [&](int type, TMouseButtons b, int state, std::uint16_t x, std::uint16_t y, double,
                                     const QString& text, const QString&, TMouseMacroKeyList&) {
        EXPECT_EQ(QThread::currentThread(), ui);
        fired.push_back(QString("M%1/%2/%3/%4,%5 %6").arg(type).arg(int(b)).arg(state).arg(x).arg(y).arg(text));
    };

    auto k = std::make_shared<TMacroKeyObject>();
    k->FMacroKey = {1, 1, 0x41, 0, 5.0, "A", "Down"};
    auto m = std::make_shared<TMOUSEMacroKeyObject>();
    m->FMOUSEMacroKey.nKeyType = 1;
    m->FMOUSEMacroKey.MouseButton = RCLICK;
    m->FMOUSEMacroKey.X = 7;
    m->FMOUSEMacroKey.Y = 8;
    m->FMOUSEMacroKey.MacroKeyString = "Mouse Right Click";
    hook.QueueRecordData({1, k, nullptr});
    hook.QueueRecordData({7, k, m});  // unknown kind: nothing
    hook.QueueRecordData({0, nullptr, m});
    ASSERT_TRUE(waitUntil([&] { return fired.size() >= 2; }));
    EXPECT_EQ(fired, (std::vector<QString>{"K1/65/1/0 A Down", "M1/2/0/7,8 Mouse Right Click"}));

    // The signal is taken, not left standing: nothing more arrives.
    QCoreApplication::processEvents();
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(HookQueue, DestructionWithAPendingHandOverDoesNotWait) {
    bool fired = false;
    {
        TuiHook hook;
        hook.OnRecordKeyboardMacroKey = [&](int, int, int, int, double, const QString&, const QString&,
                                            TMacroKeyList&) { fired = true; };
        hook.QueueRecordData({1, std::make_shared<TMacroKeyObject>(), nullptr});
        // No event loop runs: the hand-over is still pending when the client goes.
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(fired);
}

}  // namespace
}  // namespace vyk::test

namespace vyk::test {
namespace {

TEST_F(HookBinding, AClientDeletedByItsOwnHandlerUnloadsTheLibraryAfterTheCallback) {
    auto* hook = new TuiHook;
    int keys = 0;
    hook->OnRecordKeyboardSingleKey = [&keys, hook](int, std::uint32_t, int, int, const QString&, bool&) {
        ++keys;
        delete hook;  // the last client goes while the library is calling it
    };
    hook->RecordKeyboardSingleKey();
    EXPECT_EQ(press(0x41, 1000), 0);
    EXPECT_EQ(keys, 1);
    EXPECT_FALSE(keyboardEnabled());
    QCoreApplication::processEvents();  // the deferred unload runs here
    TuiHook next;
    EXPECT_TRUE(next.DLLLoaded());
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace vyk::test

#include <QEventLoop>
#include <QTimer>

namespace vyk::test {
namespace {

constexpr const char* kFakeLibrary = VYK_FAKE_HOOK_DIR "libuiHook.so";

bool fakeLibraryMapped() {
    void* h = dlopen(kFakeLibrary, RTLD_NOW | RTLD_NOLOAD);
    if (h != nullptr) dlclose(h);
    return h != nullptr;
}

// The client's own reference is the only one here, so the library really goes when it is let go.
TEST_F(HookWithoutLibrary, TheLastClientGoneInsideACallbackKeepsTheLibraryThroughANestedEventLoop) {
    ScopedEnv exe("VYK_EXE_DIR", VYK_FAKE_HOOK_DIR);
    ASSERT_FALSE(fakeLibraryMapped());
    auto* hook = new TuiHook;
    ASSERT_TRUE(hook->DLLLoaded());
    void* h = dlopen(kFakeLibrary, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(h, nullptr);
    auto sendKey = reinterpret_cast<int (*)(int, unsigned, unsigned, unsigned, unsigned)>(dlsym(h, "FakeHook_SendKey"));
    dlclose(h);
    ASSERT_NE(sendKey, nullptr);

    static bool mappedAfterNestedLoop = false;
    mappedAfterNestedLoop = false;
    hook->OnRecordKeyboardSingleKey = [hook](int, std::uint32_t, int, int, const QString&, bool&) {
        delete hook;  // nothing captured is used after this
        // A handler that then runs an event loop of its own (a message box does).
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        mappedAfterNestedLoop = fakeLibraryMapped();
    };
    hook->RecordKeyboardSingleKey();
    sendKey(0, 0x41, 0x1E, 0, 1000);  // returns through the library's code
    EXPECT_TRUE(mappedAfterNestedLoop);
    EXPECT_TRUE(waitUntil([] { return !fakeLibraryMapped(); }));
}

}  // namespace
}  // namespace vyk::test
