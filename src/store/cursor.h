#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/value.h"
#include "store/record.h"
#include "store/schema.h"

namespace core {
class Regional;
}

namespace store {

class Database;
class Statement;
class Cursor;

enum class CursorEvent {
    Reset,      ///< the set of rows changed (open, close, refresh, filter, new scope, insert, delete)
    Moved,      ///< another row became current
    RowChanged, ///< the current row's values changed (edit, post, cancel)
};

/// What a view (a grid, a record navigator) implements to follow a cursor.
class CursorObserver {
public:
    virtual ~CursorObserver() = default;
    virtual void cursorChanged(Cursor& cursor, CursorEvent event) = 0;
};

/// A table cursor: the one way the logic and the grids walk and change a table.
///
/// It presents the table's rows in its order (ties broken by the row identity), limited to
/// its scope (the register link) and its filter. It holds only the row identities in order;
/// rows are read on demand and cached, so a large history table opens without being read.
class Cursor {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Cursor(Database& db, const TableDef& table, const core::Regional& regional, std::string name = {});
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    const std::string& name() const { return name_; }
    const TableDef& table() const { return *table_; }
    const core::Regional& regional() const { return *regional_; }
    State state() const { return state_; }
    bool isOpen() const { return state_ != State::Inactive; }

    /// Declares a calculated column; done before open.
    void addCalcField(std::string name, ColType type);
    const std::vector<CalcField>& calcFields() const { return calc_; }

    /// Runs for every row read into the cursor and after every change of an edited row.
    std::function<void(Record&)> onCalcFields;
    /// Runs after append has made the new empty row (and after the register link set its key).
    std::function<void(Cursor&)> onNewRecord;
    /// Runs when post has written a row, in the same transaction: `before` is the row as it
    /// was read (null for a new row), `after` as it was written. An exception from it undoes
    /// the write and reaches post's caller, the row still in edit.
    std::function<void(Cursor&, const Record* before, const Record& after)> onPosted;
    /// Runs when post is about to write a row, with the same arguments; an exception from it
    /// refuses the row: nothing is written and the row stays in edit for the clerk.
    std::function<void(Cursor&, const Record* before, const Record& after)> onBeforePost;

    void open();
    void close();
    /// Re-reads the table; the current row stays current while it still exists.
    void refresh();

    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    /// Position of the current row, 0-based; -1 when there is none.
    int recNo() const;
    /// Moves to the row at a position (used by the grids); returns false when out of range.
    bool moveTo(int index);

    /// The current row. Throws when the cursor is closed or holds no current row.
    const Record& record() const;
    int fieldIndex(std::string_view name) const;
    const core::Value& value(std::string_view name) const { return record().value(name); }
    bool isNull(std::string_view name) const { return record().isNull(name); }
    std::int64_t asInteger(std::string_view name) const { return record().asInteger(name); }
    double asReal(std::string_view name) const { return record().asReal(name); }
    core::DateTime asDateTime(std::string_view name) const { return record().asDateTime(name); }
    std::string asText(std::string_view name) const { return record().asText(name); }
    bool asBoolean(std::string_view name) const { return record().asBoolean(name); }

    /// Writing needs edit or insert state. The value is converted to the column's type.
    void setValue(std::string_view name, const core::Value& value);
    void setInteger(std::string_view name, std::int64_t v) { setValue(name, core::Value::integer(v)); }
    void setReal(std::string_view name, double v) { setValue(name, core::Value::real(v)); }
    void setText(std::string_view name, std::string v) { setValue(name, core::Value::text(std::move(v))); }
    void setDateTime(std::string_view name, core::DateTime v) { setValue(name, core::Value::real(v)); }
    void setBoolean(std::string_view name, bool v) { setValue(name, core::Value::boolean(v)); }
    void clear(std::string_view name) { setValue(name, core::Value()); }

    void edit();
    void append();
    /// The row identity of the row in edit; 0 for a new row or none.
    std::int64_t editedRowid() const { return state_ == State::Edit ? editRowid_ : 0; }
    /// Writes the row at once. On a database error the row stays in edit and the error is raised;
    /// an edited row that another program removed meanwhile raises core::Error and the cursor
    /// is read again;
    /// a row that breaks a rule of the table (a required column empty, a unique value used
    /// twice) raises a ConstraintError that names the columns by their captions.
    void post();
    void cancel();
    /// Removes the current row; the following row becomes current, or the preceding one.
    void remove();

