#pragma once

#include <string>

namespace core {
class WindowServices;
}

namespace store {
class Database;
}

namespace intake {

/// "Delete Double Clock Entries": each clocking in table order (Date, Time, MobileNo, then
/// the order of storing) is compared with the previous clocking of the same number (first 20
/// characters), other numbers between them or not; the same status (IN after IN, OUT after
/// OUT, without case) less than 6 whole minutes later is a double entry, marked 3 and deleted.
/// Rows marked 3 by an earlier, interrupted run are deleted too. Returns the rows deleted.
/// These three run SQL only: the caller reads the clockings cursor afresh afterwards.
int deleteDoubleEntries(store::Database& db, core::WindowServices& ui);

/// "Delete Used Clock Data": deletes every clocking whose Used is 1.
int deleteUsedClockData(store::Database& db, core::WindowServices& ui);

/// "Reset USED Field": empties Used (no value, not 0) where it is 1.
int resetUsedField(store::Database& db, core::WindowServices& ui);

} // namespace intake
