#pragma once

#include <optional>
#include <string>

namespace core {
class WindowServices;
}

namespace store {
class Database;
class Cursor;
} // namespace store

namespace closeout {

/// "POST CLOCK DATA TO HISTORY FILES": the period, every employee's totals and every register
/// day (with the hours as worked out now) into PerHistory, Summaries and History under the
/// number in `periodNumber` (the text of the "Current Pay Period Number" box), or above the
/// highest posted number when the box holds one already posted (a Result line says so when
/// the number posted is not the highest posted + 1). All or nothing: a failure (a number that
/// is not whole, a database error) leaves the history as it was. A posting ends with the Result line "Pay period N
/// posted: E employees, D register days" and returns N, the number posted (the caller advances the box to N + 1); empty
/// when the user answered No (no line then).
std::optional<int> postToHistory(store::Database& db, core::WindowServices& ui, const std::string& periodNumber);

/// "Delete Pay Period": the posted period on which the posted-periods cursor stands, after
/// three questions, from PerHistory, Summaries and History. All or nothing. Works on the
/// posted-periods cursor and clears the filters of the two history views; the caller reads
/// the three tables' cursors afresh afterwards.
/// `periods` is the posted-periods cursor, `summaries` and `history` the cursors of the two
/// history views.
void deletePayPeriod(store::Database& db, store::Cursor& periods, store::Cursor& summaries, store::Cursor& history,
                     core::WindowServices& ui);

} // namespace closeout
