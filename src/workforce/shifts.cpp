#include "workforce/shifts.h"

#include <array>

#include "core/datetime.h"
#include "core/error.h"
#include "core/regional.h"
#include "store/record.h"
#include "store/sqlite.h"

namespace workforce {

namespace {

/// The Shifts columns' weekdays, in the table's order.
constexpr std::array<const char*, 7> kColumnDays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<const char*, 7> kDayNames{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                               "Friday", "Saturday", "Sunday"};

std::string timesText(std::int64_t startMs, std::int64_t endMs, const core::Regional& regional)
{
    const auto asTime = [](std::int64_t ms) { return static_cast<double>(ms) / static_cast<double>(core::kMsPerDay); };
    return regional.formatTime(asTime(startMs)) + " to " + regional.formatTime(asTime(endMs));
}

} // namespace

bool dayJobCrossesMidnight(std::int64_t startMs, std::int64_t endMs) { return endMs < startMs && endMs != 0; }

void ShiftsTableBeforePost(const store::Record& row, const core::Regional& regional)
{
    if (row.isNull("No") || row.asInteger("No") != 1)
        return;
    for (std::size_t d = 0; d < kColumnDays.size(); ++d) {
        const std::string day = kColumnDays[d];
        const std::int64_t start = core::timeToMs(row.asDateTime(day + "_TI"));
        const std::int64_t end = core::timeToMs(row.asDateTime(day + "_TO"));
        if (dayJobCrossesMidnight(start, end))
            throw core::Error(std::string("Slot 1 is the day job and may not run across midnight, as it would on ")
                              + kDayNames[d] + " (" + timesText(start, end, regional)
                              + "): night shifts belong in slots 2 to 6.");
    }
}

std::vector<std::string> dayJobNights(store::Database& db, const core::Regional& regional)
{
    std::string columns;
    for (const char* day : kColumnDays)
        columns += std::string(columns.empty() ? "" : ", ") + day + "_TI, " + day + "_TO";
    store::Statement st(db, "SELECT " + columns + " FROM Shifts WHERE No = 1");
    std::vector<std::string> nights;
    if (!st.step())
        return nights;
    const auto msOf = [&](int col) {
        if (st.isNull(col))
            return std::int64_t{0};
        const auto t = core::parseIsoTime(st.columnText(col));
        return t ? core::timeToMs(*t) : std::int64_t{0};
    };
    for (std::size_t d = 0; d < kColumnDays.size(); ++d) {
        const std::int64_t start = msOf(static_cast<int>(2 * d));
        const std::int64_t end = msOf(static_cast<int>(2 * d + 1));
        if (dayJobCrossesMidnight(start, end))
            nights.push_back(std::string("Slot 1 on ") + kDayNames[d] + ": " + timesText(start, end, regional));
    }
    return nights;
}

} // namespace workforce
