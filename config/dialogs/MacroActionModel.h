#pragma once
// The macro manager's action list: a list model of the rows that show a macro's actions, and
// the delegate that paints each row after its template and edits delays.
//
// Row kinds (the templates): a delay (stop-watch flag, the milliseconds in the elapsed-time
// column), a key press (down flag, the key's name in the button column), a key release (up
// flag indented by 15 pixels), a mouse-button press and a mouse-button release (mouse flags,
// the release indented), and a plain row without flag for any other action (movement, wheel,
// media key from other sources), so rows and actions always correspond by position. The rows
// are set by the manager: from a macro's actions, or as live
// preview rows while a recording runs. Rows map to actions by position.
//
// Delay editing: a delay row is editable. A double click opens a number box over its
// elapsed-time column; the value is committed when Enter is pressed or the box loses the focus
// (Esc leaves the delay as it was), never on each keystroke. The committed value goes to
// OnDelayEdited (row, value as typed); the model itself does not clamp or store it.
//
// UI thread only.

#include <QAbstractListModel>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QVector>

#include <functional>

class MacroActionModel : public QAbstractListModel {
public:
    enum class Kind { Delay, KeyDown, KeyUp, MouseDown, MouseUp, Other };
    static constexpr int KindRole = Qt::UserRole + 1;

    struct Row {
        Kind kind = Kind::Delay;
        QString text;
    };

    explicit MacroActionModel(QObject* parent = nullptr);

    void Clear();
    void AddRow(Kind kind, const QString& text);
    // Inserts at index, kept within 0..count.
    void InsertRow(int index, Kind kind, const QString& text);
    void SetRowText(int row, const QString& text);
    const QVector<Row>& Rows() const { return rows_; }
    int Count() const { return static_cast<int>(rows_.size()); }

    // Called with the row and the value typed into its delay box (any integer).
    std::function<void(int row, qint64 value)> OnDelayEdited;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVector<Row> rows_;
};

class MacroActionDelegate : public QStyledItemDelegate {
public:
    explicit MacroActionDelegate(QObject* parent = nullptr);

    // The flag pictures of the templates (18 x 18); a drawn flag stands in for a null one.
    void SetFlag(MacroActionModel::Kind kind, const QPixmap& flag);

    // Column geometry within a row: the status flag, the button column and the elapsed-time
    // column (x offsets and widths), matching the column heads of the manager.
    static constexpr int StatusX = 8;
    static constexpr int ButtonX = 62;
    static constexpr int ElapsedX = 192;
    static constexpr int Indent = 15;
    static constexpr int RowHeight = 24;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    void paintFlag(QPainter* p, const QRect& r, MacroActionModel::Kind kind) const;
    QPixmap flags_[6];
};
