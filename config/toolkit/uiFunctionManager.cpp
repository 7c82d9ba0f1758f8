#include "config/toolkit/uiFunctionManager.h"

#include "config/toolkit/item_list.h"

#include <cstring>
#include <stdexcept>

// ---------------------------------------------------------------------------------------------
// TuiFunctionItem

TuiFunctionItem::~TuiFunctionItem() = default;

void TuiFunctionItem::SetBuffer(const void* ABuffer, quint32 ABufferSize) {
    if (ABufferSize == 0) return;
    // Allocate first: a failure leaves the present copy and size untouched. The copy that is
    // replaced is freed by the unique_ptr.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[ABufferSize]);
    std::memcpy(copy.get(), ABuffer, ABufferSize);
    FBuffer = std::move(copy);
    FBufferSize = ABufferSize;
}

bool TuiFunctionItem::GetBuffer(void* ABuffer) const {
    if (FBufferSize == 0 || !FBuffer) return false;
    std::memcpy(ABuffer, FBuffer.get(), FBufferSize);
    return true;
}

void TuiFunctionItem::RunIt() {
    if (!FOnExecute) return;
    // A copy: the handler may free this item.
    const TuiFunctionItemEvent handler = FOnExecute;
    handler(static_cast<int>(FItemID), FBuffer.get(), FBufferSize);
}

QString TuiFunctionItem::DisplayName() const {
    if (!FName.isEmpty()) return FName;
    return QStringLiteral("TuiFunctionItem");
}

void TuiFunctionItem::Assign(const TuiFunctionItem& ASource) {
    if (&ASource == this) return;
    FName = ASource.FName;
    FDescription = ASource.FDescription;
    FShortDescription = ASource.FShortDescription;
    FOnExecute = ASource.FOnExecute;
    if (ASource.FBufferSize > 0 && ASource.FBuffer) {
        SetBuffer(ASource.FBuffer.get(), ASource.FBufferSize);
    } else {
        FBuffer.reset();
        FBufferSize = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// TuiFunctions

TuiFunctions::TuiFunctions(QObject* AOwner) : FOwner(AOwner) {}

TuiFunctions::~TuiFunctions() = default;

TuiFunctionItem* TuiFunctions::Items(int Index) const {
    if (Index < 0 || Index >= Count()) vyk::config::ThrowListIndex(Index);
    return FItems[static_cast<size_t>(Index)].get();
}

void TuiFunctions::InsertItem(std::unique_ptr<TuiFunctionItem> item) {
    if (item->FName.isEmpty()) {
        const int n =
            vyk::config::LowestFreeNumber(QStringLiteral("Item"), FItems, [](const auto& it) { return it->FName; });
        item->FName = QStringLiteral("Item%1").arg(n);
        item->FItemID = static_cast<quint32>(n);
    }
    item->FOwner = this;
    FItems.push_back(std::move(item));
}

TuiFunctionItem* TuiFunctions::Add() {
    std::unique_ptr<TuiFunctionItem> item(new TuiFunctionItem(this));
    TuiFunctionItem* raw = item.get();
    InsertItem(std::move(item));
    return raw;
}

void TuiFunctions::Delete(int Index) {
    if (Index < 0 || Index >= Count()) vyk::config::ThrowListIndex(Index);
    FItems.erase(FItems.begin() + Index);
}

void TuiFunctions::Clear() { FItems.clear(); }

void TuiFunctions::Assign(const TuiFunctions& ASource) {
    if (&ASource == this) return;
    // Build the copies first, so a failure leaves this collection as it was.
    std::vector<std::unique_ptr<TuiFunctionItem>> copies;
    copies.reserve(ASource.FItems.size());
    for (const auto& src : ASource.FItems) {
        std::unique_ptr<TuiFunctionItem> item(new TuiFunctionItem(this));
        item->Assign(*src);
        item->FItemID = src->FItemID;
        copies.push_back(std::move(item));
    }
    FItems = std::move(copies);
}

// ---------------------------------------------------------------------------------------------
// TuiFunctionManager

TuiFunctionManager::TuiFunctionManager(QObject* AOwner) : QObject(AOwner), FFunctionItems(this) {}

TuiFunctionManager::~TuiFunctionManager() = default;
