#include "register/typedtimes.h"

#include <algorithm>
#include <array>

#include "store/record.h"
#include "store/sqlite.h"

namespace registers {

namespace {

/// A value as the register's column keeps it: "17:00:00", "2026-03-02", or empty.
std::string stored(const core::Value& v, bool date)
{
    using Kind = core::Value::Kind;
    switch (v.kind()) {
    case Kind::Empty: return {};
    case Kind::Text: return v.textPayload();
    case Kind::Date: return core::toIsoDate(v.realPayload());
    case Kind::Time: return core::toIsoTime(v.realPayload());
    case Kind::Real: return date ? core::toIsoDate(v.realPayload()) : core::toIsoTime(v.realPayload());
    case Kind::Integer:
    case Kind::Boolean: return std::to_string(v.intPayload());
    }
    return {};
}

std::string isoMoment(core::DateTime t) { return core::toIsoDate(t) + " " + core::toIsoTime(t); }

} // namespace

bool isRegisterTime(std::string_view field)
{
    for (std::string_view f : kTypedCellFields)
        if (f == field)
            return true;
    return false;
}

void recordTypedTimes(store::Database& db, const store::Record* before, const store::Record& after,
                      core::DateTime changedAt)
{
    std::optional<store::Statement> add;
    for (std::string_view field : kTypedCellFields) {
        const std::string now = stored(after.value(field), false);
        const std::string was = before != nullptr ? stored(before->value(field), false) : std::string();
        if (now == was)
            continue;
        if (!add)
            add.emplace(db, "INSERT INTO TypedTimes (EmployeeNo, Date, Field, OldValue, NewValue, ChangedAt) "
                            "VALUES (?, ?, ?, ?, ?, ?)");
        const core::Value& no = after.value("EmployeeNo");
        if (no.kind() == core::Value::Kind::Integer)
            add->bind(1, no.intPayload());
        else
            add->bindNull(1);
        add->bind(2, std::string_view(stored(after.value("Date"), true)));
        add->bind(3, field);
        add->bind(4, std::string_view(was));
        add->bind(5, std::string_view(now));
        add->bind(6, std::string_view(isoMoment(changedAt)));
        add->run();
    }
}

std::map<std::pair<std::int64_t, std::int64_t>, TypedCells> latestTypedCells(store::Database& db, core::DateTime from,
                                                                             core::DateTime to)
{
    std::map<std::pair<std::int64_t, std::int64_t>, TypedCells> cells;
    // The bare NewValue comes from the row of max(Inc): the latest change of each cell.
    store::Statement st(db, "SELECT EmployeeNo, Date, Field, NewValue, max(Inc) FROM TypedTimes "
                            "WHERE Date BETWEEN ? AND ? AND EmployeeNo IS NOT NULL GROUP BY EmployeeNo, Date, Field");
    st.bind(1, std::string_view(core::toIsoDate(from)));
    st.bind(2, std::string_view(core::toIsoDate(to)));
    while (st.step()) {
        const auto date = core::parseIsoDate(st.columnText(1));
        const std::string field = st.columnText(2);
        const auto at = std::find(kTypedCellFields.begin(), kTypedCellFields.end(), field);
        if (!date || at == kTypedCellFields.end())
            continue;
        cells[{st.columnInt(0), static_cast<std::int64_t>(*date)}]
             [static_cast<std::size_t>(at - kTypedCellFields.begin())] =
                 st.isNull(3) ? std::string() : st.columnText(3);
    }
    return cells;
}

TypedTimes::TypedTimes(store::Database& db) : db_(db) {}

TypedTimes::~TypedTimes() = default;

bool TypedTimes::typed(std::int64_t employeeNo, const std::string& date, std::string_view field,
                       const std::string& value)
{
    if (!latest_)
        latest_ = std::make_unique<store::Statement>(
            db_, "SELECT NewValue FROM TypedTimes WHERE EmployeeNo = ? AND Date = ? AND Field = ? "
                 "ORDER BY Inc DESC LIMIT 1");
    store::Statement& st = *latest_;
    st.bind(1, employeeNo);
    st.bind(2, std::string_view(date));
    st.bind(3, field);
    const bool marked = st.step() && !value.empty() && st.columnText(0) == value;
    st.reset();
    return marked;
}

bool TypedTimes::typed(const store::Record& registerRow, std::string_view field)
{
    const core::Value& no = registerRow.value("EmployeeNo");
    if (!isRegisterTime(field) || no.kind() != core::Value::Kind::Integer)
        return false;
    return typed(no.intPayload(), stored(registerRow.value("Date"), true), field,
                 stored(registerRow.value(field), false));
}

} // namespace registers