    /// The title the user sees for a column: a grid may show a column under another name. The
    /// column's own name until a caption is set; an empty caption puts the name back.
    void setCaption(std::string_view field, std::string caption);
    std::string caption(std::string_view field) const;

    /// Moves to the first row in order whose column equals the value; with prefix, a text
    /// column matches when it begins with the value (case-sensitive). Stays put when none does.
    bool locate(std::string_view column, const core::Value& value, bool prefix = false);
    /// Moves to the row whose key column equals the value.
    bool findKey(const core::Value& value);

    /// A condition "Column = value"; empty means none. Takes effect while filtered is on.
    void setFilter(std::string condition);
    const std::string& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    void suspendDisplay();
    void resumeDisplay();
    bool displaySuspended() const { return suspend_ > 0; }
    void addObserver(CursorObserver* observer);
    void removeObserver(CursorObserver* observer);

    /// Makes this cursor a detail of master: its scope is the rows whose detailColumn equals
    /// the master's current masterColumn, it moves to its first row whenever the master comes
    /// to another row, and an appended row takes the master's value.
    void linkTo(Cursor& master, std::string masterColumn, std::string detailColumn);

    /// A row by position, with its calculated columns, for views. Does not move the cursor.
    Record rowAt(int index);

    /// Drops every cached row (after a command changed the table by SQL of its own).
    void invalidateCache();

private:
    struct Condition {
        int column = -1;
        core::Value value;
        bool active = false;
    };

    void requireOpen() const;
    void checkBrowseMode();
    void loadKeys();
    std::string whereClause(std::vector<const Condition*>& binds) const;
    void bindConditions(Statement& st, const std::vector<const Condition*>& binds, int first = 1) const;
    const Record& fetch(std::int64_t rowid);
    void fetchBatch(int index);
    Record readRow(Statement& st, int firstColumn) const;
    void loadCurrent() const;
    void runCalc(Record& rec) const;
    bool matches(const Record& rec) const;
    int compareOrder(const Record& a, std::int64_t aid, const Record& b, std::int64_t bid) const;
    int insertionPoint(const Record& rec, std::int64_t rowid);
    void setPosition(int pos);
    void notify(CursorEvent event);
    void masterMoved();
    void reload();
    void bindValue(Statement& st, int index, const core::Value& value, ColType type) const;
    core::Value linkValue() const;

    Database* db_;
    const TableDef* table_;
    const core::Regional* regional_;
    std::string name_;
    std::vector<CalcField> calc_;
    State state_ = State::Inactive;

    std::vector<std::int64_t> keys_;
    int pos_ = -1;
    bool bof_ = true;
    bool eof_ = true;

    std::unordered_map<std::int64_t, Record> cache_;
    std::optional<Record> original_;        // the edited row as it was read, for onPosted
    mutable std::optional<Record> current_; // the current row as read, or as being edited
    mutable bool currentLoaded_ = false;
    mutable std::optional<Record> empty_;
    std::int64_t lastRowid_ = -1;
    std::vector<bool> modified_;
    std::int64_t editRowid_ = 0;

    std::string filterText_;
    Condition filter_;
    bool filtered_ = false;

    Cursor* master_ = nullptr;
    std::string masterColumn_;
    Condition scope_;
    std::vector<Cursor*> details_;

    int suspend_ = 0;
    bool pendingEvent_ = false;
    std::vector<CursorObserver*> observers_;

    std::unique_ptr<Statement> fetchOne_;
    std::unique_ptr<Statement> batch_;

    std::unordered_map<int, std::string> captions_; ///< by field index
};

/// Suspends a cursor's display for the life of the object; resumes it also on an error.
class DisplaySuspended {
public:
    explicit DisplaySuspended(Cursor& cursor) : cursor_(cursor) { cursor_.suspendDisplay(); }
    ~DisplaySuspended() { cursor_.resumeDisplay(); }
    DisplaySuspended(const DisplaySuspended&) = delete;
    DisplaySuspended& operator=(const DisplaySuspended&) = delete;

private:
    Cursor& cursor_;
};

} // namespace store
