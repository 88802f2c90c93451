#pragma once

#include <optional>

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
struct Tables;
} // namespace store

namespace registers {

/// What a clock-processing pass did, counted once per clocking.
struct ProcessSummary {
    int placed = 0;    ///< clockings a register day took
    int notPlaced = 0; ///< clockings offered to a register day that no day took
};

/// The clock-processing pass ("Reset and Process Clock Data" with resetatt 1, "Process the
/// New Clock Data" with resetatt 0). In reset mode it first runs ResetAttRegister and ends
/// when the user declines (empty result, nothing logged). Every clocking of an employee
/// (matched by MobileNo or PayrollNo) is offered to each register day in date order; placed
/// clockings are marked used, the others are written to the Result log once per day that did
/// not take them. The pass ends the log with "CAPTION: N clockings placed, M not placed". A
/// pass that completes sets resetatt back to 1; a failed one leaves it as it was.
std::optional<ProcessSummary> processClockData(store::Database& db, store::Tables& tables, core::WindowServices& ui,
                                               const core::Regional& regional, int& resetatt);

} // namespace registers
