#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace store {
class Record;
class Statement;
} // namespace store

namespace registers {

/// One register day as the hours calculation reads it. Times of day in whole milliseconds.
struct DayTimes {
    std::int64_t slotStart = 0; ///< INTime (empty reads as 00:00)
    std::int64_t slotEnd = 0;   ///< OUTTime
    std::array<std::optional<std::int64_t>, 5> in{};
    std::array<std::optional<std::int64_t>, 5> out{};
    bool holiday = false;
    bool sunday = false; ///< DOW is exactly "Sunday"
};

/// The settings of the employee whose register it is.
struct HoursRules {
    bool flexiTime = false;  ///< FlexiTime exactly "YES"
    double lunchMinutes = 0; ///< Lunch
    double hrsBefore = 0;    ///< HrsBefore: hours clocked before the lunch is deducted
    double playMinutes = 0;  ///< Play: tolerance before overtime counts
    /// WorkLate: hours a night slot's pairs may run on past its end. On a slot across
    /// midnight it tells the next morning's times from the evening's.
    double workLateHours = 0;
};

/// The day's hours, in hours, not rounded.
struct DayHours {
    double NHrs = 0;
    double HrsIN = 0;
    double NT = 0;
    double OT1 = 0;
    double OT2 = 0;
    double HT = 0;
};

/// The same in whole milliseconds: what totals add up before they are turned into hours.
struct DayMs {
    std::int64_t NHrs = 0;
    std::int64_t HrsIN = 0;
    std::int64_t NT = 0;
    std::int64_t OT1 = 0;
    std::int64_t OT2 = 0;
    std::int64_t HT = 0;

    DayMs& operator+=(const DayMs& day)
    {
        NHrs += day.NHrs;
        HrsIN += day.HrsIN;
        NT += day.NT;
        OT1 += day.OT1;
        OT2 += day.OT2;
        HT += day.HT;
        return *this;
    }
};

/// Milliseconds as hours, and hours as the nearest whole milliseconds (empty for a value too
/// large to hold as milliseconds, or not a number).
double msToHours(std::int64_t ms);
std::optional<std::int64_t> hoursToMs(double hours);

/// Works out a day's hours. Everything is computed in whole milliseconds and turned into
/// hours at the end, so that times equal on the clock compare equal.
DayMs dayMs(const DayTimes& day, const HoursRules& rules);
DayHours dayHours(const DayTimes& day, const HoursRules& rules);
DayHours toHours(const DayMs& ms);

/// The register columns a query selects, in this order, for dayTimesOf(Statement&, first).
inline constexpr const char* kDayTimesColumns =
    "INTime, OUTTime, In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5, ifnull(Holiday, 0), ifnull(DOW, '')";

/// Reads a day from a query's row whose columns from `first` on are kDayTimesColumns.
DayTimes dayTimesOf(store::Statement& row, int first);

/// Reads the day from a register row and the rules from an employee row.
DayTimes dayTimesOf(const store::Record& registerRow);
HoursRules rulesOf(const store::Record& employeeRow);

/// The employee columns a query selects, in this order, for rulesOf(Statement&, first).
inline constexpr const char* kRulesColumns =
    "ifnull(FlexiTime, ''), ifnull(Lunch, 0), ifnull(HrsBefore, 0), ifnull(Play, 0), ifnull(WorkLate, 0)";

/// Reads the rules from a query's row whose columns from `first` on are kRulesColumns.
HoursRules rulesOf(store::Statement& row, int first);

/// The register cursor's hook: sets NHrs, HrsIN, NT, OT1, OT2 and HT of the row from the row
/// and the current employee's FlexiTime, Lunch, HrsBefore and Play.
void AttendanceTableCalcFields(store::Record& registerRow, const HoursRules& rules);

} // namespace registers
