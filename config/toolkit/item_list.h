#pragma once
// Rules shared by the toolkit's item lists (refresh commands, function items, menu items).
//
// - Default names: a new item without a name takes "<prefix><N>" with the lowest N >= 1 that
//   no item of its list carries, compared without regard to case. Only exact default names
//   count ("Item01" or "Macro" take no number). N is capped at 2147483647; no list can hold
//   that many names.
// - Index errors: Items(index) outside 0..Count-1 throws std::out_of_range
//   ("List index out of bounds (n)") and changes nothing.
//
// Any thread; pure functions.

#include <QString>
#include <QStringList>

namespace vyk::config {

// The lowest free number of the default name "<prefix><N>" among usedNames.
int LowestFreeNumber(const QString& prefix, const QStringList& usedNames);

// The same over a list of items; nameOf(item) gives an item's name.
template <class Items, class NameOf>
int LowestFreeNumber(const QString& prefix, const Items& items, NameOf nameOf) {
    QStringList names;
    for (const auto& item : items) names.append(nameOf(item));
    return LowestFreeNumber(prefix, names);
}

[[noreturn]] void ThrowListIndex(int index);

}  // namespace vyk::config
