#include "register/process.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/counted.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/numparse.h"
#include "core/regional.h"
#include "core/services.h"
#include "register/build.h"
#include "register/typedtimes.h"
#include "store/sqlite.h"
#include "workforce/shifts.h"

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
    bool unused = true;      ///< Used is 0 or empty
    bool markedUsed = false; ///< Used is 1 in the table
    bool placed = false;     ///< taken by a register day in this pass
    bool keptOut = false;    ///< taken, but a time typed into its cell stands over it
};

struct Day {
    std::int64_t rowid = 0;
    std::int64_t date = 0;
    std::int64_t ti = 0;
    std::int64_t to = 0;
    int slot = 0;
    std::array<std::optional<std::int64_t>, 5> in{};
    std::array<std::optional<std::int64_t>, 5> out{};
    /// The clocking (its index) that each In and Out holds when this pass placed it there.
    std::array<std::optional<std::size_t>, 5> inFrom{};
    std::array<std::optional<std::size_t>, 5> outFrom{};
    bool dirty = false;
    std::size_t planned = 0; ///< in reset mode: the row's place in the new register
};

/// The time of day of a stored time text; 0 for none or one that is no time.
std::int64_t timeOfText(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    const auto t = core::parseIsoTime(*text);
    return t ? core::timeToMs(*t) : 0;
}

std::optional<std::int64_t> timeOf(store::Statement& st, int col)
{
    if (st.isNull(col))
        return std::nullopt;
    const auto t = core::parseIsoTime(st.columnText(col));
    return t ? std::optional<std::int64_t>(core::timeToMs(*t)) : std::optional<std::int64_t>(0);
}

/// IN: the In of the first pair whose In and Out are both empty; OUT: the first empty Out.
/// Any other status places nothing. A clocking with no field left is dropped but placed.
bool place(Day& day, const std::string& status, std::int64_t t, std::size_t from)
{
    if (status == "IN") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.in[n] && !day.out[n]) {
                day.in[n] = t;
                day.inFrom[n] = from;
                day.dirty = true;
                break;
            }
        return true;
    }
    if (status == "OUT") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.out[n]) {
                day.out[n] = t;
                day.outFrom[n] = from;
                day.dirty = true;
                break;
            }
        return true;
    }
    return false;
}

/// A typed text as a time of day; empty for a cell typed empty (or a text that is no time).
std::optional<std::int64_t> typedTime(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    const auto t = core::parseIsoTime(text);
    return t ? std::optional<std::int64_t>(core::timeToMs(*t)) : std::nullopt;
}

/// The dates and times of the log in the regional formats, each text made once: a log
/// names the same few dates and times over and over.
class LogTexts {
public:
    explicit LogTexts(const core::Regional& regional) : regional_(regional) {}

    const std::string& date(std::int64_t day)
    {
        auto [it, fresh] = dates_.try_emplace(day);
        if (fresh)
            it->second = regional_.formatDate(static_cast<double>(day));
        return it->second;
    }

    /// The short date, and the long time unless it is midnight.
    std::string moment(const Clocking& c)
    {
        if (c.timeMs == 0)
            return date(c.day);
        return date(c.day) + " " + time(c.timeMs);
    }

    std::string line(const Clocking& c) { return c.number + " - " + moment(c) + " - " + c.status; }

    /// A time of day in the long format.
    const std::string& time(std::int64_t ms)
    {
        auto [it, fresh] = times_.try_emplace(ms);
        if (fresh)
            it->second = regional_.formatTime(static_cast<double>(ms) / static_cast<double>(kDay));
        return it->second;
    }

private:
    const core::Regional& regional_;
    std::unordered_map<std::int64_t, std::string> dates_;
    std::unordered_map<std::int64_t, std::string> times_;
};

/// The shift's start and end as moments: the end on the next day when it is not after the start.
std::pair<std::int64_t, std::int64_t> slotMoments(const Day& day)
{
    const std::int64_t start = day.date * kDay + day.ti;
    const std::int64_t end = day.to > day.ti ? day.date * kDay + day.to : (day.date + 1) * kDay + day.to;
    return {start, end};
}

