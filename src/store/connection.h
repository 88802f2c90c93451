#pragma once

#include <filesystem>
#include <memory>

#include "store/sqlite.h"

namespace store {

/// Opens the database file (creating it when new), switches it to WAL and creates the
/// tables that are missing. Throws SqlError with SQLite's message and the file name.
std::unique_ptr<Database> openDatabase(const std::filesystem::path& file);

/// The same for tests: a private in-memory database with the full schema.
std::unique_ptr<Database> openMemoryDatabase();

} // namespace store
