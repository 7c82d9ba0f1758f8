#include "config/toolkit/item_list.h"

#include <QSet>

#include <limits>
#include <stdexcept>
#include <string>

namespace vyk::config {

int LowestFreeNumber(const QString& prefix, const QStringList& usedNames) {
    QSet<QString> used;
    for (const QString& n : usedNames) used.insert(n.toCaseFolded());
    const QString folded = prefix.toCaseFolded();
    int n = 1;
    while (n < std::numeric_limits<int>::max() && used.contains(folded + QString::number(n))) ++n;
    return n;
}

void ThrowListIndex(int index) { throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")"); }

}  // namespace vyk::config
