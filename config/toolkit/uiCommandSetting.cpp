#include "config/toolkit/uiCommandSetting.h"

#include "config/toolkit/item_list.h"

#include <algorithm>
#include <tuple>

// ---- TuiCommand

TuiCommand::TuiCommand(TuiCommands* Collection) {
    if (Collection != nullptr) Collection->insertItem(this);
}

TuiCommand::~TuiCommand() {
    if (FCollection != nullptr) FCollection->detachItem(this);
}

int TuiCommand::Index() const {
    if (FCollection == nullptr) return -1;
    const auto& items = FCollection->FItems;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// ---- TuiCommands

TuiCommands::TuiCommands(TuiCommandSetting* AOwner) : FOwner(AOwner) {}

TuiCommands::~TuiCommands() { Clear(); }

void TuiCommands::insertItem(TuiCommand* Item) {
    Item->FCollection = this;
    FItems.push_back(Item);
    NameNewItem(Item);
}

void TuiCommands::detachItem(TuiCommand* Item) {
    Item->FCollection = nullptr;
    if (FClearing) return;
    const auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it != FItems.end()) FItems.erase(it);
}

TuiCommand* TuiCommands::Add() { return new TuiCommand(this); }

TuiCommand* TuiCommands::Add(const QString& AName, TOnGetAndSetSetting AHandler) {
    TuiCommand* item = Add();
    item->SetName(AName);
    item->SetOnExecute(std::move(AHandler));
    return item;
}

TuiCommand* TuiCommands::Items(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(Index)];
}

TuiCommand* TuiCommands::Find(const QString& AName) const {
    for (TuiCommand* c : FItems) {
        if (c->FName.compare(AName, Qt::CaseInsensitive) == 0) return c;
    }
    return nullptr;
}

void TuiCommands::Delete(int Index) {
    TuiCommand* item = Items(Index);
    delete item;  // the destructor takes it out of the list
}

void TuiCommands::Clear() {
    // Items are taken out one by one from the end, so a list changed by an item's
    // destructor never leaves a dangling entry.
    while (!FItems.empty()) {
        TuiCommand* item = FItems.back();
        FItems.pop_back();
        item->FCollection = nullptr;
        delete item;
    }
}

void TuiCommands::Assign(const TuiCommands& Source) {
    if (&Source == this) return;
    // Copy first: Source may be changed by nothing here, but keep the copy independent of it.
    std::vector<std::tuple<QString, QString, TOnGetAndSetSetting>> copies;
    copies.reserve(Source.FItems.size());
    for (const TuiCommand* c : Source.FItems) copies.emplace_back(c->FName, c->FDescription, c->FOnExecute);
    Clear();
    for (auto& [name, description, handler] : copies) {
        TuiCommand* item = Add();
        item->FName = name;
        item->FDescription = description;
        item->FOnExecute = std::move(handler);
    }
}

void TuiCommands::NameNewItem(TuiCommand* Item) {
    if (Item == nullptr || !Item->FName.isEmpty()) return;
    const int n =
        vyk::config::LowestFreeNumber(QStringLiteral("Command"), FItems, [](const TuiCommand* c) { return c->FName; });
    Item->FName = QStringLiteral("Command%1").arg(n);
}

// ---- TuiCommandSetting

TuiCommandSetting::TuiCommandSetting(QObject* AOwner)
    : QObject(AOwner), FCommands(std::make_unique<TuiCommands>(this)) {}

TuiCommandSetting::~TuiCommandSetting() = default;

void TuiCommandSetting::runAll(TuiGetSet AType, void* Buffer, int BufferSize) {
    const int count = FCommands->Count();
    for (int i = 0; i < count; ++i) {
        // A handler may have shortened the list: stop at its present end.
        TuiCommand* c = FCommands->Items(i);
        if (c == nullptr) break;
        if (!c->OnExecute()) continue;
        // A copy, so a handler that deletes its own command does not run on freed memory.
        const TOnGetAndSetSetting handler = c->OnExecute();
        handler(AType, Buffer, static_cast<std::uint32_t>(BufferSize));
    }
}

bool TuiCommandSetting::SetData(void* Buffer, int BufferSize) {
    runAll(uiSet, Buffer, BufferSize);
    return true;
}

bool TuiCommandSetting::GetData(void* Buffer, int BufferSize) {
    runAll(uiGet, Buffer, BufferSize);
    return true;
}
