#include "config/dialogs/MacroActionModel.h"

#include "config/toolkit/SkinStyle.h"

#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace {

using Kind = MacroActionModel::Kind;

bool indented(Kind k) { return k == Kind::KeyUp || k == Kind::MouseUp; }

}  // namespace

MacroActionModel::MacroActionModel(QObject* parent) : QAbstractListModel(parent) {}

void MacroActionModel::Clear() {
    if (rows_.isEmpty()) return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void MacroActionModel::AddRow(Kind kind, const QString& text) { InsertRow(Count(), kind, text); }

void MacroActionModel::InsertRow(int index, Kind kind, const QString& text) {
    index = std::clamp(index, 0, Count());
    beginInsertRows(QModelIndex(), index, index);
    rows_.insert(index, Row{kind, text});
    endInsertRows();
}

void MacroActionModel::SetRowText(int row, const QString& text) {
    if (row < 0 || row >= Count()) return;
    rows_[row].text = text;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

int MacroActionModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant MacroActionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const Row& r = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return r.text;
    case KindRole: return static_cast<int>(r.kind);
    default: return {};
    }
}

bool MacroActionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= Count()) return false;
    if (rows_[index.row()].kind != Kind::Delay) return false;
    bool ok = false;
    const qint64 v = value.toString().trimmed().toLongLong(&ok);
    if (!ok) return false;  // an empty box keeps the delay as it was
    if (OnDelayEdited) OnDelayEdited(index.row(), v);
    return true;
}

Qt::ItemFlags MacroActionModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (index.isValid() && index.row() < Count() && rows_[index.row()].kind == Kind::Delay) f |= Qt::ItemIsEditable;
    return f;
}

MacroActionDelegate::MacroActionDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void MacroActionDelegate::SetFlag(Kind kind, const QPixmap& flag) { flags_[static_cast<int>(kind)] = flag; }

QSize MacroActionDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}

void MacroActionDelegate::paintFlag(QPainter* p, const QRect& r, Kind kind) const {
    if (kind == Kind::Other) return;  // no template flag
    const QPixmap& pm = flags_[static_cast<int>(kind)];
    if (!pm.isNull()) {
        p->drawPixmap(r, pm);
        return;
    }
    using namespace vyk::config::skincolor;
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(Rim, 1));
    p->setBrush(Surface);
    p->drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p->setPen(QPen(kind == Kind::KeyDown || kind == Kind::MouseDown ? Accent : Text, 2));
    const QPoint c = r.center();
    switch (kind) {
    case Kind::Delay:
        p->drawEllipse(c, 5, 5);
        p->drawLine(c, c + QPoint(0, -4));
        break;
    case Kind::KeyDown:
    case Kind::MouseDown:
        p->drawLine(c + QPoint(0, -5), c + QPoint(0, 5));
        p->drawLine(c + QPoint(-4, 1), c + QPoint(0, 5));
        p->drawLine(c + QPoint(4, 1), c + QPoint(0, 5));
        break;
    case Kind::KeyUp:
    case Kind::MouseUp:
        p->drawLine(c + QPoint(0, -5), c + QPoint(0, 5));
        p->drawLine(c + QPoint(-4, -1), c + QPoint(0, -5));
        p->drawLine(c + QPoint(4, -1), c + QPoint(0, -5));
        break;
    case Kind::Other: break;
    }
}

void MacroActionDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    using namespace vyk::config::skincolor;
    p->save();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        p->fillRect(r.adjusted(0, 1, 0, -1), QColor(Accent.red(), Accent.green(), Accent.blue(), 170));
    else if (index.row() % 2 == 1)
        p->fillRect(r, QColor(255, 255, 255, 10));

    const auto kind = static_cast<Kind>(index.data(MacroActionModel::KindRole).toInt());
    const int flagX = r.left() + StatusX + (indented(kind) ? Indent : 0);
    const QRect flag(flagX, r.top() + (r.height() - 18) / 2, 18, 18);
    paintFlag(p, flag, kind);

    p->setPen((option.state & QStyle::State_Enabled) ? Text : DimText);
    p->setFont(vyk::config::TextFont(13, false));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (kind == Kind::Delay) {
        p->drawText(QRect(r.left() + ElapsedX, r.top(), r.width() - ElapsedX - 8, r.height()),
                    Qt::AlignVCenter | Qt::AlignLeft, text);
    } else {
        const int x = r.left() + ButtonX + (indented(kind) ? Indent : 0);
        const QRect tr(x, r.top(), r.left() + ElapsedX - x - 4, r.height());
        p->drawText(tr, Qt::AlignVCenter | Qt::AlignLeft,
                    p->fontMetrics().elidedText(text, Qt::ElideRight, tr.width()));
    }
    p->restore();
}

QWidget* MacroActionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex& index) const {
    if (static_cast<Kind>(index.data(MacroActionModel::KindRole).toInt()) != Kind::Delay) return nullptr;
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("TextEditDelay"));
    // Digits only; the range 1..65535 is applied when the value is committed.
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,9}")), box));
    box->setFont(vyk::config::TextFont(13, false));
    box->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #141416; color: #FFFFFF; border: 1px solid #D71E0A; padding: 0 4px; }"));
    return box;
}

void MacroActionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        box->setText(index.data(Qt::EditRole).toString().trimmed());
        box->selectAll();
    }
}

void MacroActionDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QLineEdit*>(editor)) model->setData(index, box->text(), Qt::EditRole);
}

void MacroActionDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex&) const {
    const QRect r = option.rect;
    editor->setGeometry(r.left() + ElapsedX - 6, r.top() + 1, std::min(90, r.width() - ElapsedX), r.height() - 2);
}
