#pragma once

#include <cstdint>
#include <optional>

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

} // namespace registers
