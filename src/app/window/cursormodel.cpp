#include "app/window/cursormodel.h"

#include <QAbstractItemView>
#include <QColor>
#include <QDate>
#include <QDateTimeEdit>
#include <QFont>
#include <QKeyEvent>
#include <QTime>

#include "core/regional.h"
#include "core/textform.h"

namespace window {

using core::Value;
using Kind = core::Value::Kind;

CursorModel::CursorModel(store::Cursor& cursor, std::vector<GridColumn> columns, bool readOnly, QObject* parent)
    : QAbstractTableModel(parent), cursor_(cursor), columns_(std::move(columns)), readOnly_(readOnly)
{
    const store::Record probe(cursor_.table(), cursor_.calcFields(), cursor_.regional());
    for (const GridColumn& col : columns_) {
        const int i = probe.fieldIndex(col.field); // an unknown column is a programming error: throws
        const store::ColType type = probe.fieldType(i);
        numeric_.push_back(type == store::ColType::Integer || type == store::ColType::Real
                           || type == store::ColType::AutoInc);
        editable_.push_back(!readOnly_ && !col.readOnly && !probe.isCalculated(i) && type != store::ColType::AutoInc);
        // The cursor's messages name the column as this grid titles it.
        if (col.title != nullptr)
            cursor_.setCaption(col.field, col.title);
    }
    cursor_.addObserver(this);
}

CursorModel::~CursorModel() { cursor_.removeObserver(this); }

int CursorModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !cursor_.isOpen())
        return 0;
    return cursor_.recordCount() + (cursor_.state() == store::Cursor::State::Insert ? 1 : 0);
}

int CursorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString CursorModel::displayText(int row, int column) const
{
    const GridColumn& col = columns_.at(static_cast<std::size_t>(column));
    const store::Record rec = const_cast<store::Cursor&>(cursor_).rowAt(row);
    const Value& v = rec.value(col.field);
    if ((col.oneDecimal || col.twoDecimals) && (v.kind() == Kind::Real || v.kind() == Kind::Integer))
        return cursor_.regional().locale().toString(rec.asReal(col.field), 'f', col.twoDecimals ? 2 : 1);
    return QString::fromStdString(core::textForm(v, cursor_.regional()));
}

QVariant CursorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    try {
        if (role == Qt::DisplayRole)
            return displayText(index.row(), index.column());
        if (role == Qt::EditRole) {
            const GridColumn& col = columns_.at(static_cast<std::size_t>(index.column()));
            const store::Record rec = const_cast<store::Cursor&>(cursor_).rowAt(index.row());
            const Value& v = rec.value(col.field);
            if (v.kind() == Kind::Date)
                return core::toQDate(v.realPayload());
            if (v.kind() == Kind::Time) {
                const core::Hms t = core::decodeTime(v.realPayload());
                return QTime(t.hour, t.minute, t.second, t.msec);
            }
            return QString::fromStdString(core::textForm(v, cursor_.regional()));
        }
        if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && marked) {
            const GridColumn& col = columns_.at(static_cast<std::size_t>(index.column()));
            const store::Record rec = const_cast<store::Cursor&>(cursor_).rowAt(index.row());
            if (marked(rec, col.field))
                return role == Qt::BackgroundRole ? QVariant(QColor(255, 236, 179)) : QVariant(QColor(120, 60, 0));
            return {};
        }
        if (role == Qt::ToolTipRole) {
            // A rounded cell tells its stored value when the mouse rests on it.
            const GridColumn& col = columns_.at(static_cast<std::size_t>(index.column()));
            if (!col.twoDecimals && !col.oneDecimal) {
                if (marked && marked(const_cast<store::Cursor&>(cursor_).rowAt(index.row()), col.field))
                    return QString("Typed into the register, not clocked");
                return {};
            }
            const store::Record rec = const_cast<store::Cursor&>(cursor_).rowAt(index.row());
            return QString::fromStdString(core::textForm(rec.value(col.field), cursor_.regional()));
        }
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(numeric_.at(static_cast<std::size_t>(index.column()))
                                           ? Qt::AlignRight | Qt::AlignVCenter
                                           : Qt::AlignLeft | Qt::AlignVCenter);
    } catch (const std::exception&) {
        return {};
    }
    return {};
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns_.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn& col = columns_[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(col.title != nullptr ? col.title : col.field);
    if (role == Qt::FontRole && col.boldTitle) {
        QFont f;
        f.setBold(true);
        return f;
    }
    return {};
}

Qt::ItemFlags CursorModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editable_.at(static_cast<std::size_t>(index.column())))
        f |= Qt::ItemIsEditable;
    return f;
}

bool CursorModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const GridColumn& col = columns_.at(static_cast<std::size_t>(index.column()));
    try {
        const bool insertRow = cursor_.state() == store::Cursor::State::Insert && index.row() == cursor_.recordCount();
        if (!insertRow && index.row() != cursor_.recNo())
            cursor_.moveTo(index.row());
        cursor_.edit();
        Value v;
        if (!value.isValid()) {
            v = Value(); // the cell emptied
        } else if (value.typeId() == QMetaType::QDate) {
            const QDate d = value.toDate();
            v = d.isValid() ? Value::date(core::fromQDate(d)) : Value();
        } else if (value.typeId() == QMetaType::QTime) {
            const QTime t = value.toTime();
            v = t.isValid() ? Value::time(core::encodeTime(t.hour(), t.minute(), t.second(), t.msec())) : Value();
        } else {
            v = Value::text(value.toString().trimmed().toStdString());
        }
        cursor_.setValue(col.field, v);
        return true;
    } catch (const std::exception& e) {
        emit failed(QString::fromUtf8(e.what()));
        return false;
    }
}

void CursorModel::cursorChanged(store::Cursor&, store::CursorEvent event)
{
    switch (event) {
    case store::CursorEvent::Reset:
        beginResetModel();
        endResetModel();
        emit cursorMoved(cursor_.state() == store::Cursor::State::Insert ? cursor_.recordCount() : cursor_.recNo());
        break;
    case store::CursorEvent::Moved: emit cursorMoved(cursor_.recNo()); break;
    case store::CursorEvent::RowChanged: {
        const int row = cursor_.state() == store::Cursor::State::Insert ? cursor_.recordCount() : cursor_.recNo();
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        break;
    }
    }
}

namespace {

bool isClearingKey(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) && key->modifiers() == Qt::NoModifier;
}

} // namespace

bool ClearingDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QDateTimeEdit*>(object);
    if (editor != nullptr && isClearingKey(event)) {
        clearing_ = editor;
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void ClearingDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (editor == clearing_) {
        clearing_ = nullptr;
        model->setData(index, QVariant(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool clearCellOnKey(QAbstractItemView& view, QEvent* event)
{
    // A cell in edit has its editor, which gets the keys itself: this is the view's own key.
    if (!isClearingKey(event))
        return false;
    const QModelIndex index = view.currentIndex();
    if (!index.isValid() || !(view.model()->flags(index) & Qt::ItemIsEditable))
        return false;
    view.model()->setData(index, QVariant(), Qt::EditRole);
    return true;
}

} // namespace window
