#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store {

class Database;

enum class ColType { Integer, Real, Text, Date, Time, Boolean, AutoInc };

struct ColumnDef {
    std::string name;
    ColType type;
    bool required = false;
};

struct TableDef {
    std::string name;
    std::vector<ColumnDef> columns;
    /// The column that identifies a row for "find key".
    std::string key;
    /// The cursor's order; the row identity breaks ties. Empty: the order of the row identity.
    std::vector<std::string> order;
    /// Unique keys, each a (named) unique index on one column.
    std::vector<std::pair<std::string, std::string>> uniqueIndexes;
    /// Further plain indexes: name and column list.
    std::vector<std::pair<std::string, std::string>> indexes;
    /// What one row is called when the user is told about it: "employee", "register day".
    std::string noun;

    /// Index of a column by name, without regard to ASCII case; -1 when missing.
    int columnIndex(std::string_view name) const;
    /// The auto-increment column, if the table has one (it is the row identity).
    const ColumnDef* autoIncColumn() const;
};

const TableDef& employeeTable();
const TableDef& shiftsTable();
const TableDef& periodTable();
const TableDef& clkDataTable();
const TableDef& attendanceTable();
/// The register times typed into the grid: who changed which cell from what to what, when.
const TableDef& typedTimesTable();
const TableDef& summariesTable();
const TableDef& historyTable();
const TableDef& perHistoryTable();

/// The eight tables in the order the program opens their cursors.
const std::vector<const TableDef*>& allTables();

/// Creates every missing table and index. Existing tables are left as they are.
void createSchema(Database& db);

/// "CREATE TABLE ..." for one table.
std::string createTableSql(const TableDef& table);

bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace store
