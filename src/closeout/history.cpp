#include "closeout/history.h"

#include "store/cursor.h"

namespace closeout {

void resetHistoryFilter(store::Cursor& cursor)
{
    cursor.setFiltered(false);
    cursor.setFilter("");
}

} // namespace closeout
