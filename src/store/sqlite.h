#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace store {

/// A database error with SQLite's result code and message.
class SqlError : public core::Error {
public:
    SqlError(int code, const std::string& message) : core::Error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

/// A row the database refused because it breaks a rule of its table (a required column left
/// empty, a value that must be unique used twice, a check). what() says so in the user's words,
/// naming the columns by the titles the user sees, with SQLite's own text in brackets after.
class ConstraintError : public SqlError {
public:
    enum class Kind { NotNull, Unique, PrimaryKey, Check };

    struct Column {
        std::string name;                 ///< as the table names it
        std::string caption;              ///< as the user sees it
        std::optional<std::string> value; ///< the row's value in its display form; none when not known
    };

    /// noun: what one row of the table is called ("employee", "register day").
    ConstraintError(int code, Kind kind, std::string table, const std::string& noun, std::vector<Column> columns,
                    std::string original);

    Kind kind() const { return kind_; }
    const std::string& table() const { return table_; }
    const std::vector<Column>& columns() const { return columns_; }
    /// SQLite's message: "UNIQUE constraint failed: Employee.No".
    const std::string& original() const { return original_; }

private:
    Kind kind_;
    std::string table_;
    std::vector<Column> columns_;
    std::string original_;
};

class Statement;

/// One open SQLite connection. Closed when destroyed.
class Database {
public:
    enum class Mode { ReadWriteCreate, ReadWrite, ReadOnly };

    /// Opens (and with ReadWriteCreate creates) the file; ":memory:" gives a private database.
    explicit Database(const std::string& file, Mode mode = Mode::ReadWriteCreate);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    std::int64_t lastInsertRowid() const;
    int changes() const;
    /// SQLite's count of the changes other connections committed to the file (PRAGMA
    /// data_version): it moves when another program changed the database.
    std::int64_t dataVersion();
    bool inTransaction() const;
    bool tableExists(std::string_view name);
    const std::string& file() const { return file_; }
    sqlite3* handle() const { return db_; }

    /// Throws SqlError with the connection's message for a failed result code.
    void check(int rc) const;

private:
    sqlite3* db_ = nullptr;
    std::string file_;
};

/// A prepared statement that finalizes itself. Parameters are numbered from 1.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bindNull(int index);
    void bind(int index, std::int64_t value);
    void bind(int index, int value) { bind(index, static_cast<std::int64_t>(value)); }
    void bind(int index, double value);
    void bind(int index, std::string_view value);

    /// Steps once: true when a row is ready, false when the statement is done.
    bool step();
    /// Runs a statement that returns no rows, then resets it.
    void run();
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    int columnType(int column) const;
    std::int64_t columnInt(int column) const;
    double columnReal(int column) const;
    std::string columnText(int column) const;

private:
    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

/// Begins a transaction; rolls back when destroyed without commit(). When the connection is
/// already inside a transaction, it joins it and does nothing itself.
class Transaction {
public:
    explicit Transaction(Database& db, bool immediate = true);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool owns() const { return owns_; }

private:
    Database& db_;
    bool owns_ = false;
    bool done_ = false;
};

/// A savepoint inside the command's transaction: what was written after it is rolled back
/// unless it is released, so that a part of a command happens wholly or not at all.
class Savepoint {
public:
    Savepoint(Database& db, std::string name);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    /// Keeps what was written since the savepoint (it goes in with the transaction).
    void release();

private:
    Database& db_;
    std::string name_;
    bool done_ = false;
};

} // namespace store