/// Whether the day's rules take the clocking: a day job those of its own date; slots 2 to 6
/// the early start (2, 4), the late finish (3, 5, 6) and the shift with its margins. Only an
/// IN or an OUT is ever taken.
bool accepts(const Day& day, const Clocking& c, std::int64_t early, std::int64_t late, const ShiftMargins& margins)
{
    if (c.status != "IN" && c.status != "OUT")
        return false;
    if (day.slot == 1 || day.slot >= 7)
        return c.day == day.date;
    if (day.slot < 2)
        return false;
    const std::int64_t clock = c.day * kDay + c.timeMs;
    const auto [start, end] = slotMoments(day);
    if ((day.slot == 2 || day.slot == 4) && c.day == day.date - 1 && start - early <= clock && clock < start)
        return true;
    if ((day.slot == 3 || day.slot == 5 || day.slot == 6) && c.day == day.date + 1 && end < clock
        && clock <= end + late)
        return true;
    return start - margins.earlyMs <= clock && clock <= end + margins.lateMs;
}

/// How far the clocking lies from the moment it marks on the day: an IN from the slot's
/// start, an OUT from its end. Of two days whose rules both take a clocking, the nearer one
/// gets it: an IN goes to the day whose slot it starts, an OUT to the day whose slot it ends.
std::int64_t distanceFrom(const Day& day, const Clocking& c)
{
    const std::int64_t clock = c.day * kDay + c.timeMs;
    const auto [start, end] = slotMoments(day);
    const std::int64_t mark = c.status == "IN" ? start : end;
    return clock >= mark ? clock - mark : mark - clock;
}

/// Places a clocking that the day accepts; a day job first carries a night over.
void take(std::vector<Day>& days, std::size_t index, const Clocking& c, std::size_t from)
{
    Day& day = days[index];
    if ((day.slot == 1 || day.slot >= 7) && c.status == "OUT" && !day.in[0] && index > 0) {
        // The night carried over: close the previous day's open pair at midnight and start
        // this day at 00:00.
        Day& prev = days[index - 1];
        for (std::size_t n = 0; n < 5; ++n)
            if (prev.in[n] && !prev.out[n]) {
                prev.out[n] = kNightClose;
                prev.dirty = true;
                day.in[0] = 0;
                day.dirty = true;
                break;
            }
    }
    place(day, c.status, c.timeMs, from);
}

/// The first and last date of a clocking that the day can take; an empty range for a day
/// without a slot.
std::pair<std::int64_t, std::int64_t> datesTaken(const Day& day, std::int64_t early, std::int64_t late,
                                                 const ShiftMargins& margins)
{
    if (day.slot == 1 || day.slot >= 7)
        return {day.date, day.date};
    if (day.slot < 2)
        return {1, 0};
    const auto [start, end] = slotMoments(day);
    const auto dayOf = [](std::int64_t ms) { return ms >= 0 ? ms / kDay : -((-ms + kDay - 1) / kDay); };
    return {std::min(dayOf(start - std::max<std::int64_t>(early, 0)), dayOf(start - margins.earlyMs)),
            std::max(dayOf(end + std::max<std::int64_t>(late, 0)), dayOf(end + margins.lateMs))};
}

/// The pair numbers (1 to 5) of the day that hold an IN without an OUT or an OUT without an IN.
std::vector<int> incompletePairs(const Day& day)
{
    std::vector<int> pairs;
    for (std::size_t n = 0; n < 5; ++n)
        if (day.in[n].has_value() != day.out[n].has_value())
            pairs.push_back(static_cast<int>(n) + 1);
    return pairs;
}

