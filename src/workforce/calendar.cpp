#include "workforce/calendar.h"

#include "core/value.h"
#include "store/record.h"

namespace workforce {

void PeriodTableCalcFields(store::Record& row)
{
    const core::Value& date = row.value("Date");
    if (date.isEmpty())
        return;
    row.set("DOW", core::Value::text(std::string(core::weekdayName(core::dayOfWeek(row.asDateTime("Date"))))));
}

} // namespace workforce
