#pragma once

#include <string>

namespace core {
class WindowServices;
}

namespace store {
class Database;
struct Tables;
} // namespace store

namespace closeout {

/// "POST CLOCK DATA TO HISTORY FILES": the period, every employee's totals and every register
/// day (with the hours as worked out now) into PerHistory, Summaries and History under the
/// number in `periodNumber`, which then advances by one. All or nothing: a failure (a number
/// that is not whole, a number already posted, a database error) leaves the history and the
/// number as they were. A posting ends with the Result line "Pay period N posted: E employees,
/// D register days". Returns false when the user answered No (no line then).
bool postToHistory(store::Database& db, store::Tables& tables, core::WindowServices& ui, std::string& periodNumber,
                   int& periodno);

/// "Delete Pay Period": the posted period on which the posted-periods cursor stands, after
/// three questions, from PerHistory, Summaries and History. All or nothing.
void deletePayPeriod(store::Database& db, store::Tables& tables, core::WindowServices& ui);

} // namespace closeout
