#pragma once

namespace store {
class Cursor;
}

namespace closeout {

/// "Reset" of a history page, and leaving the page: the filter is cleared and switched off,
/// so that the page shows every row again. The Report marks stay as they are.
void resetHistoryFilter(store::Cursor& cursor);

} // namespace closeout
