#pragma once

#include <filesystem>
#include <string>

namespace store {

class Database;

/// Writes a consistent copy of the database `db` has open into `file` with SQLite's online
/// backup in one step (no other program's commit comes in between), into a temporary file
/// beside it that is flushed and renamed only when complete. Throws core::Error naming the
/// file and the reason; a failed copy leaves nothing behind.
void backupTo(Database& db, const std::filesystem::path& file);

/// Why `file` is not a database of this program (not a database at all, or one without the
/// program's tables, or one of a newer release), or empty when it is one. Only reads it.
std::string notAProgramDatabase(const std::filesystem::path& file, int knownVersion);

/// Replaces everything in the database `db` has open with the content of `file`, through the
/// open connection (it keeps its locks; other programs see the change as any commit), with
/// SQLite's online backup in one step. `db` may not be in a transaction. Throws core::Error
/// naming the file and the reason; then the database is as it was.
void restoreFrom(Database& db, const std::filesystem::path& file);

} // namespace store
