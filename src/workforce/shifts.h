#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {
class Regional;
}

namespace store {
class Database;
class Record;
} // namespace store

namespace workforce {

/// Slot 1 is the day job: its clockings go to the day of their own date and a night is cut at
/// midnight, so its times may not run across midnight (an end before the start; an end of
/// 00:00 is midnight itself and stays allowed). Night shifts belong in slots 2 to 6.
bool dayJobCrossesMidnight(std::int64_t startMs, std::int64_t endMs);

/// The Shifts cursor's check before a row is written: throws core::Error with a plain word
/// when slot 1's times on a weekday cross midnight.
void ShiftsTableBeforePost(const store::Record& row, const core::Regional& regional);

/// The weekdays on which the stored slot 1 crosses midnight, one text each:
/// "Slot 1 on Monday: 22:00:00 to 06:00:00" (times in the regional long format).
std::vector<std::string> dayJobNights(store::Database& db, const core::Regional& regional);

} // namespace workforce
