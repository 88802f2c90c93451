#pragma once

namespace store {
class Record;
}

namespace workforce {

/// The period cursor's hook: DOW is the English weekday name of the row's Date.
void PeriodTableCalcFields(store::Record& row);

} // namespace workforce
