#include "register/process.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/counted.h"
#include "core/datetime.h"
#include "core/regional.h"
#include "core/services.h"
#include "register/build.h"
#include "store/sqlite.h"
#include "store/tables.h"

namespace registers {

namespace {

constexpr std::int64_t kDay = core::kMsPerDay;
/// The evening's pair of a night that runs past midnight is closed at 0.9996 of a day.
constexpr std::int64_t kNightClose = 86'365'440; // 23:59:25.440

struct Clocking {
    std::int64_t rowid = 0;
    std::int64_t day = 0;    ///< whole days since the epoch day
    std::int64_t timeMs = 0; ///< time of day
    std::string number;
    std::string status;
    bool unused = true; ///< Used is 0 or empty
    bool markUsed = false;
    bool offered = false; ///< offered to a register day in this pass
    bool placed = false;  ///< taken by a register day in this pass
    std::string log; ///< the Result line, made once when first needed
};

struct Day {
    std::int64_t rowid = 0;
    std::int64_t date = 0;
    std::int64_t ti = 0;
    std::int64_t to = 0;
    int slot = 0;
    std::array<std::optional<std::int64_t>, 5> in{};
    std::array<std::optional<std::int64_t>, 5> out{};
    bool dirty = false;
};

std::optional<std::int64_t> timeOf(store::Statement& st, int col)
{
    if (st.isNull(col))
        return std::nullopt;
    const auto t = core::parseIsoTime(st.columnText(col));
    return t ? std::optional<std::int64_t>(core::timeToMs(*t)) : std::optional<std::int64_t>(0);
}

/// IN: the In of the first pair whose In and Out are both empty; OUT: the first empty Out.
/// Any other status places nothing. A clocking with no field left is dropped but placed.
bool place(Day& day, const std::string& status, std::int64_t t)
{
    if (status == "IN") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.in[n] && !day.out[n]) {
                day.in[n] = t;
                day.dirty = true;
                break;
            }
        return true;
    }
    if (status == "OUT") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.out[n]) {
                day.out[n] = t;
                day.dirty = true;
                break;
            }
        return true;
    }
    return false;
}

std::string logLine(const Clocking& c, const core::Regional& regional)
{
    std::string when = regional.formatDate(static_cast<double>(c.day));
    if (c.timeMs != 0)
        when += " " + regional.formatTime(static_cast<double>(c.timeMs) / static_cast<double>(kDay));
    return c.number + " - " + when + " - " + c.status;
}

/// Offers one clocking to one register day; true when the day took it.
bool offer(std::vector<Day>& days, std::size_t index, const Clocking& c, std::int64_t early, std::int64_t late)
{
    Day& day = days[index];
    if (day.slot == 1 || day.slot >= 7) {
        if (c.day != day.date)
            return false;
        if (c.status == "OUT" && !day.in[0] && index > 0) {
            // The night carried over: close the previous day's open pair at midnight and
            // start this day at 00:00.
            Day& prev = days[index - 1];
            bool closed = false;
            for (std::size_t n = 0; n < 5; ++n)
                if (prev.in[n] && !prev.out[n]) {
                    prev.out[n] = kNightClose;
                    prev.dirty = true;
                    closed = true;
                    break;
                }
            if (closed) {
                day.in[0] = 0;
                day.dirty = true;
            }
        }
        return place(day, c.status, c.timeMs);
    }
    if (day.slot < 2)
        return false;
    const std::int64_t clock = c.day * kDay + c.timeMs;
    const std::int64_t start = day.date * kDay + day.ti;
    const std::int64_t end = day.to > day.ti ? day.date * kDay + day.to : (day.date + 1) * kDay + day.to;
    if ((day.slot == 2 || day.slot == 4) && c.day == day.date - 1 && start - early <= clock && clock < start)
        if (place(day, c.status, c.timeMs))
            return true;
    if ((day.slot == 3 || day.slot == 5 || day.slot == 6) && c.day == day.date + 1 && end < clock
        && clock <= end + late)
        if (place(day, c.status, c.timeMs))
            return true;
    if (start <= clock && clock <= end)
        return place(day, c.status, c.timeMs);
    return false;
}

