#pragma once
// TuiFunctionManager: a non-visual holder of function items. Each item (TuiFunctionItem) has a
// name, two descriptions, a numeric ItemID, a private copy of a byte buffer and an execute
// event. A popup menu (TuiMenuEx) linked to a manager passes the buffer of one chosen item to
// its click handlers.
//
// - Numbering: an item inserted without a name takes the lowest free default name "Item%d"
//   (compared without regard to case) and that number as its ItemID.
// - Buffers: SetBuffer keeps a private copy (the copy it replaces is freed); a size of 0 keeps
//   the present copy. GetBuffer copies the stored bytes out and tells whether it copied any.
// - Items own their buffers and cannot be copied; a collection is copied with Assign, which
//   copies every item deeply (its own buffer copy).
// - Items(index) outside 0..Count-1 throws std::out_of_range ("List index out of bounds (n)")
//   and changes nothing.
//
// UI thread only.

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TuiFunctions;

// AFunctionID, BufferPointer, Size.
using TuiFunctionItemEvent = std::function<void(int AFunctionID, void* BufferPointer, quint32 Size)>;

class TuiFunctionItem {
public:
    // Items are created by TuiFunctions::Add, which names and numbers them.
    ~TuiFunctionItem();
    TuiFunctionItem(const TuiFunctionItem&) = delete;
    TuiFunctionItem& operator=(const TuiFunctionItem&) = delete;

    const QString& Name() const { return FName; }
    void SetName(const QString& AName) { FName = AName; }
    const QString& Description() const { return FDescription; }
    void SetDescription(const QString& s) { FDescription = s; }
    const QString& ShortDescription() const { return FShortDescription; }
    void SetShortDescription(const QString& s) { FShortDescription = s; }
    quint32 ItemID() const { return FItemID; }
    const TuiFunctionItemEvent& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TuiFunctionItemEvent e) { FOnExecute = std::move(e); }

    // Stores a private copy of ABufferSize bytes of ABuffer (nothing changes when the size is
    // 0). On an allocation failure the item keeps its previous buffer and size.
    void SetBuffer(const void* ABuffer, quint32 ABufferSize);
    // Copies the stored bytes to ABuffer (at least GetBufferSize bytes); false when there are
    // none (nothing is copied then).
    bool GetBuffer(void* ABuffer) const;
    quint32 GetBufferSize() const { return FBufferSize; }
    // The item's own copy (nullptr while there is none).
    void* BufferPointer() const { return FBuffer.get(); }

    // Calls OnExecute with the item's ID, its buffer copy and its size; nothing without one.
    void RunIt();

    TuiFunctions* GetOwner() const { return FOwner; }
    // Name, or the default display name when the name is empty.
    QString DisplayName() const;

    // Copies names, descriptions, handler and buffer of another item (a deep copy).
    void Assign(const TuiFunctionItem& ASource);

private:
    friend class TuiFunctions;
    explicit TuiFunctionItem(TuiFunctions* ACollection) : FOwner(ACollection) {}
    QString FName;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    quint32 FBufferSize = 0;
    TuiFunctionItemEvent FOnExecute;
    QString FDescription;
    QString FShortDescription;
    TuiFunctions* FOwner = nullptr;
    quint32 FItemID = 0;
};

class TuiFunctions {
public:
    explicit TuiFunctions(QObject* AOwner);
    ~TuiFunctions();
    TuiFunctions(const TuiFunctions&) = delete;
    TuiFunctions& operator=(const TuiFunctions&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Throws std::out_of_range outside 0..Count-1.
    TuiFunctionItem* Items(int Index) const;
    TuiFunctionItem* Add();
    void Delete(int Index);  // throws std::out_of_range outside 0..Count-1
    void Clear();
    // Replaces the items with deep copies of ASource's items.
    void Assign(const TuiFunctions& ASource);
    QObject* GetOwner() const { return FOwner; }

private:
    friend class TuiFunctionItem;
    void InsertItem(std::unique_ptr<TuiFunctionItem> item);
    QObject* FOwner;
    std::vector<std::unique_ptr<TuiFunctionItem>> FItems;
};

class TuiFunctionManager : public QObject {
    Q_OBJECT
public:
    explicit TuiFunctionManager(QObject* AOwner = nullptr);
    ~TuiFunctionManager() override;

    TuiFunctions& Items() { return FFunctionItems; }
    const TuiFunctions& Items() const { return FFunctionItems; }
    // Writing the Items property: the given collection's items are copied in.
    void SetItems(const TuiFunctions& AItems) { FFunctionItems.Assign(AItems); }

private:
    TuiFunctions FFunctionItems;
};
