#pragma once
// The macro manager's macro list: a list model over the macros of the current macro set (their
// names and whether the database file recorded errors for them) and the delegate that paints a
// row: the name at the left and, for a macro with errors, the error icon right-aligned.
//
// The model is a snapshot: Reload copies the names and error flags from the macro list model
// (TuiMacroClass) and is called by the macro manager after every change. Rows never point into
// the core's lists, so a macro list that changes under the view cannot be read out of bounds.
//
// UI thread only.

#include <QAbstractListModel>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QVector>

class TuiMacroClass;

class MacroListModel : public QAbstractListModel {
public:
    // Extra roles: whether the macro carries recorded errors (bool).
    static constexpr int ErrorRole = Qt::UserRole + 1;

    explicit MacroListModel(QObject* parent = nullptr);

    // Takes the names (at most 50 characters each) and error flags of every macro; a null
    // model empties the list.
    void Reload(const TuiMacroClass* macros);
    // Rows whose text is exactly name (case-sensitive), first one; -1 when none.
    int RowOfName(const QString& name) const;
    QString Name(int row) const;
    bool HasErrors(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Row {
        QString name;
        bool errors = false;
    };
    QVector<Row> rows_;
};

class MacroListDelegate : public QStyledItemDelegate {
public:
    explicit MacroListDelegate(QObject* parent = nullptr);

    // The ERRORICON picture (18 x 18); a drawn mark when it is null.
    void SetErrorIcon(const QPixmap& icon) { errorIcon_ = icon; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int RowHeight = 26;

private:
    QPixmap errorIcon_;
};
