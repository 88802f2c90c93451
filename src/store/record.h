#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"
#include "core/value.h"
#include "store/schema.h"

namespace core {
class Regional;
}

namespace store {

/// A column that a cursor hook works out each time a row is read or changed; never stored.
struct CalcField {
    std::string name;
    ColType type;
};

/// The values of one row: the table's columns in table order, then the calculated columns.
/// Columns are found by name without regard to case. Reading an empty column gives 0, the
/// empty text, 30 December 1899 or false, by the reading asked for.
class Record {
public:
    Record(const TableDef& table, const std::vector<CalcField>& calc, const core::Regional& regional);

    const TableDef& table() const { return *table_; }
    const core::Regional& regional() const { return *regional_; }
    int fieldCount() const { return static_cast<int>(values_.size()); }
    /// Throws core::Error "Employee: Field 'X' not found" for an unknown name.
    int fieldIndex(std::string_view name) const;
    std::string fieldName(int index) const;
    ColType fieldType(int index) const;
    bool isCalculated(int index) const;

    const core::Value& value(int index) const { return values_.at(static_cast<std::size_t>(index)); }
    const core::Value& value(std::string_view name) const { return value(fieldIndex(name)); }
    bool isNull(std::string_view name) const { return value(name).isEmpty(); }
    std::int64_t asInteger(std::string_view name) const;
    double asReal(std::string_view name) const;
    core::DateTime asDateTime(std::string_view name) const;
    std::string asText(std::string_view name) const;
    bool asBoolean(std::string_view name) const;

    /// Stores a value converted to the column's type (throws ConvertError when it cannot be).
    void set(int index, const core::Value& value);
    void set(std::string_view name, const core::Value& value) { set(fieldIndex(name), value); }

    std::vector<core::Value>& values() { return values_; }
    const std::vector<core::Value>& values() const { return values_; }

private:
    const TableDef* table_;
    const std::vector<CalcField>* calc_;
    const core::Regional* regional_;
    std::vector<core::Value> values_;
};

/// Conversions between a value and a column type, shared by records, cursors and filters.
core::Value coerce(const core::Value& value, ColType type, const core::Regional& regional);
std::int64_t toInteger(const core::Value& value, const core::Regional& regional);
double toReal(const core::Value& value, const core::Regional& regional);
core::DateTime toDateTime(const core::Value& value);
bool toBoolean(const core::Value& value);

} // namespace store
