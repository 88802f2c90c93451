#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace store {
class Database;
}

/// A plain clock-processing pass written straight from the rules, row by row: for every
/// employee, every register day, the whole clockings table from the start position. It is
/// slow on purpose; the tests and the benchmark hold the program's pass against it.
namespace reference {

/// What the generated data made the pass do, so that a change of the data that stops
/// exercising a rule shows.
struct Tally {
    int dayJob = 0;
    int carryOver = 0;
    int dropped = 0;
    int earlyStart = 0;
    int lateFinish = 0;
    int within = 0;
    int byPayrollNo = 0;
    int byEmptyNumber = 0;
    int otherStatus = 0;
    int passedOverUsed = 0;
    int toNearerDay = 0;  ///< a day that takes a clocking left it to a nearer day
    int sharedNumber = 0; ///< a clocking held back because two employees have its number
    std::size_t skippedAtStart = 0;
};

/// The same-day margins of slots 2 to 6 around the within-shift window, in milliseconds.
struct Margins {
    std::int64_t earlyMs = 0;
    std::int64_t lateMs = 0;
};

/// Rebuilds the register first when `reset`, then places the clockings; writes the results
/// back into the database and returns the Result log (without the pass's closing line).
std::vector<std::string> pass(store::Database& db, bool reset, Tally& tally, const Margins& margins = {});

} // namespace reference
