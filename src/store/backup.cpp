#include "store/backup.h"

#include <cstdio>

#include <sqlite3.h>
#include <unistd.h>

#include "core/error.h"
#include "store/schema.h"
#include "store/sqlite.h"

namespace store {

namespace {

/// Copies all of `from` into `to` in one step; the reason when it could not.
std::string copyDatabase(sqlite3* to, sqlite3* from)
{
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (b == nullptr)
        return sqlite3_errmsg(to);
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        const int code = sqlite3_errcode(to);
        return code != SQLITE_OK ? std::string(sqlite3_errmsg(to)) : std::string(sqlite3_errstr(rc));
    }
    return {};
}

} // namespace

void backupTo(Database& db, const std::filesystem::path& file)
{
    std::filesystem::path part = file;
    part += ".part";
    std::error_code ec;
    std::filesystem::remove(part, ec);
    std::string reason;
    try {
        Database copy(part.string());
        // The copy is one file, written whole: no journal beside it.
        copy.exec("PRAGMA journal_mode = OFF");
        reason = copyDatabase(copy.handle(), db.handle());
        if (reason.empty())
            copy.exec("PRAGMA journal_mode = DELETE"); // a plain database file, whatever the source's mode
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (reason.empty()) {
        // Flushed to the disk before it takes its name: a backup is complete or not there.
        std::FILE* f = std::fopen(part.c_str(), "rb+");
        if (f == nullptr || std::fflush(f) != 0 || ::fsync(fileno(f)) != 0)
            reason = "the copy could not be flushed to the disk";
        if (f != nullptr)
            std::fclose(f);
    }
    if (reason.empty()) {
        std::filesystem::rename(part, file, ec);
        if (ec)
            reason = ec.message();
    }
    if (!reason.empty()) {
        std::filesystem::remove(part, ec);
        throw core::Error("The backup " + file.string() + " could not be written: " + reason);
    }
}

std::string notAProgramDatabase(const std::filesystem::path& file, int knownVersion)
{
    const std::string name = file.filename().string();
    try {
        Database db(file.string(), Database::Mode::ReadOnly);
        for (const TableDef* t : allTables())
            if (!db.tableExists(t->name))
                return name + " is not a database of this program (it has no table " + t->name + ").";
        Statement st(db, "PRAGMA user_version");
        const int version = st.step() ? static_cast<int>(st.columnInt(0)) : 0;
        if (version > knownVersion)
            return name + " is of version " + std::to_string(version)
                   + ", written by a newer release of the program; this release knows versions up to "
                   + std::to_string(knownVersion) + ".";
    } catch (const std::exception& e) {
        return name + " is not a database of this program (" + e.what() + ").";
    }
    return {};
}

void restoreFrom(Database& db, const std::filesystem::path& file)
{
    if (db.inTransaction())
        throw core::Error("The database cannot be restored inside a transaction");
    std::string reason;
    try {
        Database source(file.string(), Database::Mode::ReadOnly);
        reason = copyDatabase(db.handle(), source.handle());
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (!reason.empty())
        throw core::Error("The database could not be restored from " + file.string() + ": " + reason);
}

} // namespace store