std::string isoTime(std::int64_t ms)
{
    return core::toIsoTime(static_cast<double>(ms) / static_cast<double>(kDay));
}

/// Restores the grids and the caption however the pass ends.
struct PassScope {
    store::Tables& t;
    core::WindowServices& ui;
    store::DisplaySuspended quiet;
    bool done = false;
    PassScope(store::Tables& tables, core::WindowServices& services)
        : t(tables), ui(services), quiet(tables.ClkdataTable)
    {
    }
    ~PassScope()
    {
        try {
            for (store::Cursor* c : {&t.EmployeeTable, &t.ClkdataTable}) {
                c->invalidateCache();
                c->refresh();
            }
            t.EmployeeTable.first();
            t.AttendanceTable.invalidateCache();
            t.AttendanceTable.refresh();
            t.AttendanceTable.first();
        } catch (...) {
        }
        if (!done) {
            ui.setProgressPosition(0);
            ui.setProgressCaption(core::kProgressRest);
        }
    }
};

} // namespace

std::optional<ProcessSummary> processClockData(store::Database& db, store::Tables& tables, core::WindowServices& ui,
                                               const core::Regional& regional, int& resetatt)
{
    const bool addMode = resetatt != 1;
    if (!addMode && !ResetAttRegister(db, ui))
        return std::nullopt;
    PassScope scope(tables, ui);
    ui.clearResult();
    ui.setProgressCaption("Process transactions...");
    ui.repaint();

    struct Employee {
        std::int64_t no;
        std::string mobile;
        std::string payroll;
        double early;
        double late;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, "SELECT No, ifnull(MobileNo, ''), ifnull(PayrollNo, ''), ifnull(WorkEarly, 0), "
                                "ifnull(WorkLate, 0) FROM Employee ORDER BY No");
        while (st.step())
            employees.push_back({st.columnInt(0), st.columnText(1), st.columnText(2), st.columnReal(3), st.columnReal(4)});
    }
    ui.setProgressRange(0, static_cast<int>(employees.size()), 1);
    ui.setProgressPosition(0);

    // The first day of the period, read once.
    std::int64_t first = 0;
    {
        store::Statement st(db, "SELECT Date FROM Period ORDER BY Date LIMIT 1");
        if (st.step())
            if (const auto d = core::parseIsoDate(st.columnText(0)))
                first = static_cast<std::int64_t>(*d);
    }

    // The clockings in table order. When the table's first clocking lies more than two days
    // before the period, the walk starts at the first clocking dated the day before it.
    std::vector<Clocking> clockings;
    {
        store::Statement st(db, "SELECT rowid, Date, Time, ifnull(MobileNo, ''), ifnull(Status, ''), "
                                "ifnull(Used, 0) FROM ClkData ORDER BY Date, Time, MobileNo, rowid");
        bool skipping = false;
        bool firstRow = true;
        while (st.step()) {
            Clocking c;
            c.rowid = st.columnInt(0);
            const auto d = core::parseIsoDate(st.columnText(1));
            const auto t = core::parseIsoTime(st.columnText(2));
            c.day = d ? static_cast<std::int64_t>(*d) : 0;
            c.timeMs = t ? core::timeToMs(*t) : 0;
            if (firstRow) {
                skipping = c.day < first - 2;
                firstRow = false;
            }
            if (skipping && c.day < first - 1)
                continue;
            skipping = false;
            c.number = st.columnText(3);
            c.status = st.columnText(4);
            c.unused = st.columnInt(5) == 0;
            clockings.push_back(std::move(c));
        }
    }
    std::unordered_map<std::string, std::vector<std::size_t>> byNumber;
    for (std::size_t i = 0; i < clockings.size(); ++i)
        byNumber[clockings[i].number].push_back(i);

    store::Statement readDays(db, "SELECT rowid, Date, INTime, OUTTime, Shift, In1, Out1, In2, Out2, In3, Out3, In4, "
                                  "Out4, In5, Out5 FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    store::Statement writeDay(db, "UPDATE Attendance SET In1 = ?, Out1 = ?, In2 = ?, Out2 = ?, In3 = ?, Out3 = ?, "
                                  "In4 = ?, Out4 = ?, In5 = ?, Out5 = ? WHERE rowid = ?");
    store::Statement markUsed(db, "UPDATE ClkData SET Used = 1 WHERE rowid = ?");

    for (const Employee& e : employees) {
        // This employee's clockings in table order: those numbered MobileNo or PayrollNo.
        std::vector<std::size_t> mine;
        for (const std::string* number : {&e.mobile, &e.payroll}) {
            if (number == &e.payroll && e.payroll == e.mobile)
                break;
            const auto it = byNumber.find(*number);
            if (it != byNumber.end())
                mine.insert(mine.end(), it->second.begin(), it->second.end());
        }
        std::sort(mine.begin(), mine.end());

        std::vector<Day> days;
        readDays.bind(1, e.no);
        while (readDays.step()) {
            Day d;
            d.rowid = readDays.columnInt(0);
            const auto date = core::parseIsoDate(readDays.columnText(1));
            d.date = date ? static_cast<std::int64_t>(*date) : 0;
            d.ti = timeOf(readDays, 2).value_or(0);
            d.to = timeOf(readDays, 3).value_or(0);
            d.slot = readDays.isNull(4) ? 0 : static_cast<int>(readDays.columnInt(4));
            for (std::size_t n = 0; n < 5; ++n) {
                d.in[n] = timeOf(readDays, 5 + 2 * static_cast<int>(n));
                d.out[n] = timeOf(readDays, 6 + 2 * static_cast<int>(n));
            }
            days.push_back(d);
        }
        readDays.reset();

        const std::int64_t early = std::llround(e.early * 3'600'000.0);
        const std::int64_t late = std::llround(e.late * 3'600'000.0);
        for (std::size_t index = 0; index < days.size(); ++index) {
            for (const std::size_t ci : mine) {
                Clocking& c = clockings[ci];
                if (addMode && !c.unused)
                    continue;
                c.offered = true;
                if (offer(days, index, c, early, late)) {
                    c.unused = false;
                    c.markUsed = true;
                    c.placed = true;
                } else {
                    // A clocking is logged by every day that does not take it: its line is
                    // made once.
                    if (c.log.empty())
                        c.log = logLine(c, regional);
                    ui.appendResult(c.log);
                }
            }
        }
        for (const Day& d : days) {
            if (!d.dirty)
                continue;
            for (std::size_t n = 0; n < 5; ++n) {
                const int p = 1 + 2 * static_cast<int>(n);
                if (d.in[n])
                    writeDay.bind(p, std::string_view(isoTime(*d.in[n])));
                else
                    writeDay.bindNull(p);
                if (d.out[n])
                    writeDay.bind(p + 1, std::string_view(isoTime(*d.out[n])));
                else
                    writeDay.bindNull(p + 1);
            }
            writeDay.bind(11, d.rowid);
            writeDay.run();
        }
        for (const std::size_t ci : mine) {
            Clocking& c = clockings[ci];
            if (c.markUsed) {
                markUsed.bind(1, c.rowid);
                markUsed.run();
                c.markUsed = false;
            }
        }
        ui.stepProgress();
        ui.repaint();
    }
    ProcessSummary summary;
    for (const Clocking& c : clockings) {
        if (c.placed)
            ++summary.placed;
        else if (c.offered)
            ++summary.notPlaced;
    }
    ui.appendResult(std::string(addMode ? "Process the New Clock Data" : "Reset and Process Clock Data") + ": "
                    + core::counted(summary.placed, "clocking", "clockings") + " placed, "
                    + std::to_string(summary.notPlaced) + " not placed");
    resetatt = 1;
    ui.setProgressCaption(core::kProgressRest);
    ui.repaint();
    ui.setProgressPosition(0);
    scope.done = true;
    return summary;
}

} // namespace registers
