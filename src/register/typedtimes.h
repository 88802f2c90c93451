#pragma once

// The register times the clerk typed into the grid: each change is kept in the table
// TypedTimes (employee, date, column, old and new value, the moment), which processing never
// touches, so that a typed time can always be told from a clocked one.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace store {
class Database;
class Record;
class Statement;
} // namespace store

namespace registers {

/// True for the register columns that hold a time: INTime, OUTTime, In1 ... Out5.
bool isRegisterTime(std::string_view field);

/// Keeps every register time that the post changed (before: the row as read, null for a new
/// row) with the moment of the change. Values as the database keeps them ("17:00:00"), an
/// empty text for an empty cell.
void recordTypedTimes(store::Database& db, const store::Record* before, const store::Record& after,
                      core::DateTime changedAt);

/// The register's time columns in the order of a TypedCells entry: the five pairs, then the
/// slot's start and end.
inline constexpr std::array<const char*, 12> kTypedCellFields{"In1", "Out1", "In2", "Out2", "In3",    "Out3",
                                                              "In4", "Out4", "In5", "Out5", "INTime", "OUTTime"};

/// The latest value typed into each time cell of one register day ("17:00:00"; an empty
/// text for a cell typed empty; none for a cell never typed into).
using TypedCells = std::array<std::optional<std::string>, 12>;

/// The typed cells of the register days from `from` to `to`, by employee and day number.
std::map<std::pair<std::int64_t, std::int64_t>, TypedCells> latestTypedCells(store::Database& db, core::DateTime from,
                                                                             core::DateTime to);

/// Answers whether a register cell holds a time typed into the grid: its value is the latest
/// value typed into that cell. A clocked time that replaced a typed one is no longer marked.
class TypedTimes {
public:
    explicit TypedTimes(store::Database& db);
    ~TypedTimes();
    TypedTimes(const TypedTimes&) = delete;
    TypedTimes& operator=(const TypedTimes&) = delete;

    /// `date` and `value` as the database keeps them ("2026-03-02", "17:00:00").
    bool typed(std::int64_t employeeNo, const std::string& date, std::string_view field, const std::string& value);
    /// The same for a cell of a register row as a cursor holds it.
    bool typed(const store::Record& registerRow, std::string_view field);

private:
    store::Database& db_;
    std::unique_ptr<store::Statement> latest_; ///< prepared when first asked
};

} // namespace registers