std::int64_t minutesToMs(const std::string& text, const char* key, const core::Regional& regional)
{
    if (text.empty())
        return 0;
    const double minutes = core::parseRealOrPoint(text, regional);
    if (!(minutes >= 0) || minutes > 24 * 60)
        throw core::Error(std::string(key) + " must be a number of minutes from 0 to 1440, not '" + text + "'");
    return std::llround(minutes * 60'000.0);
}

std::string isoTime(std::int64_t ms) { return core::toIsoTime(static_cast<double>(ms) / static_cast<double>(kDay)); }

/// A time of a posted register day: employee, day, time of day.
using PostedCell = std::tuple<std::int64_t, std::int64_t, std::int64_t>;

/// The cells of the history rows a query returns (EmployeeNo, Date, INTime, OUTTime, In1 ...
/// Out5): every time as its day's, and the times before the start of a slot across midnight
/// also as the next morning's.
void readPostedCells(store::Statement& st, std::set<PostedCell>& sameDay, std::set<PostedCell>& nextMorning)
{
    while (st.step()) {
        const auto date = core::parseIsoDate(st.columnText(1));
        if (!date)
            continue;
        const std::int64_t slotStart = timeOf(st, 2).value_or(0);
        const bool night = timeOf(st, 3).value_or(0) < slotStart;
        for (int col = 4; col < 14; ++col)
            if (const auto t = timeOf(st, col)) {
                const PostedCell cell{st.columnInt(0), static_cast<std::int64_t>(*date), *t};
                sameDay.insert(cell);
                if (night && *t < slotStart)
                    nextMorning.insert(cell);
            }
    }
}

} // namespace

ShiftMargins marginsFromMinutes(const std::string& early, const std::string& late, const core::Regional& regional)
{
    return {minutesToMs(early, "EARLY_MINUTES", regional), minutesToMs(late, "LATE_MINUTES", regional)};
}

