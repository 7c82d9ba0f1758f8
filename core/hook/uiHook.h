#pragma once
// The input hook client: records single keys, key combinations and keyboard and mouse macros
// while the user presses them, filters keys and mouse buttons through lists of filter objects,
// and publishes each as an event.
//
// The hooks themselves live in the hook library (libuiHook.so beside the executable), loaded
// when the first client is created. The library calls this component back on the thread that
// enabled the hook (the UI thread), and every event below is fired from there. Without the
// library the component works on without hooks: recordings stay empty.
//
// The library stays loaded while any client lives; a client that goes away disables the
// hooks it enabled first, so the library never calls back into a freed client.

#include "platform/hooklib/hook_api.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Mouse buttons as the recorders and filters name them.
enum TMouseButtons : std::uint8_t {
    BUTTON_NONE = 0,
    LCLICK = 1,
    RCLICK = 2,
    MCLICK = 3,
    XCLICK4 = 4,
    XCLICK5 = 5,
    WHEELUP = 6,
    WHEELDOWN = 7,
    BUTTONX1 = 8,
    BUTTONX2 = 9,
    BUTTONX3 = 10,
};

// Mouse message kinds: the ordinal is the mouse message number minus 0x200.
enum TMouseButtonStates : std::uint8_t {
    MOUSEMOVE,
    LBUTTONDOWN,
    LBUTTONUP,
    LBUTTONDBLCLK,
    RBUTTONDOWN,
    RBUTTONUP,
    RBUTTONDBLCLK,
    MBUTTONDOWN,
    MBUTTONUP,
    MBUTTONDBLCLK,
    MOUSEWHEEL,
    XBUTTONDOWN,
    XBUTTONUP,
    XBUTTONDBLCLK,
    MOUSEHWHEEL,
    OTHERFUNCTION,
};

// A set of TMouseButtonStates: bit n stands for ordinal n.
using TMouseButtonStateSet = std::uint16_t;
constexpr TMouseButtonStateSet MouseStateBit(TMouseButtonStates s) {
    return static_cast<TMouseButtonStateSet>(1u << s);
}

enum TMouseStatesToHook : std::uint8_t { HOOK_DOWN, HOOK_UP };

// System modifier bits of a combination.
constexpr std::uint16_t COMBO_MODIFIER_ALT = 1;
constexpr std::uint16_t COMBO_MODIFIER_CTRL = 2;
constexpr std::uint16_t COMBO_MODIFIER_SHIFT = 4;
constexpr std::uint16_t COMBO_MODIFIER_WIN = 8;

// The combination being recorded (0 = no key).
struct TCOMBOKEY {
    std::uint16_t nKeyValue1 = 0;
    std::uint16_t nKeyValue1Extended = 0;
    std::uint16_t nKeyValue2 = 0;
    std::uint16_t nKeyValue2Extended = 0;
    std::uint16_t nModifier = 0;
};

// One item of a keyboard recording: a delay (type 0, value in ms) or a key (type 1).
struct TMACROKEYHOOK {
    std::uint16_t nKeyType = 0;
    std::uint16_t nKeyState = 0;
    std::uint16_t nKeyValue = 0;
    std::uint16_t nKeyValueExtended = 0;
    double Time = 0;
    QString MacroKeyString;
    QString MacroKeyStateString;
};

// One item of a mouse recording: a delay (type 0, TimeValue in ms) or a button (type 1).
struct TMOUSEMACROKEY {
    std::uint16_t nKeyType = 0;
    std::uint16_t nKeyState = 0;
    TMouseButtons MouseButton = BUTTON_NONE;
    std::uint16_t X = 0;
    std::uint16_t Y = 0;
    std::uint16_t TimeValue = 0;
    double Time = 0;
    QString MacroKeyString;
    QString MacroKeyStateString;
};

// One keyboard filter. KeyboardVKKey -1 ends the filter list; 0 means "not used", as does a
// KeyboardSCANKey of 0.
struct TKeyBoardHookDetail {
    std::int32_t KeyboardVKKey = 0;
    std::int32_t KeyboardSCANKey = 0;
    std::int32_t KeyExtended = 0;
    std::int32_t block = 0;
};

#pragma pack(push, 1)
// One mouse filter.
struct TMouseHookDetail {
    TMouseButtons MouseButton = BUTTON_NONE;
    TMouseButtonStateSet MouseStateSet = 0;
    TMouseButtons ModifiedFunction = BUTTON_NONE;
    TMouseStatesToHook MouseStateToHook = HOOK_DOWN;  // kept, not evaluated
};
#pragma pack(pop)
static_assert(sizeof(TMouseHookDetail) == 5);

