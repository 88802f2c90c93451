#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/regional.h"
#include "store/connection.h"
#include "store/tables.h"

namespace testsupport {

/// Regional settings pinned for tests: English (United States), whatever the machine says.
core::Regional usRegional();

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

/// An in-memory database with the real schema and the eight cursors over it (not yet open).
struct MemoryStore {
    MemoryStore();
    core::Regional regional;
    std::unique_ptr<store::Database> db;
    std::unique_ptr<store::Tables> tables;

    /// Runs SQL of a test's own and lets the open cursors read the tables afresh.
    void exec(const std::string& sql);
    /// The rows of a query, each as its columns joined by "|", an empty column as NULL.
    std::vector<std::string> rows(const std::string& query) const;
};

/// The effects of "POST CLOCK DATA TO HISTORY FILES" and "Delete Pay Period", as their rows
/// of the command table name them: the three history tables.
inline const store::CommandEffects kHistoryEffects{
    {store::Table::Perhistory, store::Table::Summaries, store::Table::History}, {}};

/// Runs logic as the program runs a command (store::runCommand): in one transaction, then the
/// cursors of the tables in `effects` read afresh and put on their first rows as it says, the
/// bar at rest and the commit, also when the logic fails. Returns what the logic returns and
/// passes its error on.
template <typename F>
auto asCommand(MemoryStore& s, core::WindowServices& ui, const store::CommandEffects& effects, F&& logic)
    -> decltype(logic())
{
    using R = decltype(logic());
    if constexpr (std::is_void_v<R>) {
        store::runCommand(*s.db, *s.tables, &ui, effects, logic);
    } else {
        std::optional<R> result;
        store::runCommand(*s.db, *s.tables, &ui, effects, [&] { result.emplace(logic()); });
        return std::move(*result);
    }
}

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& text);

/// A full disk for this process while it lives: no file may grow past `bytes` (a write
/// beyond fails with "File too large" instead of the signal that would end the process).
/// Files already larger may still be read and written below that size.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uintmax_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uintmax_t softLimit_ = 0;
    void (*signalBefore_)(int) = nullptr;
};

/// Every row of every table of the program, table by table in rowid order, as one text:
/// equal texts, equal contents. The file form reads it through a read-only connection.
std::string allRows(store::Database& db);
std::string allRows(const std::filesystem::path& databaseFile);

/// The names of the entries in a folder, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

} // namespace testsupport
