#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"

namespace core {
class WindowServices;
}

namespace store {
class Database;
struct Tables;
} // namespace store

namespace registers {

/// The slot an employee works on a day, from the employee's shift number and the day's
/// rotation numbers (an empty number reads as 0). Empty: no slot.
///   1, or 7 and above: the day's ShiftNo;  2, 3: slot 2 when n is the day's Shift2, else 3;
///   4, 5, 6: with f = Shift3 and its successor s in 4 5 6 4: 4 when n = f, 5 when n = s, else 6;
///   0, negative or empty: no slot.
std::optional<int> slotFor(std::optional<int> employeeShift, int dayShiftNo, int dayShift2, int dayShift3);

/// CreateAttRegister for one employee: one register row per period day, in date order, with
/// the day's name, holiday mark, slot and the slot's times for the weekday of the date.
/// A slot without a row in Shifts, or no slot, leaves INTime and OUTTime empty.
void CreateAttRegister(store::Database& db, std::int64_t employeeNo, std::optional<int> employeeShift);

/// ResetAttRegister: asks "RESET all Registers and Process Clock Data?"; on Yes clears the
/// Result log, then for every employee sets the totals to 0, deletes the register rows and
/// builds them anew. Returns false when the user declined (nothing changed).
bool ResetAttRegister(store::Database& db, core::WindowServices& ui);

/// A new register row, before any clocking is placed in it.
struct NewDay {
    std::int64_t employeeNo = 0;
    core::DateTime date = 0;
    int dow = 1; ///< 1 = Sunday
    std::optional<int> slot;
    std::optional<std::string> inTime; ///< the slot's start and end as Shifts holds them
    std::optional<std::string> outTime;
    bool holiday = false;
};

/// ResetAttRegister in two halves, for the clock-processing pass, which places the clockings
/// before it writes the rows. The first asks and on Yes clears the Result log, shows the
/// caption and makes the rows, writing nothing; empty when the user declined.
struct RegisterPlan {
    struct Employee {
        std::int64_t rowid;
        std::int64_t no;
    };
    std::vector<Employee> employees; ///< in No order
    std::vector<NewDay> days;        ///< their rows, employee by employee in date order
};
std::optional<RegisterPlan> planResetAttRegister(store::Database& db, core::WindowServices& ui);

/// The register pairs In1, Out1, ..., In5, Out5 of a row as texts; empty for none.
using PairTexts = std::array<std::optional<std::string>, 10>;

/// The second half: sets every employee's totals to 0, deletes the employees' register rows
/// and inserts the planned rows in their order, row i with the pairs `pairs(i)`.
void writeResetAttRegister(store::Database& db, const RegisterPlan& plan,
                           const std::function<PairTexts(std::size_t)>& pairs);

} // namespace registers
