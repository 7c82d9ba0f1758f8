#pragma once
// Refresh commands: an ordered list of named commands, each with one handler, run in list
// order on request. SetData asks every command to bring its part of a view up to date (uiSet),
// GetData to collect it (uiGet). The list knows nothing about the handlers; it passes the
// caller's buffer and size through unchanged.
//
// - New items get a provisional name "Command<n>": the lowest n >= 1 that no item of the list
//   carries, compared without regard to case. A name set later is not checked for duplicates.
// - SetData / GetData take the number of commands once, when they start; a handler that
//   removes commands (even its own) ends the walk at the new end instead of running past it,
//   and a handler that adds commands does not run the new ones in this walk.
// - Items are owned by their list; the list cannot be copied, only assigned (Assign copies
//   names, descriptions and handlers into new items).
//
// UI thread only; no locks.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum TuiGetSet { uiGet = 0, uiSet = 1 };

// Event type of a command: (AType, Buffer, BufferSize).
using TOnGetAndSetSetting = std::function<void(TuiGetSet AType, void* Buffer, std::uint32_t BufferSize)>;

class TuiCommands;
class TuiCommandSetting;

class TuiCommand {
public:
    // Creates the item and appends it to Collection (which names it), when given.
    explicit TuiCommand(TuiCommands* Collection = nullptr);
    virtual ~TuiCommand();
    TuiCommand(const TuiCommand&) = delete;
    TuiCommand& operator=(const TuiCommand&) = delete;

    QString Name() const { return FName; }
    void SetName(const QString& AName) { FName = AName; }
    QString Description() const { return FDescription; }
    void SetDescription(const QString& ADescription) { FDescription = ADescription; }
    const TOnGetAndSetSetting& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TOnGetAndSetSetting AHandler) { FOnExecute = std::move(AHandler); }

    TuiCommands* Collection() const { return FCollection; }
    int Index() const;

private:
    friend class TuiCommands;
    TuiCommands* FCollection = nullptr;
    QString FName;
    QString FDescription;
    TOnGetAndSetSetting FOnExecute;
};

class TuiCommands {
public:
    explicit TuiCommands(TuiCommandSetting* AOwner = nullptr);
    virtual ~TuiCommands();
    TuiCommands(const TuiCommands&) = delete;
    TuiCommands& operator=(const TuiCommands&) = delete;

    // The component that owns the list (GetOwner of the collection).
    TuiCommandSetting* GetOwner() const { return FOwner; }

    // Appends a new item and names it (NameNewItem). The list owns it.
    TuiCommand* Add();
    // Appends an item with a provisional name that AName then replaces, and its handler.
    TuiCommand* Add(const QString& AName, TOnGetAndSetSetting AHandler);
    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at Index, or nullptr when Index is out of range.
    TuiCommand* Items(int Index) const;
    // The first item named AName (without regard to case), or nullptr.
    TuiCommand* Find(const QString& AName) const;
    void Delete(int Index);  // out of range: nothing happens
    void Clear();
    // Replaces the items by copies of Source's items (names, descriptions, handlers).
    void Assign(const TuiCommands& Source);

protected:
    // Gives an unnamed item the lowest free "Command<n>".
    virtual void NameNewItem(TuiCommand* Item);

private:
    friend class TuiCommand;
    void insertItem(TuiCommand* Item);  // takes ownership
    void detachItem(TuiCommand* Item);  // gives ownership up

    TuiCommandSetting* FOwner;
    std::vector<TuiCommand*> FItems;
    bool FClearing = false;
};

class TuiCommandSetting : public QObject {
    Q_OBJECT
public:
    explicit TuiCommandSetting(QObject* AOwner = nullptr);
    ~TuiCommandSetting() override;

    TuiCommands* Commands() const { return FCommands.get(); }
    // Copies the given list into the existing one (Assign).
    void SetCommands(const TuiCommands& ACommands) { FCommands->Assign(ACommands); }

    // Runs every command's handler with uiSet (SetData) or uiGet (GetData), in list order,
    // skipping commands without one. Returns true.
    bool SetData(void* Buffer, int BufferSize);
    bool GetData(void* Buffer, int BufferSize);

    template <typename T>
    bool SetData(T& Buffer) {
        return SetData(static_cast<void*>(&Buffer), static_cast<int>(sizeof(T)));
    }
    template <typename T>
    bool GetData(T& Buffer) {
        return GetData(static_cast<void*>(&Buffer), static_cast<int>(sizeof(T)));
    }

private:
    void runAll(TuiGetSet AType, void* Buffer, int BufferSize);
    std::unique_ptr<TuiCommands> FCommands;
};
