#include "config/dialogs/MacroListModel.h"

#include "config/toolkit/SkinStyle.h"
#include "core/macro/uiMacroList.h"

#include <QPainter>

MacroListModel::MacroListModel(QObject* parent) : QAbstractListModel(parent) {}

void MacroListModel::Reload(const TuiMacroClass* macros) {
    beginResetModel();
    rows_.clear();
    if (macros != nullptr) {
        for (const TMACROKEYINFO& m : macros->MacroKeyInfoList())
            rows_.push_back({TuiMacroClass::MacroName(m), m.HaveErrors > 0});
    }
    endResetModel();
}

int MacroListModel::RowOfName(const QString& name) const {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].name == name) return i;
    return -1;
}

QString MacroListModel::Name(int row) const { return row >= 0 && row < rows_.size() ? rows_[row].name : QString(); }

bool MacroListModel::HasErrors(int row) const { return row >= 0 && row < rows_.size() && rows_[row].errors; }

int MacroListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant MacroListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const Row& r = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole: return r.name;
    case ErrorRole: return r.errors;
    default: return {};
    }
}

MacroListDelegate::MacroListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize MacroListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}

void MacroListDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    using namespace vyk::config::skincolor;
    p->save();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    if (selected) {
        p->fillRect(r.adjusted(0, 1, 0, -1), Accent);
    } else if (option.state & QStyle::State_MouseOver) {
        p->fillRect(r.adjusted(0, 1, 0, -1), Raised);
    }
    p->setPen(enabled ? Text : DimText);
    p->setFont(vyk::config::TextFont(13, selected));
    const QRect textRect = r.adjusted(8, 0, -28, 0);
    p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                p->fontMetrics().elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textRect.width()));
    if (index.data(MacroListModel::ErrorRole).toBool()) {
        const QRect icon(r.right() - 22, r.top() + (r.height() - 18) / 2, 18, 18);
        if (!errorIcon_.isNull()) {
            p->drawPixmap(icon, errorIcon_);
        } else {
            p->setRenderHint(QPainter::Antialiasing, true);
            p->setPen(Qt::NoPen);
            p->setBrush(Warning);
            p->drawEllipse(icon.adjusted(1, 1, -1, -1));
            p->setPen(QPen(Window, 2));
            p->drawLine(icon.center().x(), icon.top() + 4, icon.center().x(), icon.bottom() - 7);
            p->drawPoint(icon.center().x(), icon.bottom() - 4);
        }
    }
    p->restore();
}