struct TMouseButtonString {
    TMouseButtons MouseButton;
    const char* ButtonDescription;
};

// The name of a mouse button, or an empty text for a button without one.
QString GetMouseButtonString(TMouseButtons button);

// Holder objects of the record and filter lists.
class TMacroKeyObject {
public:
    TMACROKEYHOOK FMacroKey;
};
class TMOUSEMacroKeyObject {
public:
    TMOUSEMACROKEY FMOUSEMacroKey;
};
class TKeyBoardHookDetailObject {
public:
    TKeyBoardHookDetail FKeyBoardHookDetail;
};
class TMouseHookDetailObject {
public:
    TMouseHookDetail FMouseHookDetail;
};

// A string list whose entries own their objects.
template <class T>
class THookObjectList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const QString& Strings(int index) const { return items_.at(static_cast<std::size_t>(index)).first; }
    T* Objects(int index) const { return items_.at(static_cast<std::size_t>(index)).second.get(); }
    void Add(const QString& text, std::unique_ptr<T> object) { items_.emplace_back(text, std::move(object)); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::pair<QString, std::unique_ptr<T>>> items_;
};

using TMacroKeyList = THookObjectList<TMacroKeyObject>;
using TMouseMacroKeyList = THookObjectList<TMOUSEMacroKeyObject>;
using TKeyboardHookObjectList = THookObjectList<TKeyBoardHookDetailObject>;
using TMouseHookObjectList = THookObjectList<TMouseHookDetailObject>;

// Event types. AState is 1 for a press and 0 for a release; Time is the event's time in ms.
using TOnRecordKeyboardSingleKey = std::function<void(int Key, std::uint32_t ScanKey, int AState, int AKeyExtended,
                                                      const QString& SingleKeyString, bool& ABlocked)>;
using TOnRecordKeyboardComboKey = std::function<void(int Key1, int Key1Extended, int Key2, int Key2Extended,
                                                     int Modifier, const QString& ComboKeyString)>;
using TOnRecordKeyboardMacroKey =
    std::function<void(int MacroType, int Key1, int AState, int Extended, double Time, const QString& MacroKeyString,
                       const QString& MacroKeyStateString, TMacroKeyList& KeyList)>;
using TOnRecordKeyboardMacroKeyEx =
    std::function<void(int MacroType, int Key1, int AState, int Extended, double Time, std::uint32_t TotalTime,
                       const QString& MacroKeyString, const QString& MacroKeyStateString, TMacroKeyList& KeyList)>;
using TOnRecordMouseMacroKey = std::function<void(
    int MacroType, TMouseButtons AButton, int AState, std::uint16_t X, std::uint16_t Y, double Time,
    const QString& MacroKeyString, const QString& MacroKeyStateString, TMouseMacroKeyList& MouseRecordList)>;
using TOnStopRecordKeyboardMacroKey = std::function<void(TMacroKeyList& KeyoboardRecordList)>;
using TOnStopRecordMouseMacroKey = std::function<void(TMouseMacroKeyList& MouseRecordList)>;
using TOnHookKeyboardKey =
    std::function<void(int Key, int AState, int AKeyExtended, bool& ABlocked, std::uint32_t AScanKey)>;
using TOnHookAllMouseButton =
    std::function<void(TMouseButtons AuiButton, int AState, std::int16_t AExValue, bool& ABlocked)>;
using TOnHookMouseButton = std::function<void(TMouseButtons AuiButton, int AState, bool& ABlocked)>;
using TOnHookMouseMove = std::function<void(int X, int Y, double Time)>;

// An entry of the worker thread's queue: kind 1 a keyboard item, kind 0 a mouse item.
struct TRecordDataEntry {
    std::uint8_t Kind = 0;
    std::shared_ptr<TMacroKeyObject> KeyObject;
    std::shared_ptr<TMOUSEMacroKeyObject> MouseObject;
};

// Binds the hook library for the process (a reference per live client). Shows
// "uiHook.dll can not be found!" when it cannot be loaded. Returns true when the library with
// its four entry points is available.
bool LoadHookDll();
// Gives a reference back; the last one unloads the library.
void UnloadHookDll();

class TuiHook : public QObject {
public:
    explicit TuiHook(QObject* AOwner = nullptr);
    ~TuiHook() override;

