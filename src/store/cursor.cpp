#include "store/cursor.h"

#include <algorithm>
#include <cstring>

#include <sqlite3.h>

#include "core/error.h"
#include "core/regional.h"
#include "core/textform.h"
#include "store/sqlite.h"

namespace store {

using core::Value;
using Kind = core::Value::Kind;

namespace {

constexpr std::size_t kCacheLimit = 50'000;
constexpr int kBatch = 100;

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string selectList(const TableDef& t)
{
    std::string s = "rowid";
    for (const auto& c : t.columns)
        s += ", " + quoted(c.name);
    return s;
}

std::string orderClause(const TableDef& t)
{
    std::string s = " ORDER BY ";
    for (const auto& c : t.order)
        s += quoted(c) + ", ";
    return s + "rowid";
}

/// SQLite's storage class order: NULL < numbers < text.
int storageRank(const Value& v)
{
    switch (v.kind()) {
    case Kind::Empty: return 0;
    case Kind::Integer:
    case Kind::Boolean:
    case Kind::Real: return 1;
    case Kind::Text:
    case Kind::Date:
    case Kind::Time: return 2;
    }
    return 0;
}

std::string storageText(const Value& v)
{
    switch (v.kind()) {
    case Kind::Date: return core::toIsoDate(v.realPayload());
    case Kind::Time: return core::toIsoTime(v.realPayload());
    case Kind::Text: return v.textPayload();
    default: return {};
    }
}

int compareValues(const Value& a, const Value& b)
{
    const int ra = storageRank(a);
    const int rb = storageRank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return 0;
    if (ra == 1) {
        const bool ai = a.kind() != Kind::Real;
        const bool bi = b.kind() != Kind::Real;
        if (ai && bi)
            return a.intPayload() < b.intPayload() ? -1 : (a.intPayload() > b.intPayload() ? 1 : 0);
        const double x = ai ? static_cast<double>(a.intPayload()) : a.realPayload();
        const double y = bi ? static_cast<double>(b.intPayload()) : b.realPayload();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Dates and times compare by their stored text, as the database orders them.
    const std::string x = storageText(a);
    const std::string y = storageText(b);
    const int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

bool valuesEqual(const Value& a, const Value& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return compareValues(a, b) == 0;
}

std::optional<ConstraintError::Kind> constraintKind(int code)
{
    using K = ConstraintError::Kind;
    switch (code) {
    case SQLITE_CONSTRAINT_NOTNULL: return K::NotNull;
    case SQLITE_CONSTRAINT_UNIQUE: return K::Unique;
    case SQLITE_CONSTRAINT_PRIMARYKEY: return K::PrimaryKey;
    case SQLITE_CONSTRAINT_CHECK: return K::Check;
    default: return std::nullopt;
    }
}

/// The columns that SQLite's message names: "NOT NULL constraint failed: Employee.No",
/// "UNIQUE constraint failed: Attendance.EmployeeNo, Attendance.Date". Empty when it names
/// them some other way (a unique index on an expression: "index 'X'").
std::vector<std::string> failedColumns(std::string_view message, const std::string& table)
{
    constexpr std::string_view marker = "constraint failed: ";
    const auto at = message.find(marker);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = message.substr(at + marker.size());
    std::vector<std::string> out;
    for (;;) {
        const auto comma = rest.find(", ");
        const std::string_view item = rest.substr(0, comma);
        if (item.size() <= table.size() + 1 || item[table.size()] != '.'
            || !equalsNoCase(item.substr(0, table.size()), table))
            return {};
        out.emplace_back(item.substr(table.size() + 1));
        if (comma == std::string_view::npos)
            return out;
        rest = rest.substr(comma + 2);
    }
}

/// Raises a refusal of the database in the user's words when it is a rule of the table that
/// the row broke; returns when it is some other error.
void explainRefusal(const SqlError& error, const Cursor& cursor, const Record& row)
{
    const auto kind = constraintKind(error.code());
    if (!kind)
        return;
    const TableDef& table = cursor.table();
    std::vector<ConstraintError::Column> columns;
    if (*kind != ConstraintError::Kind::Check) {
        const auto names = failedColumns(error.what(), table.name);
        if (names.empty())
            return;
        for (const std::string& name : names) {
            const int i = table.columnIndex(name);
            std::optional<std::string> value;
            if (i >= 0 && !row.value(i).isEmpty())
                value = core::textForm(row.value(i), cursor.regional());
            columns.push_back({i >= 0 ? table.columns[static_cast<std::size_t>(i)].name : name, cursor.caption(name),
                               std::move(value)});
        }
    }
    throw ConstraintError(error.code(), *kind, table.name, table.noun, std::move(columns), error.what());
}

std::string trim(std::string_view s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return {};
    const auto e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

} // namespace

Cursor::Cursor(Database& db, const TableDef& table, const core::Regional& regional, std::string name)
    : db_(&db), table_(&table), regional_(&regional), name_(name.empty() ? table.name : name)
{}

Cursor::~Cursor()
{
    if (master_ != nullptr) {
        auto& d = master_->details_;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
    }
    for (Cursor* d : details_)
        d->master_ = nullptr;
}

void Cursor::addCalcField(std::string name, ColType type)
{
    if (isOpen())
        throw core::Error(name_ + ": calculated columns are declared before the cursor opens");
    calc_.push_back({std::move(name), type});
}

void Cursor::requireOpen() const
{
    if (state_ == State::Inactive)
        throw core::Error(name_ + ": Cannot perform this operation on a closed dataset");
}

void Cursor::checkBrowseMode()
{
    requireOpen();
    if (state_ == State::Edit || state_ == State::Insert)
        post();
}

void Cursor::open()
{
    if (isOpen())
        return;
    fetchOne_ = std::make_unique<Statement>(*db_, "SELECT " + selectList(*table_) + " FROM " + quoted(table_->name)
                                                      + " WHERE rowid = ?");
    state_ = State::Browse;
    try {
        if (master_ != nullptr)
            scope_.value =
                coerce(linkValue(), table_->columns[static_cast<std::size_t>(scope_.column)].type, *regional_);
        loadKeys();
    } catch (...) {
        state_ = State::Inactive;
        fetchOne_.reset();
        throw;
    }
    currentLoaded_ = false;
    lastRowid_ = -1;
    setPosition(keys_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = keys_.empty();
    notify(CursorEvent::Reset);
}

void Cursor::close()
{
    if (!isOpen())
        return;
    state_ = State::Inactive;
    keys_.clear();
    cache_.clear();
    current_.reset();
    currentLoaded_ = false;
    pos_ = -1;
    bof_ = eof_ = true;
    fetchOne_.reset();
    batch_.reset();
    notify(CursorEvent::Reset);
    for (Cursor* d : details_)
        d->masterMoved();
}

Value Cursor::linkValue() const
{
    if (master_ == nullptr || !master_->isOpen() || master_->recordCount() == 0)
        return Value();
    return master_->value(masterColumn_);
}

std::string Cursor::whereClause(std::vector<const Condition*>& binds) const
{
    std::string where;
    auto add = [&](const Condition& c) {
        where += where.empty() ? " WHERE " : " AND ";
        where += quoted(table_->columns[static_cast<std::size_t>(c.column)].name) + " = ?";
        binds.push_back(&c);
    };
    if (master_ != nullptr)
        add(scope_);
    if (filtered_ && filter_.active)
        add(filter_);
    return where;
}

void Cursor::bindConditions(Statement& st, const std::vector<const Condition*>& binds, int first) const
{
    int i = first;
    for (const Condition* c : binds)
        bindValue(st, i++, c->value, table_->columns[static_cast<std::size_t>(c->column)].type);
}

void Cursor::bindValue(Statement& st, int index, const Value& value, ColType type) const
{
    switch (value.kind()) {
    case Kind::Empty: st.bindNull(index); return;
    case Kind::Integer:
    case Kind::Boolean: st.bind(index, value.intPayload()); return;
    case Kind::Text: st.bind(index, std::string_view(value.textPayload())); return;
    case Kind::Date: st.bind(index, std::string_view(core::toIsoDate(value.realPayload()))); return;
    case Kind::Time: st.bind(index, std::string_view(core::toIsoTime(value.realPayload()))); return;
    case Kind::Real:
        if (type == ColType::Date)
            st.bind(index, std::string_view(core::toIsoDate(value.realPayload())));
        else if (type == ColType::Time)
            st.bind(index, std::string_view(core::toIsoTime(value.realPayload())));
        else
            st.bind(index, value.realPayload());
        return;
    }
}

void Cursor::loadKeys()
{
    std::vector<const Condition*> binds;
    const std::string where = whereClause(binds);
    keys_.clear();
    if (table_->order.empty() && where.empty() && !table_->indexes.empty()) {
        // The whole of a table kept in the order of storing (the history): the row identities
        // come from its smallest index rather than from a scan of every row, then are sorted.
        {
            Statement top(*db_, "SELECT max(rowid) FROM " + quoted(table_->name));
            if (top.step() && !top.isNull(0))
                keys_.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(top.columnInt(0), 0, 64'000'000)));
        }
        Statement st(*db_, "SELECT rowid FROM " + quoted(table_->name) + " INDEXED BY "
                               + quoted(table_->indexes.front().first));
        while (st.step())
            keys_.push_back(st.columnInt(0));
        if (!std::is_sorted(keys_.begin(), keys_.end()))
            std::sort(keys_.begin(), keys_.end());
        return;
    }
    const std::string sql = "SELECT rowid FROM " + quoted(table_->name) + where
                            + (table_->order.empty() ? std::string(" ORDER BY rowid") : orderClause(*table_));
    Statement st(*db_, sql);
    bindConditions(st, binds);
    while (st.step())
        keys_.push_back(st.columnInt(0));
}

Record Cursor::readRow(Statement& st, int firstColumn) const
{
    Record rec(*table_, calc_, *regional_);
    auto& vals = rec.values();
    for (std::size_t i = 0; i < table_->columns.size(); ++i) {
        const int col = firstColumn + static_cast<int>(i);
        const int type = st.columnType(col);
        if (type == SQLITE_NULL)
            continue;
        const bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
        switch (table_->columns[i].type) {
        case ColType::Integer:
        case ColType::AutoInc:
            vals[i] = type == SQLITE_INTEGER ? Value::integer(st.columnInt(col))
                      : type == SQLITE_FLOAT ? Value::real(st.columnReal(col))
                                             : Value::text(st.columnText(col));
            break;
        case ColType::Real:
            vals[i] = numeric ? Value::real(st.columnReal(col)) : Value::text(st.columnText(col));
            break;
        case ColType::Text: vals[i] = Value::text(st.columnText(col)); break;
        case ColType::Date: {
            if (numeric) {
                vals[i] = Value::date(st.columnReal(col));
                break;
            }
            std::string t = st.columnText(col);
            if (auto d = core::parseIsoDate(t))
                vals[i] = Value::date(*d);
            else
                vals[i] = Value::text(std::move(t));
            break;
        }
        case ColType::Time: {
            if (numeric) {
                vals[i] = Value::time(st.columnReal(col));
                break;
            }
            std::string t = st.columnText(col);
            if (auto d = core::parseIsoTime(t))
                vals[i] = Value::time(*d);
            else
                vals[i] = Value::text(std::move(t));
            break;
        }
        case ColType::Boolean:
            vals[i] = numeric ? Value::boolean(st.columnReal(col) != 0.0) : Value::text(st.columnText(col));
            break;
        }
    }
    return rec;
}

const Record& Cursor::fetch(std::int64_t rowid)
{
    if (auto it = cache_.find(rowid); it != cache_.end())
        return it->second;
    if (cache_.size() >= kCacheLimit)
        cache_.clear();
    Statement& st = *fetchOne_;
    st.bind(1, rowid);
    if (!st.step()) {
        st.reset();
        throw core::Error(name_ + ": Record not found or changed by another user");
    }
    Record rec = readRow(st, 1);
    st.reset();
    return cache_.emplace(rowid, std::move(rec)).first->second;
}

void Cursor::fetchBatch(int index)
{
    if (!batch_) {
        std::string sql = "SELECT " + selectList(*table_) + " FROM " + quoted(table_->name) + " WHERE rowid IN (";
        for (int i = 0; i < kBatch; ++i)
            sql += i == 0 ? "?" : ", ?";
        sql += ")";
        batch_ = std::make_unique<Statement>(*db_, sql);
    }
    if (cache_.size() + kBatch >= kCacheLimit)
        cache_.clear();
    Statement& st = *batch_;
    int bound = 0;
    for (int i = index; i < static_cast<int>(keys_.size()) && bound < kBatch; ++i) {
        const auto id = keys_[static_cast<std::size_t>(i)];
        if (!cache_.contains(id))
            st.bind(++bound, id);
    }
    if (bound == 0) {
        st.reset();
        return;
    }
    for (int i = bound + 1; i <= kBatch; ++i)
        st.bindNull(i);
    while (st.step())
        cache_.insert_or_assign(st.columnInt(0), readRow(st, 1));
    st.reset();
}

void Cursor::runCalc(Record& rec) const
{
    if (calc_.empty())
        return;
    auto& vals = rec.values();
    for (std::size_t i = table_->columns.size(); i < vals.size(); ++i)
        vals[i] = Value();
    if (onCalcFields)
        onCalcFields(rec);
}

void Cursor::loadCurrent() const
{
    if (currentLoaded_ || state_ == State::Edit || state_ == State::Insert)
        return;
    auto* self = const_cast<Cursor*>(this);
    if (pos_ < 0) {
        current_.reset();
    } else {
        Record rec = self->fetch(keys_[static_cast<std::size_t>(pos_)]);
        runCalc(rec);
        current_ = std::move(rec);
    }
    currentLoaded_ = true;
}

const Record& Cursor::record() const
{
    requireOpen();
    loadCurrent();
    if (!current_) {
        if (!empty_)
            empty_.emplace(*table_, calc_, *regional_);
        return *empty_;
    }
    return *current_;
}

int Cursor::fieldIndex(std::string_view name) const { return Record(*table_, calc_, *regional_).fieldIndex(name); }

void Cursor::setPosition(int pos)
{
    pos_ = pos;
    currentLoaded_ = false;
    const std::int64_t rowid = pos >= 0 ? keys_[static_cast<std::size_t>(pos)] : 0;
    const bool moved = rowid != lastRowid_;
    lastRowid_ = rowid;
    if (moved) {
        notify(CursorEvent::Moved);
        for (Cursor* d : details_)
            d->masterMoved();
    }
}

void Cursor::masterMoved()
{
    if (!isOpen() || master_ == nullptr)
        return;
    if (state_ == State::Edit || state_ == State::Insert)
        post();
    scope_.value = coerce(linkValue(), table_->columns[static_cast<std::size_t>(scope_.column)].type, *regional_);
    loadKeys();
    lastRowid_ = -1;
    setPosition(keys_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = keys_.empty();
    notify(CursorEvent::Reset);
}

void Cursor::first()
{
    checkBrowseMode();
    setPosition(keys_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = keys_.empty();
}

void Cursor::last()
{
    checkBrowseMode();
    setPosition(static_cast<int>(keys_.size()) - 1);
    bof_ = keys_.empty();
    eof_ = keys_.empty();
}

void Cursor::next()
{
    checkBrowseMode();
    if (eof_)
        return;
    bof_ = false;
    if (pos_ + 1 < static_cast<int>(keys_.size()))
        setPosition(pos_ + 1);
    else
        eof_ = true;
}

void Cursor::prior()
{
    checkBrowseMode();
    if (bof_)
        return;
    eof_ = false;
    if (pos_ > 0)
        setPosition(pos_ - 1);
    else
        bof_ = true;
}

bool Cursor::eof() const
{
    requireOpen();
    return eof_ || (keys_.empty() && state_ != State::Insert);
}

bool Cursor::bof() const
{
    requireOpen();
    return bof_ || (keys_.empty() && state_ != State::Insert);
}

int Cursor::recordCount() const
{
    requireOpen();
    return static_cast<int>(keys_.size());
}

int Cursor::recNo() const { return isOpen() ? pos_ : -1; }

bool Cursor::moveTo(int index)
{
    checkBrowseMode();
    if (index < 0 || index >= static_cast<int>(keys_.size()))
        return false;
    setPosition(index);
    bof_ = eof_ = false;
    return true;
}

void Cursor::setValue(std::string_view name, const Value& value)
{
    requireOpen();
    if (state_ != State::Edit && state_ != State::Insert)
        throw core::Error(name_ + ": Dataset not in edit or insert mode");
    const int idx = current_->fieldIndex(name);
    if (current_->isCalculated(idx) || current_->fieldType(idx) == ColType::AutoInc)
        throw core::Error(name_ + ": Field '" + current_->fieldName(idx) + "' cannot be modified");
    current_->set(idx, value);
    modified_[static_cast<std::size_t>(idx)] = true;
    runCalc(*current_);
    notify(CursorEvent::RowChanged);
}

void Cursor::edit()
{
    requireOpen();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (keys_.empty()) {
        append();
        return;
    }
    loadCurrent();
    editRowid_ = keys_[static_cast<std::size_t>(pos_)];
    modified_.assign(table_->columns.size() + calc_.size(), false);
    if (onPosted || onBeforePost)
        original_ = *current_;
    state_ = State::Edit;
    notify(CursorEvent::RowChanged);
}

void Cursor::append()
{
    checkBrowseMode();
    current_.emplace(*table_, calc_, *regional_);
    modified_.assign(table_->columns.size() + calc_.size(), false);
    state_ = State::Insert;
    if (master_ != nullptr) {
        current_->set(scope_.column, linkValue());
        modified_[static_cast<std::size_t>(scope_.column)] = true;
    }
    if (onNewRecord) {
        try {
            onNewRecord(*this);
        } catch (...) {
            // The new row could not be made: nothing is added.
            state_ = State::Browse;
            currentLoaded_ = false;
            notify(CursorEvent::Reset);
            throw;
        }
    }
    runCalc(*current_);
    notify(CursorEvent::Reset);
}

bool Cursor::matches(const Record& rec) const
{
    if (master_ != nullptr && !valuesEqual(rec.value(scope_.column), scope_.value))
        return false;
    if (filtered_ && filter_.active && !valuesEqual(rec.value(filter_.column), filter_.value))
        return false;
    return true;
}

int Cursor::compareOrder(const Record& a, std::int64_t aid, const Record& b, std::int64_t bid) const
{
    for (const auto& col : table_->order) {
        const int i = table_->columnIndex(col);
        if (const int c = compareValues(a.value(i), b.value(i)); c != 0)
            return c;
    }
    return aid < bid ? -1 : (aid > bid ? 1 : 0);
}

int Cursor::insertionPoint(const Record& rec, std::int64_t rowid)
{
    if (table_->order.empty())
        return static_cast<int>(std::lower_bound(keys_.begin(), keys_.end(), rowid) - keys_.begin());
    int lo = 0;
    int hi = static_cast<int>(keys_.size());
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const auto id = keys_[static_cast<std::size_t>(mid)];
        if (compareOrder(fetch(id), id, rec, rowid) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void Cursor::post()
{
    requireOpen();
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    Record& rec = *current_;
    if (onBeforePost)
        onBeforePost(*this, state_ == State::Insert ? nullptr : (original_ ? &*original_ : nullptr), rec);
    std::int64_t rowid = editRowid_;
    const bool inserting = state_ == State::Insert;
    // The row and what onPosted writes with it (the record of a typed time) are one change.
    Savepoint change(*db_, "post_row");
    if (state_ == State::Insert) {
        std::string cols;
        std::string params;
        std::vector<std::size_t> idx;
        for (std::size_t i = 0; i < table_->columns.size(); ++i) {
            if (table_->columns[i].type == ColType::AutoInc)
                continue;
            cols += (cols.empty() ? "" : ", ") + quoted(table_->columns[i].name);
            params += params.empty() ? "?" : ", ?";
            idx.push_back(i);
        }
        Statement st(*db_, "INSERT INTO " + quoted(table_->name) + " (" + cols + ") VALUES (" + params + ")");
        int p = 1;
        for (std::size_t i : idx)
            bindValue(st, p++, rec.value(static_cast<int>(i)), table_->columns[i].type);
        try {
            st.run();
        } catch (const SqlError& e) {
            explainRefusal(e, *this, rec);
            throw;
        }
        rowid = db_->lastInsertRowid();
        if (const ColumnDef* ai = table_->autoIncColumn())
            rec.values()[static_cast<std::size_t>(table_->columnIndex(ai->name))] = Value::integer(rowid);
    } else {
        std::string sets;
        std::vector<std::size_t> idx;
        for (std::size_t i = 0; i < table_->columns.size(); ++i) {
            if (!modified_[i])
                continue;
            sets += (sets.empty() ? "" : ", ") + quoted(table_->columns[i].name) + " = ?";
            idx.push_back(i);
        }
        if (!idx.empty()) {
            Statement st(*db_, "UPDATE " + quoted(table_->name) + " SET " + sets + " WHERE rowid = ?");
            int p = 1;
            for (std::size_t i : idx)
                bindValue(st, p++, rec.value(static_cast<int>(i)), table_->columns[i].type);
            st.bind(p, rowid);
            try {
                st.run();
            } catch (const SqlError& e) {
                explainRefusal(e, *this, rec);
                throw;
            }
            if (db_->changes() == 0) {
                // Another program removed the row meanwhile (rebuilt the register, say): the
                // change went nowhere. The grid is read again and nothing is recorded.
                state_ = State::Browse;
                original_.reset();
                currentLoaded_ = false;
                invalidateCache();
                refresh();
                throw core::Error("This " + table_->noun
                                  + " is no longer in the table: another program changed the table meanwhile. It "
                                    "has been read again; make the change once more.");
            }
        }
    }
    if (onPosted)
        onPosted(*this, inserting || !original_ ? nullptr : &*original_, rec);
    change.release();
    if (!inserting) {
        const auto old = std::find(keys_.begin(), keys_.end(), rowid);
        if (old != keys_.end())
            keys_.erase(old);
        cache_.erase(rowid);
    }
    state_ = State::Browse;
    original_.reset();
    Record stored = rec;
    for (std::size_t i = table_->columns.size(); i < stored.values().size(); ++i)
        stored.values()[i] = Value();
    if (matches(rec)) {
        const int at = insertionPoint(rec, rowid);
        keys_.insert(keys_.begin() + at, rowid);
        cache_.insert_or_assign(rowid, std::move(stored));
        lastRowid_ = -1;
        setPosition(at);
        runCalc(*current_);
        currentLoaded_ = true;
    } else {
        // The row left the cursor's scope or filter: it is written but no longer shown here.
        setPosition(std::min(std::max(pos_, 0), static_cast<int>(keys_.size()) - 1));
    }
    bof_ = eof_ = false;
    notify(CursorEvent::Reset);
    for (Cursor* d : details_)
        d->masterMoved();
}

void Cursor::cancel()
{
    requireOpen();
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    state_ = State::Browse;
    original_.reset();
    currentLoaded_ = false;
    notify(CursorEvent::Reset);
}

void Cursor::remove()
{
    requireOpen();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (state_ == State::Edit)
        cancel();
    if (keys_.empty())
        throw core::Error(name_ + ": Cannot perform this operation on an empty dataset");
    const auto rowid = keys_[static_cast<std::size_t>(pos_)];
    Statement st(*db_, "DELETE FROM " + quoted(table_->name) + " WHERE rowid = ?");
    st.bind(1, rowid);
    st.run();
    cache_.erase(rowid);
    keys_.erase(keys_.begin() + pos_);
    const int n = static_cast<int>(keys_.size());
    setPosition(n == 0 ? -1 : std::min(pos_, n - 1));
    bof_ = eof_ = n == 0;
    notify(CursorEvent::Reset);
}

bool Cursor::locate(std::string_view column, const Value& value, bool prefix)
{
    checkBrowseMode();
    const int col = table_->columnIndex(column);
    if (col < 0)
        throw core::Error(name_ + ": Field '" + std::string(column) + "' not found");
    const ColumnDef& def = table_->columns[static_cast<std::size_t>(col)];
    std::vector<const Condition*> binds;
    std::string where = whereClause(binds);
    where += where.empty() ? " WHERE " : " AND ";
    const int vi = static_cast<int>(binds.size()) + 1;
    Value v;
    if (prefix) {
        v = Value::text(core::textForm(value, *regional_));
        where += "substr(" + quoted(def.name) + ", 1, length(?" + std::to_string(vi) + ")) = ?" + std::to_string(vi);
    } else {
        v = coerce(value, def.type, *regional_);
        where += quoted(def.name) + " IS ?" + std::to_string(vi);
    }
    Statement st(*db_, "SELECT rowid FROM " + quoted(table_->name) + where
                           + (table_->order.empty() ? std::string(" ORDER BY rowid") : orderClause(*table_))
                           + " LIMIT 1");
    bindConditions(st, binds);
    bindValue(st, vi, v, prefix ? ColType::Text : def.type);
    if (!st.step())
        return false;
    const auto rowid = st.columnInt(0);
    int at = -1;
    if (table_->order.empty()) {
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), rowid);
        if (it != keys_.end() && *it == rowid)
            at = static_cast<int>(it - keys_.begin());
    } else {
        // A copy: the search fetches other rows, which may empty the cache the row came from.
        const Record found = fetch(rowid);
        const int guess = insertionPoint(found, rowid);
        if (guess < static_cast<int>(keys_.size()) && keys_[static_cast<std::size_t>(guess)] == rowid)
            at = guess;
    }
    if (at < 0) {
        const auto it = std::find(keys_.begin(), keys_.end(), rowid);
        if (it == keys_.end())
            return false;
        at = static_cast<int>(it - keys_.begin());
    }
    setPosition(at);
    bof_ = eof_ = false;
    return true;
}

void Cursor::setCaption(std::string_view field, std::string caption)
{
    const int i = fieldIndex(field); // an unknown column throws
    if (caption.empty())
        captions_.erase(i);
    else
        captions_[i] = std::move(caption);
}

std::string Cursor::caption(std::string_view field) const
{
    int i = table_->columnIndex(field);
    for (std::size_t c = 0; i < 0 && c < calc_.size(); ++c)
        if (equalsNoCase(calc_[c].name, field))
            i = static_cast<int>(table_->columns.size() + c);
    if (i < 0)
        return std::string(field); // a column of the database that the cursor does not show
    if (const auto it = captions_.find(i); it != captions_.end())
        return it->second;
    const auto n = table_->columns.size();
    const auto u = static_cast<std::size_t>(i);
    return u < n ? table_->columns[u].name : calc_[u - n].name;
}

bool Cursor::findKey(const Value& value) { return locate(table_->key, value, false); }

void Cursor::setFilter(std::string condition)
{
    Condition c;
    const std::string text = trim(condition);
    if (!text.empty()) {
        const auto eq = text.find('=');
        if (eq == std::string::npos)
            throw core::Error(name_ + ": the filter '" + text + "' is not of the form 'Column = value'");
        std::string col = trim(std::string_view(text).substr(0, eq));
        if (col.size() >= 2 && (col.front() == '[' || col.front() == '"'))
            col = col.substr(1, col.size() - 2);
        std::string val = trim(std::string_view(text).substr(eq + 1));
        if (val.size() >= 2 && val.front() == '\'' && val.back() == '\'')
            val = val.substr(1, val.size() - 2);
        c.column = table_->columnIndex(col);
        if (c.column < 0)
            throw core::Error(name_ + ": Field '" + col + "' not found");
        c.value = coerce(Value::text(val), table_->columns[static_cast<std::size_t>(c.column)].type, *regional_);
        c.active = true;
    }
    filterText_ = std::move(condition);
    filter_ = c;
    if (isOpen() && filtered_)
        reload();
}

void Cursor::setFiltered(bool on)
{
    if (filtered_ == on)
        return;
    filtered_ = on;
    if (isOpen())
        reload();
}

void Cursor::reload()
{
    checkBrowseMode();
    loadKeys();
    setPosition(keys_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = keys_.empty();
    notify(CursorEvent::Reset);
}

void Cursor::refresh()
{
    checkBrowseMode();
    const std::int64_t rowid = pos_ >= 0 ? keys_[static_cast<std::size_t>(pos_)] : 0;
    cache_.clear();
    if (master_ != nullptr)
        scope_.value = coerce(linkValue(), table_->columns[static_cast<std::size_t>(scope_.column)].type, *regional_);
    loadKeys();
    int at = 0;
    if (const auto it = std::find(keys_.begin(), keys_.end(), rowid); it != keys_.end())
        at = static_cast<int>(it - keys_.begin());
    else
        at = std::min(std::max(pos_, 0), static_cast<int>(keys_.size()) - 1);
    lastRowid_ = -1;
    setPosition(keys_.empty() ? -1 : at);
    bof_ = eof_ = keys_.empty();
    notify(CursorEvent::Reset);
}

void Cursor::invalidateCache()
{
    cache_.clear();
    currentLoaded_ = false;
}

void Cursor::suspendDisplay() { ++suspend_; }

void Cursor::resumeDisplay()
{
    if (suspend_ == 0)
        return;
    if (--suspend_ == 0 && pendingEvent_) {
        pendingEvent_ = false;
        notify(CursorEvent::Reset);
    }
}

void Cursor::addObserver(CursorObserver* observer)
{
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Cursor::removeObserver(CursorObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Cursor::notify(CursorEvent event)
{
    if (suspend_ > 0) {
        pendingEvent_ = true;
        return;
    }
    const auto observers = observers_;
    for (CursorObserver* o : observers)
        o->cursorChanged(*this, event);
}

void Cursor::linkTo(Cursor& master, std::string masterColumn, std::string detailColumn)
{
    if (isOpen())
        throw core::Error(name_ + ": the link is made before the cursor opens");
    const int col = table_->columnIndex(detailColumn);
    if (col < 0)
        throw core::Error(name_ + ": Field '" + detailColumn + "' not found");
    master_ = &master;
    masterColumn_ = std::move(masterColumn);
    scope_ = {col, Value(), true};
    master.details_.push_back(this);
}

Record Cursor::rowAt(int index)
{
    requireOpen();
    if ((state_ == State::Edit && index == pos_)
        || (state_ == State::Insert && index == static_cast<int>(keys_.size())))
        return *current_;
    if (index < 0 || index >= static_cast<int>(keys_.size()))
        throw core::Error(name_ + ": row " + std::to_string(index) + " is out of range");
    const auto id = keys_[static_cast<std::size_t>(index)];
    if (!cache_.contains(id))
        fetchBatch(index);
    Record rec = fetch(id);
    runCalc(rec);
    return rec;
}

} // namespace store
