#include "bench/rowbyrow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "store/sqlite.h"

// ---------------------------------------------------------------------------------------------
// A row-by-row pass straight from the rules, on copies of the tables read by SQL
// ---------------------------------------------------------------------------------------------

namespace reference {

constexpr const char* kPairColumns = "In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5";

constexpr std::int64_t kDayMs = 86'400'000;
constexpr std::int64_t kNightClose = 86'365'440; // 23:59:25.440
const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShiftDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

/// Days since 1 January 1970 of a "YYYY-MM-DD" text.
std::int64_t dayNumber(const std::string& iso)
{
    const int year = std::stoi(iso.substr(0, 4));
    const int month = std::stoi(iso.substr(5, 2));
    const int day = std::stoi(iso.substr(8, 2));
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = y / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

/// 0 = Sunday ... 6 = Saturday (1 January 1970 was a Thursday).
int weekday(const std::string& iso) { return static_cast<int>((dayNumber(iso) + 4) % 7); }

/// Milliseconds of "HH:MM", "HH:MM:SS" or "HH:MM:SS.zzz".
std::int64_t timeMs(const std::string& t)
{
    if (t.size() < 5)
        return 0;
    std::int64_t ms = (std::stoll(t.substr(0, 2)) * 3600 + std::stoll(t.substr(3, 2)) * 60) * 1000;
    if (t.size() >= 8)
        ms += std::stoll(t.substr(6, 2)) * 1000;
    if (t.size() >= 12)
        ms += std::stoll(t.substr(9, 3));
    return ms;
}

std::string timeText(std::int64_t ms)
{
    char buf[32];
    const int h = static_cast<int>(ms / 3'600'000);
    const int m = static_cast<int>(ms / 60'000 % 60);
    const int sec = static_cast<int>(ms / 1000 % 60);
    const int milli = static_cast<int>(ms % 1000);
    if (milli != 0)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", h, m, sec, milli);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, sec);
    return buf;
}

/// M/d/yy, the short date in en_US.
std::string dateText(const std::string& date)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d/%02d", std::stoi(date.substr(5, 2)), std::stoi(date.substr(8, 2)),
                  std::stoi(date.substr(0, 4)) % 100);
    return buf;
}

/// M/d/yy[ h:mm:ss AM]: a clocking's moment in en_US, the time left out at midnight.
std::string whenText(const std::string& date, const std::string& time)
{
    char buf[64];
    std::string when = dateText(date);
    const std::int64_t ms = timeMs(time);
    if (ms != 0) {
        const int h = static_cast<int>(ms / 3'600'000);
        std::snprintf(buf, sizeof buf, " %d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12,
                      static_cast<int>(ms / 60'000 % 60), static_cast<int>(ms / 1000 % 60), h < 12 ? "AM" : "PM");
        when += buf;
    }
    return when;
}

/// Number - M/d/yy[ h:mm:ss AM] - status, the way the log shows a clocking in en_US.
std::string logLine(const std::string& number, const std::string& date, const std::string& time,
                    const std::string& status)
{
    return number + " - " + whenText(date, time) + " - " + status;
}

std::optional<std::string> textOrNull(store::Statement& st, int col)
{
    return st.isNull(col) ? std::nullopt : std::optional<std::string>(st.columnText(col));
}

void bindText(store::Statement& st, int index, const std::optional<std::string>& value)
{
    if (value)
        st.bind(index, std::string_view(*value));
    else
        st.bindNull(index);
}

struct Employee {
    std::int64_t no = 0;
    std::string name;
    std::string mobile;  ///< empty when NULL
    std::string payroll; ///< empty when NULL
    int mobileId = 0;    ///< the numbers as small integers, see Tables::numberId
    int payrollId = 0;
    std::optional<std::int64_t> shift;
    double early = 0;
    double late = 0;
};

struct PeriodDay {
    std::string date;
    std::int64_t shiftNo = 0;
    std::int64_t shift2 = 0;
    std::int64_t shift3 = 0;
    std::string holiday;
};

struct Clocking {
    std::int64_t inc = 0;
    std::string date;
    std::string time;
    std::string number; ///< empty when NULL
    std::string status;
    std::string used; ///< as stored, empty when NULL
    bool placed = false;
    std::int64_t day = 0;
    std::int64_t ms = 0;
    int numberId = 0;
    std::string logText; ///< how the log shows this clocking
};

struct Day {
    std::int64_t employee = 0;
    std::string date;
    std::optional<std::string> dow;
    std::optional<std::string> holiday;
    std::optional<std::int64_t> shift;
    std::optional<std::string> inTime;
    std::optional<std::string> outTime;
    std::array<std::optional<std::int64_t>, 10> pairs{}; ///< In1, Out1, ..., In5, Out5
    std::int64_t day = 0;
};

struct Tables {
    std::vector<Employee> employees;
    std::vector<PeriodDay> period;
    std::map<std::int64_t, std::array<std::optional<std::string>, 14>> shifts; ///< TI, TO per weekday from Sunday
    std::vector<Clocking> clockings;                                           ///< in table order
    std::vector<Day> register_;
    /// Every number seen gets a small integer, so that "this number is that number" is cheap
    /// to ask clocking by clocking. The empty number is 0.
    std::map<std::string, int> ids{{"", 0}};
    int numberId(const std::string& number) { return ids.emplace(number, static_cast<int>(ids.size())).first->second; }
    /// The non-empty numbers that two or more employees have, by id, with those employees.
    std::map<int, std::vector<const Employee*>> shared;
};

Tables load(store::Database& db)
{
    Tables t;
    {
        store::Statement st(db, "SELECT No, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate, Name FROM Employee "
                                "ORDER BY No");
        while (st.step()) {
            Employee e;
            e.no = st.columnInt(0);
            e.mobile = st.columnText(1);
            e.payroll = st.columnText(2);
            e.mobileId = t.numberId(e.mobile);
            e.payrollId = t.numberId(e.payroll);
            if (!st.isNull(3))
                e.shift = st.columnInt(3);
            e.early = st.columnReal(4);
            e.late = st.columnReal(5);
            e.name = st.columnText(6);
            t.employees.push_back(e);
        }
    }
    {
        std::map<int, std::vector<const Employee*>> owners;
        for (const Employee& e : t.employees) {
            if (!e.mobile.empty())
                owners[e.mobileId].push_back(&e);
            if (!e.payroll.empty() && e.payrollId != e.mobileId)
                owners[e.payrollId].push_back(&e);
        }
        for (const auto& [id, list] : owners)
            if (list.size() > 1)
                t.shared[id] = list;
    }
    {
        store::Statement st(db, "SELECT Date, ShiftNo, Shift2, Shift3, Holiday FROM Period ORDER BY Date");
        while (st.step())
            t.period.push_back({st.columnText(0), st.columnInt(1), st.columnInt(2), st.columnInt(3), st.columnText(4)});
    }
    {
        std::string sql = "SELECT No";
        for (const char* d : kShiftDays)
            sql += std::string(", ") + d + "_TI, " + d + "_TO";
        store::Statement st(db, sql + " FROM Shifts");
        while (st.step()) {
            auto& times = t.shifts[st.columnInt(0)];
            for (int i = 0; i < 14; ++i)
                times[static_cast<std::size_t>(i)] = textOrNull(st, 1 + i);
        }
    }
    {
        store::Statement st(db, "SELECT Inc, Date, Time, MobileNo, Status, Used FROM ClkData "
                                "ORDER BY Date, Time, MobileNo, Inc");
        while (st.step()) {
            Clocking c;
            c.inc = st.columnInt(0);
            c.date = st.columnText(1);
            c.time = st.columnText(2);
            c.number = st.columnText(3);
            c.status = st.columnText(4);
            c.used = st.columnText(5);
            c.day = dayNumber(c.date);
            c.ms = timeMs(c.time);
            c.numberId = t.numberId(c.number);
            c.logText = logLine(c.number, c.date, c.time, c.status);
            t.clockings.push_back(c);
        }
    }
    {
        store::Statement st(db, std::string("SELECT EmployeeNo, Date, DOW, Holiday, Shift, INTime, OUTTime, ")
                                    + kPairColumns + " FROM Attendance ORDER BY EmployeeNo, Date, Inc");
        while (st.step()) {
            Day d;
            d.employee = st.columnInt(0);
            d.date = st.columnText(1);
            d.dow = textOrNull(st, 2);
            d.holiday = textOrNull(st, 3);
            if (!st.isNull(4))
                d.shift = st.columnInt(4);
            d.inTime = textOrNull(st, 5);
            d.outTime = textOrNull(st, 6);
            for (int i = 0; i < 10; ++i)
                if (!st.isNull(7 + i))
                    d.pairs[static_cast<std::size_t>(i)] = timeMs(st.columnText(7 + i));
            d.day = dayNumber(d.date);
            t.register_.push_back(d);
        }
    }
    return t;
}

void save(store::Database& db, const Tables& t, bool reset)
{
    db.exec("BEGIN");
    if (reset)
        db.exec("UPDATE Employee SET NT = 0, OT1 = 0, OT2 = 0, HT = 0");
    db.exec("DELETE FROM Attendance");
    store::Statement insert(db, std::string("INSERT INTO Attendance (EmployeeNo, Date, DOW, Holiday, Shift, INTime, "
                                            "OUTTime, ")
                                    + kPairColumns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Day& d : t.register_) {
        insert.bind(1, d.employee);
        insert.bind(2, std::string_view(d.date));
        bindText(insert, 3, d.dow);
        bindText(insert, 4, d.holiday);
        if (d.shift)
            insert.bind(5, *d.shift);
        else
            insert.bindNull(5);
        bindText(insert, 6, d.inTime);
        bindText(insert, 7, d.outTime);
        for (int i = 0; i < 10; ++i) {
            const auto& v = d.pairs[static_cast<std::size_t>(i)];
            bindText(insert, 8 + i, v ? std::optional<std::string>(timeText(*v)) : std::nullopt);
        }
        insert.run();
    }
    store::Statement used(db, "UPDATE ClkData SET Used = 1 WHERE Inc = ?");
    for (const Clocking& c : t.clockings)
        if (c.placed) {
            used.bind(1, c.inc);
            used.run();
        }
    db.exec("COMMIT");
}

std::optional<std::int64_t> slotFor(const std::optional<std::int64_t>& n, const PeriodDay& p)
{
    if (!n || *n <= 0)
        return std::nullopt;
    if (*n == 1 || *n >= 7)
        return p.shiftNo;
    if (*n == 2 || *n == 3)
        return *n == p.shift2 ? 2 : 3;
    const std::int64_t f = p.shift3;
    const std::int64_t s = f == 6 ? 4 : f + 1;
    if (*n == f)
        return 4;
    if (*n == s)
        return 5;
    return 6;
}

void rebuild(Tables& t)
{
    for (const Employee& e : t.employees) {
        t.register_.erase(
            std::remove_if(t.register_.begin(), t.register_.end(), [&](const Day& d) { return d.employee == e.no; }),
            t.register_.end());
        for (const PeriodDay& p : t.period) {
            Day d;
            d.employee = e.no;
            d.date = p.date;
            d.day = dayNumber(p.date);
            const int wd = weekday(p.date);
            d.dow = kDayNames[wd];
            d.holiday = p.holiday == "Holiday" ? "1" : "0";
            d.shift = slotFor(e.shift, p);
            if (d.shift) {
                const auto row = t.shifts.find(*d.shift);
                if (row != t.shifts.end()) {
                    d.inTime = row->second[static_cast<std::size_t>(2 * wd)].value_or("00:00:00");
                    d.outTime = row->second[static_cast<std::size_t>(2 * wd + 1)].value_or("00:00:00");
                }
            }
            t.register_.push_back(d);
        }
    }
    std::stable_sort(t.register_.begin(), t.register_.end(), [](const Day& a, const Day& b) {
        return a.employee != b.employee ? a.employee < b.employee : a.day < b.day;
    });
}

bool hasNumber(const Clocking& c, const Employee& e) { return c.numberId == e.mobileId || c.numberId == e.payrollId; }

/// A clocking belongs to the employee whose number it carries, unless another employee has
/// that number too.
bool belongs(const Tables& t, const Clocking& c, const Employee& e)
{
    return hasNumber(c, e) && t.shared.count(c.numberId) == 0;
}

/// The shift's start and end moments of a day with a slot.
std::pair<std::int64_t, std::int64_t> moments(const Day& day)
{
    const std::int64_t in = day.inTime ? timeMs(*day.inTime) : 0;
    const std::int64_t out = day.outTime ? timeMs(*day.outTime) : 0;
    return {day.day * kDayMs + in, out > in ? day.day * kDayMs + out : (day.day + 1) * kDayMs + out};
}

/// Whether the day's rules take the clocking (an IN or an OUT only).
bool takes(const Day& day, const Clocking& c, const Employee& e, const Margins& margins)
{
    if (!day.shift || *day.shift <= 0 || (c.status != "IN" && c.status != "OUT"))
        return false;
    const std::int64_t slot = *day.shift;
    if (slot == 1 || slot >= 7)
        return c.day == day.day;
    const std::int64_t moment = c.day * kDayMs + c.ms;
    const auto [start, finish] = moments(day);
    const auto early = static_cast<std::int64_t>(std::llround(e.early * 3'600'000.0));
    const auto late = static_cast<std::int64_t>(std::llround(e.late * 3'600'000.0));
    if ((slot == 2 || slot == 4) && c.day == day.day - 1 && start - early <= moment && moment < start)
        return true;
    if ((slot == 3 || slot == 5 || slot == 6) && c.day == day.day + 1 && finish < moment && moment <= finish + late)
        return true;
    return start - margins.earlyMs <= moment && moment <= finish + margins.lateMs;
}

/// An IN's distance from the day's start, an OUT's from its end.
std::int64_t distance(const Day& day, const Clocking& c)
{
    const auto [start, finish] = moments(day);
    return std::llabs(c.day * kDayMs + c.ms - (c.status == "IN" ? start : finish));
}

/// IN: the first pair with neither time; OUT: the first empty Out. True when placed (also
/// when no field was left).
bool put(Day& day, const Clocking& c, Tally& tally)
{
    if (c.status == "IN") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.pairs[2 * n] && !day.pairs[2 * n + 1]) {
                day.pairs[2 * n] = c.ms;
                return true;
            }
        ++tally.dropped;
        return true;
    }
    if (c.status == "OUT") {
        for (std::size_t n = 0; n < 5; ++n)
            if (!day.pairs[2 * n + 1]) {
                day.pairs[2 * n + 1] = c.ms;
                return true;
            }
        ++tally.dropped;
        return true;
    }
    ++tally.otherStatus;
    return false;
}

/// Offers the clocking to the employee's k-th register day.
bool offer(Tables& t, const std::vector<std::size_t>& days, std::size_t k, const Clocking& c, const Employee& e,
           const Margins& margins, Tally& tally)
{
    Day& day = t.register_[days[k]];
    if (!day.shift || *day.shift <= 0)
        return false;
    // A clocking is placed in one day only: another day of the employee that takes it and
    // lies nearer to it (the earlier on a tie) gets it instead.
    if (takes(day, c, e, margins))
        for (std::size_t other = 0; other < days.size(); ++other) {
            const Day& d = t.register_[days[other]];
            if (other == k || !takes(d, c, e, margins))
                continue;
            const std::int64_t mine = distance(day, c);
            const std::int64_t theirs = distance(d, c);
            if (theirs < mine || (theirs == mine && other < k)) {
                ++tally.toNearerDay;
                return false;
            }
        }
    const std::int64_t slot = *day.shift;
    if (slot == 1 || slot >= 7) {
        if (c.day != day.day)
            return false;
        if (c.status == "OUT" && !day.pairs[0] && k > 0) {
            Day& previous = t.register_[days[k - 1]];
            for (std::size_t n = 0; n < 5; ++n)
                if (previous.pairs[2 * n] && !previous.pairs[2 * n + 1]) {
                    previous.pairs[2 * n + 1] = kNightClose;
                    day.pairs[0] = 0;
                    ++tally.carryOver;
                    break;
                }
        }
        ++tally.dayJob;
        return put(day, c, tally);
    }
    const std::int64_t moment = c.day * kDayMs + c.ms;
    const std::int64_t in = day.inTime ? timeMs(*day.inTime) : 0;
    const std::int64_t out = day.outTime ? timeMs(*day.outTime) : 0;
    const std::int64_t start = day.day * kDayMs + in;
    const std::int64_t finish = out > in ? day.day * kDayMs + out : (day.day + 1) * kDayMs + out;
    const auto early = static_cast<std::int64_t>(std::llround(e.early * 3'600'000.0));
    const auto late = static_cast<std::int64_t>(std::llround(e.late * 3'600'000.0));
    if ((slot == 2 || slot == 4) && c.day == day.day - 1 && start - early <= moment && moment < start) {
        ++tally.earlyStart;
        return put(day, c, tally);
    }
    if ((slot == 3 || slot == 5 || slot == 6) && c.day == day.day + 1 && finish < moment && moment <= finish + late) {
        ++tally.lateFinish;
        return put(day, c, tally);
    }
    if (start - margins.earlyMs <= moment && moment <= finish + margins.lateMs) {
        ++tally.within;
        return put(day, c, tally);
    }
    return false;
}

/// The whole pass: rebuild (reset), then every employee, every day of his, the whole
/// clockings table from the start position. Writes the results back and returns the log:
/// each clocking of an employee that none of his days took, the unknown numbers and the
/// days with an incomplete pair.
std::vector<std::string> pass(store::Database& db, bool reset, Tally& tally, const Margins& margins)
{
    Tables t = load(db);
    if (reset)
        rebuild(t);
    std::vector<std::string> log;

    const std::int64_t first = t.period.empty() ? 0 : dayNumber(t.period.front().date);
    std::size_t start = 0;
    if (!t.clockings.empty() && t.clockings.front().day < first - 2)
        while (start < t.clockings.size() && t.clockings[start].day < first - 1)
            ++start;
    tally.skippedAtStart += start;

    // Considered by the pass: from the start position, and in add mode the unused ones as
    // they were when the pass began.
    std::vector<char> considered(t.clockings.size(), 0);
    for (std::size_t i = start; i < t.clockings.size(); ++i)
        considered[i] = reset || t.clockings[i].used.empty() || t.clockings[i].used == "0";

    std::vector<std::string> incomplete;
    for (const Employee& e : t.employees) {
        std::vector<std::size_t> days;
        for (std::size_t i = 0; i < t.register_.size(); ++i)
            if (t.register_[i].employee == e.no)
                days.push_back(i);
        std::vector<char> offered(t.clockings.size(), 0);
        std::vector<char> taken(t.clockings.size(), 0);
        for (std::size_t k = 0; k < days.size(); ++k) {
            for (std::size_t i = start; i < t.clockings.size(); ++i) {
                Clocking& c = t.clockings[i];
                if (!belongs(t, c, e)) {
                    tally.sharedNumber += hasNumber(c, e) ? 1 : 0;
                    continue;
                }
                if (!reset && !(c.used.empty() || c.used == "0")) {
                    ++tally.passedOverUsed;
                    continue;
                }
                offered[i] = 1;
                if (offer(t, days, k, c, e, margins, tally)) {
                    c.used = "1";
                    c.placed = true;
                    taken[i] = 1;
                    if (c.number.empty())
                        ++tally.byEmptyNumber;
                    else if (c.number == e.payroll)
                        ++tally.byPayrollNo;
                }
            }
        }
        for (std::size_t i = start; i < t.clockings.size(); ++i)
            if (offered[i] && !taken[i])
                log.push_back(t.clockings[i].logText);
        for (const std::size_t k : days) {
            const Day& d = t.register_[k];
            std::string pairs;
            int count = 0;
            for (std::size_t n = 0; n < 5; ++n)
                if (d.pairs[2 * n].has_value() != d.pairs[2 * n + 1].has_value()) {
                    pairs += (count++ ? ", " : "") + std::to_string(n + 1);
                }
            if (count > 0)
                incomplete.push_back(std::to_string(e.no) + " - " + e.name + " - " + dateText(d.date) + " - "
                                     + (count == 1 ? "pair " : "pairs ") + pairs);
        }
    }

    // Numbers of no employee, in text order, with their count and first and last moment.
    std::map<std::string, std::vector<const Clocking*>> strangers;
    for (std::size_t i = start; i < t.clockings.size(); ++i) {
        const Clocking& c = t.clockings[i];
        const bool known =
            std::any_of(t.employees.begin(), t.employees.end(), [&](const Employee& e) { return hasNumber(c, e); });
        if (considered[i] && !known)
            strangers[c.number].push_back(&c);
    }
    if (!strangers.empty()) {
        log.push_back("Clock numbers that match no employee:");
        for (const auto& [number, list] : strangers) {
            std::string line = (number.empty() ? std::string("(no number)") : number) + " - "
                               + std::to_string(list.size()) + (list.size() == 1 ? " clocking" : " clockings") + " - "
                               + whenText(list.front()->date, list.front()->time);
            if (list.size() > 1)
                line += " to " + whenText(list.back()->date, list.back()->time);
            log.push_back(line);
        }
    }
    if (!t.shared.empty()) {
        log.push_back("Clock numbers that more than one employee has (their clockings are placed for none of them):");
        std::map<std::string, int> byText; // listed in the order of the numbers' texts
        for (const auto& [id, list] : t.shared)
            byText[list.front()->mobileId == id ? list.front()->mobile : list.front()->payroll] = id;
        for (const auto& [number, id] : byText) {
            const std::vector<const Employee*>& list = t.shared.at(id);
            std::string line = number + " - ";
            for (std::size_t n = 0; n < list.size(); ++n)
                line += (n ? ", " : "") + std::to_string(list[n]->no) + " " + list[n]->name;
            std::size_t held = 0;
            for (std::size_t i = start; i < t.clockings.size(); ++i)
                held += considered[i] && t.clockings[i].numberId == id ? 1 : 0;
            log.push_back(line + " - " + std::to_string(held) + (held == 1 ? " clocking" : " clockings")
                          + " not placed");
        }
    }
    if (!incomplete.empty()) {
        log.push_back("Register days with an incomplete pair:");
        log.insert(log.end(), incomplete.begin(), incomplete.end());
    }
    save(db, t, reset);
    return log;
}

} // namespace reference