    bool DLLLoaded() const { return FDLLLoaded; }

    TOnRecordKeyboardSingleKey OnRecordKeyboardSingleKey;
    TOnRecordKeyboardComboKey OnRecordKeyboardComboKey;
    TOnRecordKeyboardMacroKey OnRecordKeyboardMacroKey;
    TOnRecordKeyboardMacroKeyEx OnRecordKeyboardMacroKeyEx;
    TOnRecordMouseMacroKey OnRecordMouseMacroKey;
    TOnStopRecordKeyboardMacroKey OnStopRecordKeyboardMacroKey;
    TOnStopRecordMouseMacroKey OnStopRecordMouseMacroKey;
    TOnHookKeyboardKey OnHookKeyboardAllKey;
    TOnHookKeyboardKey OnHookKeyboardKey;
    TOnHookAllMouseButton OnHookMouseAllButton;
    TOnHookMouseButton OnHookMouseButton;
    TOnHookMouseMove OnHookMouseMove;

    void RecordKeyboardSingleKey();
    void StopRecordKeyboardSingleKey();
    void RecordKeyboardComboKey();
    void StopRecordKeyboardComboKey();
    void RecordKeyboardMacroKey();
    void StopRecordKeyboardMacroKey();
    void RecordKeyboardMacroKeyEx();
    void StopRecordKeyboardMacroKeyEx();
    void RecordMouseMacro();
    void StopRecordMouseMacro();
    void StartHookKeyboard();
    void StopHookKeyboard();
    void StartHookMouse();
    void StopHookMouse();

    // The lists take ownership of the filter objects.
    void AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject);
    void RemoveAllKeyboardHookObject();
    void AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject);
    void RemoveAllMouseHookObject();

    // Fires the recording events of the queued entries, on the UI thread.
    void ProcessDataEvent();
    // Queues an entry for the worker thread to hand to ProcessDataEvent.
    void QueueRecordData(TRecordDataEntry entry);

    // The callbacks the hook library calls (hook code, message, record, swallow flag).
    void SingleKeyHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void ComboKeyHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void MacroKeyHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void MacroKeyExHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void KeyboardHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void MouseHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);
    void MouseMacroHookProc(int code, std::uintptr_t message, const void* record, bool& swallow);

    // Read access for the owner and for tests.
    const TCOMBOKEY& ComboKeyInfo() const { return FComboKeyInfo; }
    const QString& ComboKeyString() const { return FComboKeyString; }
    TMacroKeyList& MacroKeyList() { return FMacroKeyList; }
    TMouseMacroKeyList& MouseMacroKeyList() { return FMouseMacroKeyList; }

private:
    using Proc = void (TuiHook::*)(int, std::uintptr_t, const void*, bool&);
    void enableKeyboard(vyk::platform::HookCallback callback);
    void disableKeyboard();
    void enableMouse(vyk::platform::HookCallback callback);
    void disableMouse();
    void addMacroItem(const TMACROKEYHOOK& item);
    void addMouseItem(const TMOUSEMACROKEY& item);
    static bool keyDown(int vk);
    void ThreadExecute();

    bool FDLLLoaded = false;

    TCOMBOKEY FComboKeyInfo;
    QString FComboKeyString;
    TMacroKeyList FMacroKeyList;
    TMouseMacroKeyList FMouseMacroKeyList;
    TKeyboardHookObjectList FKeyboardHookObjectList;
    TMouseHookObjectList FMouseHookObjectList;

    std::uint32_t FLastTimeKeyboardMacro = 0;
    std::uint32_t FLastTimeKeyboardCombo = 0;
    std::uint32_t FLastTimeMouseMacro = 0;
    std::uint32_t FTotalMacroTime = 0;
    TKBDLLHOOKSTRUCT FLastMacroKey{};
    std::uint8_t FAllKeyState[256] = {};

    // The worker thread (started by the first QueueRecordData) and its queue.
    std::mutex FQueueLock;
    std::condition_variable FQueueSignal;
    std::vector<TRecordDataEntry> FRecordDataToProcessList;
    bool FGlobalEvent = false;      // stop
    bool FGlobalDataEvent = false;  // data queued
    std::uint64_t FHandedOut = 0;   // hand-overs to the UI thread started ...
    std::uint64_t FHandedBack = 0;  // ... and finished
    std::thread FIdThreadComponentDataEvent;
};
