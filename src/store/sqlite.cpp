#include "store/sqlite.h"

#include <sqlite3.h>

namespace store {

namespace {

std::string messageOf(sqlite3* db, int rc)
{
    if (db != nullptr) {
        const char* msg = sqlite3_errmsg(db);
        if (msg != nullptr && *msg != '\0')
            return msg;
    }
    return sqlite3_errstr(rc);
}

std::string withArticle(const std::string& word)
{
    const bool vowel = !word.empty() && std::string_view("AEIOUaeiou").find(word.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + word;
}

std::string capitalised(std::string text)
{
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z')
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    return text;
}

/// "A", "A and B", "A, B and C".
std::string listed(const std::vector<std::string>& parts)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return out;
}

std::string plainSentence(ConstraintError::Kind kind, const std::string& noun,
                          const std::vector<ConstraintError::Column>& columns)
{
    using Kind = ConstraintError::Kind;
    if (kind == Kind::Check || columns.empty())
        return "This " + noun + " breaks a rule of the database: correct the row or cancel it.";
    if (kind == Kind::NotNull) {
        const std::string& c = columns.front().caption;
        return "Every " + noun + " needs " + withArticle(c) + ": the " + c + " of this row is empty.";
    }
    std::vector<std::string> used;
    std::vector<std::string> captions;
    for (const auto& c : columns) {
        used.push_back(c.value ? c.caption + " " + *c.value : "the " + c.caption + " of this row");
        captions.push_back(c.caption);
    }
    if (columns.size() == 1)
        return capitalised(used.front()) + " is already used by another " + noun + ": each " + noun + " needs "
               + withArticle(captions.front()) + " of its own.";
    return capitalised(listed(used)) + " are already used together by another " + noun + ": each " + noun
           + " needs a combination of " + listed(captions) + " of its own.";
}

} // namespace

ConstraintError::ConstraintError(int code, Kind kind, std::string table, const std::string& noun,
                                 std::vector<Column> columns, std::string original)
    : SqlError(code, plainSentence(kind, noun.empty() ? std::string("row") : noun, columns) + " (" + original + ")"),
      kind_(kind),
      table_(std::move(table)),
      columns_(std::move(columns)),
      original_(std::move(original))
{}

Database::Database(const std::string& file, Mode mode) : file_(file)
{
    int flags = SQLITE_OPEN_FULLMUTEX;
    switch (mode) {
    case Mode::ReadWriteCreate: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    const int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = messageOf(db_, rc) + ": " + file;
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqlError(rc, msg);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
    // A double-quoted name is always a column name: a missing column is an error, never a
    // string literal.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::check(int rc) const
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw SqlError(rc, messageOf(db_, rc));
}

namespace {

/// SQLite's message, with the file named where the reason is the file itself.
std::string explain(int rc, const std::string& message, const std::string& file)
{
    switch (rc & 0xff) {
    case SQLITE_READONLY: return message + " (the database " + file + " cannot be written: check its permissions)";
    case SQLITE_CANTOPEN: return message + " (" + file + ")";
    case SQLITE_FULL: return message + " (the disk holding " + file + " is full)";
    default: return message;
    }
}

} // namespace

void Database::exec(std::string_view sql)
{
    char* err = nullptr;
    const std::string text(sql);
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err != nullptr ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw SqlError(rc, explain(sqlite3_extended_errcode(db_), msg, file_));
    }
}

std::int64_t Database::lastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

int Database::changes() const { return sqlite3_changes(db_); }

std::int64_t Database::dataVersion()
{
    Statement st(*this, "PRAGMA data_version");
    return st.step() ? st.columnInt(0) : 0;
}

bool Database::inTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

bool Database::tableExists(std::string_view name)
{
    Statement st(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    st.bind(1, name);
    return st.step();
}

Statement::Statement(Database& db, std::string_view sql) : db_(&db)
{
    const int rc = sqlite3_prepare_v3(db.handle(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        db.check(rc);
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) { other.stmt_ = nullptr; }

void Statement::bindNull(int index) { db_->check(sqlite3_bind_null(stmt_, index)); }

void Statement::bind(int index, std::int64_t value) { db_->check(sqlite3_bind_int64(stmt_, index, value)); }

void Statement::bind(int index, double value) { db_->check(sqlite3_bind_double(stmt_, index, value)); }

void Statement::bind(int index, std::string_view value)
{
    db_->check(sqlite3_bind_text64(stmt_, index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement must be reset before the connection's message is read for some codes;
    // read it first, then reset so that the statement can be used again.
    std::string msg = explain(rc, messageOf(db_->handle(), rc), db_->file());
    sqlite3_reset(stmt_);
    throw SqlError(rc, msg);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

int Statement::columnType(int column) const { return sqlite3_column_type(stmt_, column); }

std::int64_t Statement::columnInt(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::columnReal(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::columnText(int column) const
{
    const auto* text = sqlite3_column_text(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                           : std::string();
}

Transaction::Transaction(Database& db, bool immediate) : db_(db)
{
    if (!db.inTransaction()) {
        try {
            db.exec(immediate ? "BEGIN IMMEDIATE" : "BEGIN");
        } catch (const SqlError& e) {
            if ((e.code() & 0xff) == SQLITE_BUSY)
                throw SqlError(e.code(), "The database is busy: another program is writing to " + db.file()
                                             + ". Nothing was changed; please try again in a moment.");
            throw;
        }
        owns_ = true;
    }
}

Transaction::~Transaction()
{
    if (owns_ && !done_) {
        try {
            db_.exec("ROLLBACK");
        } catch (...) {
            // Nothing sensible to do in a destructor: SQLite rolls back on close as well.
        }
    }
}

Savepoint::Savepoint(Database& db, std::string name) : db_(db), name_(std::move(name))
{
    db_.exec("SAVEPOINT " + name_);
}

Savepoint::~Savepoint()
{
    if (done_)
        return;
    try {
        db_.exec("ROLLBACK TO " + name_);
        db_.exec("RELEASE " + name_);
    } catch (...) {
        // A destructor cannot report: the error that unwinds is the one the user sees, and a
        // connection that cannot roll back is closed, which rolls the transaction back.
    }
}

void Savepoint::release()
{
    db_.exec("RELEASE " + name_);
    done_ = true;
}

void Transaction::commit()
{
    if (owns_ && !done_) {
        db_.exec("COMMIT");
        done_ = true;
    }
}

void Transaction::rollback()
{
    if (owns_ && !done_) {
        done_ = true;
        db_.exec("ROLLBACK");
    }
}

} // namespace store
