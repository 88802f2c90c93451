#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

#include "store/cursor.h"

namespace window {

/// One column of a grid: the cursor's column by name, its title, and how it is shown.
struct GridColumn {
    const char* field;
    const char* title = nullptr; ///< the column name when empty
    bool readOnly = false;
    bool oneDecimal = false; ///< display "#0.0"
    bool boldTitle = false;
    bool twoDecimals = false; ///< hours shown as "7.92", the full value in the cell's tooltip
};

/// The one table model of every grid: a view over a table cursor with named columns.
/// Rows are read from the cursor on demand; moving in the grid moves the cursor and editing
/// a cell edits the cursor's row, which is posted when the grid leaves the row.
class CursorModel : public QAbstractTableModel, public store::CursorObserver {
    Q_OBJECT
public:
    CursorModel(store::Cursor& cursor, std::vector<GridColumn> columns, bool readOnly, QObject* parent = nullptr);

    /// When set, a cell it is true for is shown in another colour (the register's typed times).
    std::function<bool(const store::Record& row, const std::string& field)> marked;
    ~CursorModel() override;

    store::Cursor& cursor() { return cursor_; }
    const std::vector<GridColumn>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    /// The text a cell shows.
    QString displayText(int row, int column) const;

    void cursorChanged(store::Cursor& cursor, store::CursorEvent event) override;

signals:
    /// The cursor came to stand on another row (or the rows were re-read).
    void cursorMoved(int row);
    /// A change could not be made; the text is the error's.
    void failed(const QString& text);

private:
    store::Cursor& cursor_;
    std::vector<GridColumn> columns_;
    std::vector<bool> numeric_; ///< right-aligned columns
    std::vector<bool> editable_;
    bool readOnly_;
};

/// The grids' cell editor: as Qt's, but Delete or Backspace in a date or time editor (which
/// cannot be emptied by typing) empties the cell, and so do they on a cell not in edit.
class ClearingDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    mutable QWidget* clearing_ = nullptr; ///< the editor whose cell is to be emptied
};

/// Delete or Backspace on a grid's editable cell that is not in edit empties it; true when
/// the key was taken.
bool clearCellOnKey(QAbstractItemView& view, QEvent* event);

} // namespace window