std::optional<ProcessSummary> processClockData(store::Database& db, core::WindowServices& ui,
                                               const core::Regional& regional, ProcessMode mode,
                                               const ShiftMargins& margins)
{
    const bool addMode = mode == ProcessMode::Add;
    // Reset mode builds the new register in memory; it is written with its pairs at the end.
    std::optional<RegisterPlan> plan;
    if (!addMode) {
        plan = planResetAttRegister(db, ui);
        if (!plan)
            return std::nullopt;
    }
    ui.clearResult();
    ui.setProgressCaption("Process transactions...");
    ui.repaint();

    struct Employee {
        std::int64_t no;
        std::string mobile;
        std::string payroll;
        double early;
        double late;
        std::string name;
    };
    std::vector<Employee> employees;
    {
        store::Statement st(db, "SELECT No, ifnull(MobileNo, ''), ifnull(PayrollNo, ''), ifnull(WorkEarly, 0), "
                                "ifnull(WorkLate, 0), ifnull(Name, '') FROM Employee ORDER BY No");
        while (st.step())
            employees.push_back({st.columnInt(0), st.columnText(1), st.columnText(2), st.columnReal(3),
                                 st.columnReal(4), st.columnText(5)});
    }
    ui.setProgressRange(0, static_cast<int>(employees.size()), 1);
    ui.setProgressPosition(0);

    // The first day of the period, read once.
    std::int64_t first = 0;
    std::int64_t last = -1;
    {
        store::Statement st(db, "SELECT min(Date), max(Date) FROM Period");
        if (st.step() && !st.isNull(0)) {
            if (const auto d = core::parseIsoDate(st.columnText(0)))
                first = static_cast<std::int64_t>(*d);
            if (const auto d = core::parseIsoDate(st.columnText(1)))
                last = static_cast<std::int64_t>(*d);
        }
    }
    // The times the clerk typed into the register days of the period: they stand over what
    // the pass places (a forgotten clock-out typed in survives the rebuild of the register).
    const auto typed = last >= first ? latestTypedCells(db, static_cast<double>(first), static_cast<double>(last))
                                     : std::map<std::pair<std::int64_t, std::int64_t>, TypedCells>{};
    std::vector<std::string> keptOut;
    // The clockings that a posted period placed: the history's register days just before
    // this period hold them. They are neither placed again nor listed. A clocking of such a
    // day's own date is the day's when one of its cells holds that time; one of the next
    // morning is the day's when the day's slot runs across midnight and a cell holds that
    // time before the slot's start (the night's OUT). The history of the period itself does
    // not count, so a period processed again after its posting is processed as before.
    std::set<PostedCell> postedSameDay;
    std::set<PostedCell> postedNextMorning;
    {
        // Through the posted periods that reach those days (a small table) and the history's
        // index by period: a site with years of history reads one period's rows, not all.
        const std::string from = core::toIsoDate(static_cast<double>(first - 2));
        const std::string to = core::toIsoDate(static_cast<double>(first - 1));
        std::vector<std::int64_t> periods;
        {
            store::Statement st(db, "SELECT Period FROM PerHistory WHERE ifnull(EndDate, ?1) >= ?1 "
                                    "AND ifnull(StartDate, ?2) <= ?2");
            st.bind(1, std::string_view(from));
            st.bind(2, std::string_view(to));
            while (st.step())
                periods.push_back(st.columnInt(0));
        }
        store::Statement st(db, "SELECT EmployeeNo, Date, INTime, OUTTime, In1, Out1, In2, Out2, In3, Out3, In4, Out4, "
                                "In5, Out5 FROM History WHERE Period = ? AND Date BETWEEN ? AND ? "
                                "AND EmployeeNo IS NOT NULL");
        st.bind(2, std::string_view(from));
        st.bind(3, std::string_view(to));
        for (const std::int64_t period : periods) {
            st.bind(1, period);
            readPostedCells(st, postedSameDay, postedNextMorning);
            st.reset();
        }
    }
    const auto placedByPostedPeriod = [&](std::int64_t employee, const Clocking& c) {
        return (c.day < first && postedSameDay.count({employee, c.day, c.timeMs}) > 0)
               || postedNextMorning.count({employee, c.day - 1, c.timeMs}) > 0;
    };

    // The clockings in table order (Date, Time, MobileNo; NULL numbers first). They are read
    // in storage order and sorted here, which is several times faster than walking the
    // table through its index. When the table's first clocking lies more than two days
    // before the period, the walk starts at the first clocking dated the day before it.
    std::vector<Clocking> clockings;
    {
        struct Row {
            std::string date;
            std::string time;
            bool numbered;
            Clocking c;
        };
        std::vector<Row> rows;
        {
            store::Statement count(db, "SELECT count(*) FROM ClkData");
            if (count.step())
                rows.reserve(static_cast<std::size_t>(count.columnInt(0)));
        }
        store::Statement st(db, "SELECT rowid, Date, Time, MobileNo, ifnull(Status, ''), Used FROM ClkData");
        while (st.step()) {
            Row r{st.columnText(1), st.columnText(2), !st.isNull(3), {}};
            r.c.rowid = st.columnInt(0);
            r.c.number = st.columnText(3);
            r.c.status = st.columnText(4);
            r.c.unused = st.isNull(5) || st.columnInt(5) == 0;
            r.c.markedUsed = !st.isNull(5) && st.columnInt(5) == 1;
            rows.push_back(std::move(r));
        }
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            if (const int d = a.date.compare(b.date))
                return d < 0;
            if (const int t = a.time.compare(b.time))
                return t < 0;
            if (a.numbered != b.numbered)
                return !a.numbered;
            if (const int n = a.c.number.compare(b.c.number))
                return n < 0;
            return a.c.rowid < b.c.rowid;
        });
        clockings.reserve(rows.size());
        bool skipping = false;
        bool firstRow = true;
        for (Row& r : rows) {
            const auto d = core::parseIsoDate(r.date);
            const auto t = core::parseIsoTime(r.time);
            r.c.day = d ? static_cast<std::int64_t>(*d) : 0;
            r.c.timeMs = t ? core::timeToMs(*t) : 0;
            if (firstRow) {
                skipping = r.c.day < first - 2;
                firstRow = false;
            }
            if (skipping && r.c.day < first - 1)
                continue;
            skipping = false;
            clockings.push_back(std::move(r.c));
        }
    }
    LogTexts texts(regional);
    std::unordered_map<std::string, std::vector<std::size_t>> byNumber;
    for (std::size_t i = 0; i < clockings.size(); ++i)
        byNumber[clockings[i].number].push_back(i);

    // The numbers among the considered clockings that no employee has as MobileNo or
    // PayrollNo: count, first and last moment (the clockings are in time order).
    std::vector<std::string> unknown;
    {
        std::unordered_set<std::string> known;
        for (const Employee& e : employees) {
            known.insert(e.mobile);
            known.insert(e.payroll);
        }
        std::vector<const std::string*> numbers;
        for (const auto& [number, rows] : byNumber)
            if (!known.count(number))
                numbers.push_back(&number);
        std::sort(numbers.begin(), numbers.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
        for (const std::string* number : numbers) {
            std::vector<const Clocking*> considered;
            for (const std::size_t i : byNumber[*number])
                if (!addMode || clockings[i].unused)
                    considered.push_back(&clockings[i]);
            if (considered.empty())
                continue;
            std::string line = (number->empty() ? std::string("(no number)") : *number) + " - "
                               + core::counted(static_cast<std::int64_t>(considered.size()), "clocking", "clockings")
                               + " - " + texts.moment(*considered.front());
            if (considered.size() > 1)
                line += " to " + texts.moment(*considered.back());
            unknown.push_back(std::move(line));
        }
    }
    // A clock number that two or more employees have (as MobileNo or PayrollNo) would pay each
    // of its clockings to all of them: its clockings are placed for none, and it is listed
    // with its employees and the clockings it holds back.
    std::vector<std::string> shared;
    std::unordered_set<std::string> sharedNumbers;
    {
        std::map<std::string, std::vector<const Employee*>> owners;
        for (const Employee& e : employees) {
            if (!e.mobile.empty())
                owners[e.mobile].push_back(&e);
            if (!e.payroll.empty() && e.payroll != e.mobile)
                owners[e.payroll].push_back(&e);
        }
        for (const auto& [number, list] : owners) {
            if (list.size() < 2)
                continue;
            sharedNumbers.insert(number);
            std::string line = number + " - ";
            for (std::size_t i = 0; i < list.size(); ++i)
                line += (i ? ", " : "") + std::to_string(list[i]->no) + " " + list[i]->name;
            std::int64_t held = 0;
            if (const auto it = byNumber.find(number); it != byNumber.end())
                for (const std::size_t i : it->second)
                    held += !addMode || clockings[i].unused ? 1 : 0;
            shared.push_back(line + " - " + core::counted(held, "clocking", "clockings") + " not placed");
        }
    }
    // Slot 1 keeps to the day of a clocking's date: times across midnight pay a night wrongly.
    const std::vector<std::string> dayJobNights = workforce::dayJobNights(db, regional);

    std::vector<std::string> incomplete;
    std::vector<Day> changed; ///< the register days that took a clocking
    std::unordered_map<std::int64_t, std::pair<std::size_t, std::size_t>> plannedRows; ///< No -> [first, end)
    if (plan)
        for (std::size_t i = 0; i < plan->days.size(); ++i) {
            auto [it, fresh] = plannedRows.try_emplace(plan->days[i].employeeNo, i, i + 1);
            if (!fresh)
                it->second.second = i + 1;
        }
    ProcessSummary summary;

    store::Statement readDays(db, "SELECT rowid, Date, INTime, OUTTime, Shift, In1, Out1, In2, Out2, In3, Out3, In4, "
                                  "Out4, In5, Out5 FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    store::Statement writeDay(db, "UPDATE Attendance SET In1 = ?, Out1 = ?, In2 = ?, Out2 = ?, In3 = ?, Out3 = ?, "
                                  "In4 = ?, Out4 = ?, In5 = ?, Out5 = ? WHERE rowid = ?");
    // One statement marks the placed clockings: their rowids as a JSON array.
    store::Statement markUsed(db, "UPDATE ClkData SET Used = 1 WHERE rowid IN (SELECT value FROM json_each(?))");

    for (const Employee& e : employees) {
        // This employee's clockings in table order: those numbered MobileNo or PayrollNo.
        std::vector<std::size_t> mine;
        for (const std::string* number : {&e.mobile, &e.payroll}) {
            if (number == &e.payroll && e.payroll == e.mobile)
                break;
            if (sharedNumbers.count(*number))
                continue;
            const auto it = byNumber.find(*number);
            if (it != byNumber.end())
                mine.insert(mine.end(), it->second.begin(), it->second.end());
        }
        mine.erase(std::remove_if(mine.begin(), mine.end(),
                                  [&](std::size_t i) { return placedByPostedPeriod(e.no, clockings[i]); }),
                   mine.end());
        std::sort(mine.begin(), mine.end());

        std::vector<Day> days;
        if (plan) {
            const auto range = plannedRows.find(e.no);
            for (std::size_t i = range == plannedRows.end() ? 0 : range->second.first;
                 range != plannedRows.end() && i < range->second.second; ++i) {
                const NewDay& row = plan->days[i];
                Day d;
                d.planned = i;
                d.date = static_cast<std::int64_t>(row.date);
                if (const auto t = typed.find({e.no, static_cast<std::int64_t>(row.date)}); t != typed.end()) {
                    // A slot time typed for the day stands over the Shifts page's.
                    for (std::size_t f : {std::size_t{10}, std::size_t{11}}) {
                        const std::optional<std::string>& text = t->second[f];
                        std::optional<std::string>& slotTime = f == 10 ? plan->days[i].inTime : plan->days[i].outTime;
                        const std::optional<std::string> want =
                            text && !text->empty() ? text : std::optional<std::string>();
                        if (text && (text->empty() || core::parseIsoTime(*text)) && slotTime != want) {
                            slotTime = want;
                            ++summary.typedPutBack;
                        }
                    }
                }
                d.ti = timeOfText(row.inTime);
                d.to = timeOfText(row.outTime);
                d.slot = row.slot.value_or(0);
                days.push_back(d);
            }
        }
        readDays.bind(1, e.no);
        while (!plan && readDays.step()) {
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
        // Every day's walk meets each of the employee's clockings that is considered (in add
        // mode: still unused), so with a day at all, each one is offered to the employee.
        std::vector<char> offered(mine.size(), 0);
        std::vector<char> taken(mine.size(), 0);
        for (std::size_t j = 0; j < mine.size() && !days.empty(); ++j)
            offered[j] = !addMode || clockings[mine[j]].unused;
        // A day can only take clockings of a few dates around its own: each day is offered
        // those, in clocking order, which is what the walk of the whole table places.
        std::vector<std::size_t> byDate(mine.size());
        for (std::size_t j = 0; j < mine.size(); ++j)
            byDate[j] = j;
        std::stable_sort(byDate.begin(), byDate.end(),
                         [&](std::size_t a, std::size_t b) { return clockings[mine[a]].day < clockings[mine[b]].day; });
        // Each clocking goes to one day only: of the days whose rules take it, the one it
        // lies nearest to (see distanceFrom); then every day is given its clockings, days in
        // date order and each day's in clocking order, as the walk of the whole table does.
        constexpr std::size_t kNoDay = static_cast<std::size_t>(-1);
        std::vector<std::size_t> dayOf(mine.size(), kNoDay);
        std::vector<std::int64_t> nearest(mine.size(), 0);
        const auto eachOffered = [&](std::size_t index, auto&& f) {
            const auto [from, to] = datesTaken(days[index], early, late, margins);
            auto j0 = std::lower_bound(byDate.begin(), byDate.end(), from,
                                       [&](std::size_t j, std::int64_t day) { return clockings[mine[j]].day < day; });
            for (auto it = j0; it != byDate.end() && clockings[mine[*it]].day <= to; ++it)
                if (offered[*it])
                    f(*it, clockings[mine[*it]]);
        };
        for (std::size_t index = 0; index < days.size(); ++index)
            eachOffered(index, [&](std::size_t j, const Clocking& c) {
                if (!accepts(days[index], c, early, late, margins))
                    return;
                const std::int64_t distance = distanceFrom(days[index], c);
                if (dayOf[j] == kNoDay || distance < nearest[j]) {
                    dayOf[j] = index;
                    nearest[j] = distance;
                }
            });
        for (std::size_t index = 0; index < days.size(); ++index)
            eachOffered(index, [&](std::size_t j, Clocking& c) {
                if (dayOf[j] != index)
                    return;
                take(days, index, c, mine[j]);
                c.unused = false;
                c.placed = true;
                taken[j] = 1;
            });
        // Each typed cell of a day gets its latest typed value back, over any clocking this
        // pass put there; such a clocking is listed with the typed value that keeps it out.
        for (Day& d : days) {
            const auto t = typed.find({e.no, d.date});
            if (t == typed.end())
                continue;
            for (std::size_t n = 0; n < 10; ++n) {
                const std::optional<std::string>& text = t->second[n];
                if (!text || (!text->empty() && !core::parseIsoTime(*text)))
                    continue;
                std::optional<std::int64_t>& cell = n % 2 == 0 ? d.in[n / 2] : d.out[n / 2];
                std::optional<std::size_t>& from = n % 2 == 0 ? d.inFrom[n / 2] : d.outFrom[n / 2];
                const std::optional<std::int64_t> want = typedTime(*text);
                if (cell == want)
                    continue;
                if (from) {
                    Clocking& k = clockings[*from];
                    k.keptOut = true;
                    keptOut.push_back(texts.line(k) + " - " + kTypedCellFields[n] + " typed "
                                      + (want ? texts.time(*want) : std::string("empty")) + " on "
                                      + texts.date(d.date));
                }
                cell = want;
                from.reset();
                d.dirty = true;
                ++summary.typedPutBack;
            }
        }
        for (std::size_t j = 0; j < mine.size(); ++j)
            if (offered[j] && !taken[j]) {
                ui.appendResult(texts.line(clockings[mine[j]]));
                ++summary.notPlaced;
            }
        for (const Day& d : days) {
            const std::vector<int> pairs = incompletePairs(d);
            if (pairs.empty())
                continue;
            std::string which = pairs.size() == 1 ? "pair " : "pairs ";
            for (std::size_t n = 0; n < pairs.size(); ++n)
                which += (n ? ", " : "") + std::to_string(pairs[n]);
            incomplete.push_back(std::to_string(e.no) + " - " + e.name + " - " + texts.date(d.date) + " - " + which);
        }
        for (Day& d : days)
            if (d.dirty)
                changed.push_back(d);
        ui.stepProgress();
        ui.repaint();
    }
    // The placements are written at the end, all or none: the new register with its pairs
    // (reset mode) or the register days that took a clocking, then the Used marks in one
    // statement in rowid order, several times faster than marking them employee by employee
    // across the whole table.
    {
        store::Savepoint writing(db, "clock_pass");
        if (plan) {
            std::vector<const Day*> byRow(plan->days.size(), nullptr);
            for (const Day& d : changed)
                byRow[d.planned] = &d;
            writeResetAttRegister(db, *plan, [&](std::size_t i) {
                PairTexts texts;
                if (const Day* d = byRow[i])
                    for (std::size_t n = 0; n < 5; ++n) {
                        if (d->in[n])
                            texts[2 * n] = isoTime(*d->in[n]);
                        if (d->out[n])
                            texts[2 * n + 1] = isoTime(*d->out[n]);
                    }
                return texts;
            });
        } else {
            for (const Day& d : changed) {
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
        }
        std::vector<std::int64_t> rows;
        for (const Clocking& c : clockings)
            if (c.placed && !c.markedUsed)
                rows.push_back(c.rowid);
        std::sort(rows.begin(), rows.end());
        if (!rows.empty()) {
            std::string list = "[";
            for (const std::int64_t r : rows)
                list += (list.size() > 1 ? "," : "") + std::to_string(r);
            list += ']';
            markUsed.bind(1, std::string_view(list));
            markUsed.run();
        }
        writing.release();
    }
    for (const Clocking& c : clockings)
        if (c.placed && !c.keptOut)
            ++summary.placed;
    const std::pair<const char*, const std::vector<std::string>*> sections[] = {
        {kKeptOutHeading, &keptOut},           {kUnknownNumbersHeading, &unknown},
        {kSharedNumbersHeading, &shared},      {kIncompletePairsHeading, &incomplete},
        {kDayJobNightsHeading, &dayJobNights},
    };
    bool attention = summary.notPlaced > 0;
    for (const auto& [heading, lines] : sections) {
        if (lines->empty())
            continue;
        attention = true;
        ui.appendResult(heading);
        for (const std::string& line : *lines)
            ui.appendResult(line);
    }
    ui.appendResult(std::string(addMode ? "Process the New Clock Data" : "Reset and Process Clock Data") + ": "
                    + core::counted(summary.placed, "clocking", "clockings") + " placed, "
                    + std::to_string(summary.notPlaced) + " not placed"
                    + (summary.typedPutBack > 0
                           ? ", " + core::counted(summary.typedPutBack, "typed time", "typed times") + " put back"
                           : std::string()));
    if (attention)
        ui.showPage("Result");
    return summary;
}

} // namespace registers
