#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
}

namespace registers {

/// What a clock-processing pass did.
struct ProcessSummary {
    int placed = 0;       ///< clockings a register day took, each counted once
    int notPlaced = 0;    ///< the clocking lines of the log: clockings of an employee that none of his days took
    int typedPutBack = 0; ///< register cells given back the time the clerk typed into them
};

/// How far the within-shift window of slots 2 to 6 reaches past the shift on the same
/// clock: start - early ... end + late. Both 0 keep the shift's own start and end.
struct ShiftMargins {
    std::int64_t earlyMs = 0;
    std::int64_t lateMs = 0;
};

/// The margins from the setup texts EARLY_MINUTES and LATE_MINUTES (minutes, regional
/// separator or a point; an empty text is 0). Throws core::Error for a text that is no
/// number or is negative.
ShiftMargins marginsFromMinutes(const std::string& early, const std::string& late, const core::Regional& regional);

/// Which pass: "Reset and Process Clock Data" builds the register anew and offers it every
/// clocking; "Process the New Clock Data" adds the clockings not used yet to the register as
/// it stands.
enum class ProcessMode { Reset, Add };

/// The clock-processing pass. In reset mode it first asks ResetAttRegister's question
/// and ends when the user declines (empty result, nothing logged); the new register is built
/// in memory and written with its pairs when the pass has placed everything, so a pass that
/// fails writes none of its placements, marks or register rows. Every clocking of an employee
/// (matched by MobileNo or PayrollNo) is placed in one register day at most: of the days
/// whose rules take it, an IN goes to the day whose slot start it lies nearest, an OUT to
/// the day whose slot end it lies nearest (the earlier day on a tie); placed clockings are
/// marked used. The Result log then holds what needs the clerk's attention:
///  - each clocking of an employee that none of his days took, once, employee by employee
///    in No order and in clocking order;
///  - under a heading, the clockings that a time typed into their cell keeps out (after every
///    pass each typed cell of a period day gets its latest typed value back);
///  - under a heading, the clock numbers that match no employee, with their count and their
///    first and last moment;
///  - under a heading, the clock numbers that two or more employees have, whose clockings
///    are placed for none of them;
///  - under a heading, the register days with an IN or an OUT that has no partner;
///  - under a heading, the weekdays on which slot 1's times cross midnight;
/// and closes with "CAPTION: N clockings placed, M not placed" (and ", K typed times put
/// back" when there were any). The "Result" page is brought
/// to the front when any line but the closing one was written. The grids are the caller's:
/// the pass reads and writes the tables by SQL only.
std::optional<ProcessSummary> processClockData(store::Database& db, core::WindowServices& ui,
                                               const core::Regional& regional, ProcessMode mode,
                                               const ShiftMargins& margins = {});

inline constexpr const char* kUnknownNumbersHeading = "Clock numbers that match no employee:";
inline constexpr const char* kIncompletePairsHeading = "Register days with an incomplete pair:";
inline constexpr const char* kKeptOutHeading = "Clockings that a time typed into the register keeps out:";
inline constexpr const char* kSharedNumbersHeading =
    "Clock numbers that more than one employee has (their clockings are placed for none of them):";
inline constexpr const char* kDayJobNightsHeading =
    "Slot 1 (the day job) runs across midnight on the Shifts page (night shifts belong in slots 2 to 6):";

} // namespace registers
