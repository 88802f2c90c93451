#include "bench/cursorpass.h"

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/regional.h"
#include "core/services.h"
#include "register/build.h"
#include "store/tables.h"

namespace bench {

namespace {

constexpr std::int64_t kDay = core::kMsPerDay;
const char* const kIn[] = {"In1", "In2", "In3", "In4", "In5"};
const char* const kOut[] = {"Out1", "Out2", "Out3", "Out4", "Out5"};

/// Places an IN or OUT in the register cursor's current day; false for any other status.
bool place(store::Cursor& a, const std::string& status, core::DateTime t)
{
    if (status == "IN") {
        for (int n = 0; n < 5; ++n)
            if (a.isNull(kIn[n]) && a.isNull(kOut[n])) {
                a.edit();
                a.setValue(kIn[n], core::Value::time(t));
                a.post();
                break;
            }
        return true;
    }
    if (status == "OUT") {
        for (int n = 0; n < 5; ++n)
            if (a.isNull(kOut[n])) {
                a.edit();
                a.setValue(kOut[n], core::Value::time(t));
                a.post();
                break;
            }
        return true;
    }
    return false;
}

/// The rules of one register day, read from the register cursor's row.
struct DayRule {
    std::int64_t d = 0;
    std::int64_t ti = 0;
    std::int64_t to = 0;
    std::int64_t slot = 0;
};

DayRule ruleOf(const store::Cursor& a)
{
    return {static_cast<std::int64_t>(core::dateOf(a.asDateTime("Date"))), core::timeToMs(a.asDateTime("INTime")),
            core::timeToMs(a.asDateTime("OUTTime")), a.asInteger("Shift")};
}

/// Whether the day's rules take an IN or OUT dated dc at tm.
bool takes(const DayRule& r, std::int64_t dc, std::int64_t tm, const std::string& s, std::int64_t early,
           std::int64_t late)
{
    if (s != "IN" && s != "OUT")
        return false;
    if (r.slot == 1 || r.slot >= 7)
        return dc == r.d;
    if (r.slot < 2)
        return false;
    const std::int64_t clock = dc * kDay + tm;
    const std::int64_t start = r.d * kDay + r.ti;
    const std::int64_t end = r.to > r.ti ? r.d * kDay + r.to : (r.d + 1) * kDay + r.to;
    if ((r.slot == 2 || r.slot == 4) && dc == r.d - 1 && start - early <= clock && clock < start)
        return true;
    if ((r.slot == 3 || r.slot == 5 || r.slot == 6) && dc == r.d + 1 && end < clock && clock <= end + late)
        return true;
    return start <= clock && clock <= end;
}

/// An IN's distance from the day's start, an OUT's from its end.
std::int64_t distance(const DayRule& r, std::int64_t dc, std::int64_t tm, const std::string& s)
{
    const std::int64_t clock = dc * kDay + tm;
    const std::int64_t start = r.d * kDay + r.ti;
    const std::int64_t end = r.to > r.ti ? r.d * kDay + r.to : (r.d + 1) * kDay + r.to;
    return std::llabs(clock - (s == "IN" ? start : end));
}

} // namespace

std::vector<std::string> cursorWalkPass(store::Database& db, store::Tables& t, core::WindowServices& ui,
                                        const core::Regional& regional)
{
    std::vector<std::string> log;
    registers::ResetAttRegister(db, ui);
    for (store::Cursor* c : {&t.EmployeeTable, &t.AttendanceTable, &t.ClkdataTable}) {
        c->invalidateCache();
        c->refresh();
    }
    store::Cursor& e = t.EmployeeTable;
    store::Cursor& a = t.AttendanceTable;
    store::Cursor& c = t.ClkdataTable;
    t.PeriodTable.first();
    const std::int64_t first = static_cast<std::int64_t>(core::dateOf(t.PeriodTable.asDateTime("Date")));
    // The moment of the clocking under the cursor as the log shows it.
    auto when = [&](std::int64_t dc, core::DateTime time) {
        std::string text = regional.formatDate(static_cast<double>(dc));
        if (core::timeToMs(time) != 0)
            text += " " + regional.formatTime(time);
        return text;
    };
    std::set<std::string> known;
    // The numbers two or more employees have: placed for none of them.
    std::map<std::string, std::vector<std::string>> owners;
    for (e.first(); !e.eof(); e.next()) {
        const std::string m = e.asText("MobileNo");
        const std::string q = e.asText("PayrollNo");
        const std::string who = std::to_string(e.asInteger("No")) + " " + e.asText("Name");
        if (!m.empty())
            owners[m].push_back(who);
        if (!q.empty() && q != m)
            owners[q].push_back(who);
    }
    std::map<std::string, std::vector<std::string>> shared;
    for (const auto& [number, who] : owners)
        if (who.size() > 1)
            shared[number] = who;
    std::vector<std::string> incomplete;
    for (e.first(); !e.eof(); e.next()) {
        const std::string m = e.asText("MobileNo");
        const std::string q = e.asText("PayrollNo");
        known.insert(m);
        known.insert(q);
        // This employee's clockings by Inc in the order the walk met them, with their line
        // and whether a day took them.
        std::vector<std::int64_t> met;
        std::map<std::int64_t, std::pair<std::string, bool>> seen;
        const std::int64_t early = std::llround(e.asReal("WorkEarly") * 3'600'000.0);
        const std::int64_t late = std::llround(e.asReal("WorkLate") * 3'600'000.0);
        bool firstDay = true;
        for (a.first(); !a.eof(); a.next()) {
            const std::int64_t d = static_cast<std::int64_t>(core::dateOf(a.asDateTime("Date")));
            const std::int64_t ti = core::timeToMs(a.asDateTime("INTime"));
            const std::int64_t to = core::timeToMs(a.asDateTime("OUTTime"));
            const std::int64_t slot = a.asInteger("Shift");
            // The neighbouring days, which may take the same clocking: it goes to the nearer.
            std::optional<DayRule> before;
            std::optional<DayRule> after;
            if (!firstDay) {
                a.prior();
                before = ruleOf(a);
                a.next();
            }
            a.next();
            if (!a.eof()) {
                after = ruleOf(a);
                a.prior();
            } else {
                a.last();
            }
            const DayRule here = ruleOf(a);
            c.first();
            if (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 2)
                while (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 1)
                    c.next();
            for (; !c.eof(); c.next()) {
                const std::string k = c.asText("MobileNo");
                if ((k != m && k != q) || shared.count(k))
                    continue;
                const std::int64_t dc = static_cast<std::int64_t>(core::dateOf(c.asDateTime("Date")));
                const core::DateTime time = c.asDateTime("Time");
                const std::int64_t tm = core::timeToMs(time);
                const std::string s = c.asText("Status");
                bool placed = false;
                bool nearer = false;
                if (takes(here, dc, tm, s, early, late)) {
                    const std::int64_t mine = distance(here, dc, tm, s);
                    nearer = (before && takes(*before, dc, tm, s, early, late) && distance(*before, dc, tm, s) <= mine)
                             || (after && takes(*after, dc, tm, s, early, late) && distance(*after, dc, tm, s) < mine);
                }
                if (nearer) {
                    // Another day takes it.
                } else if ((slot == 1 || slot >= 7) && dc == d) {
                    if (s == "OUT" && a.isNull("In1") && !firstDay) {
                        a.prior();
                        bool closed = false;
                        for (int n = 0; n < 5 && !closed; ++n)
                            if (!a.isNull(kIn[n]) && a.isNull(kOut[n])) {
                                a.edit();
                                a.setValue(kOut[n], core::Value::time(0.9996));
                                a.post();
                                closed = true;
                            }
                        a.next();
                        if (closed) {
                            a.edit();
                            a.setValue("In1", core::Value::time(0));
                            a.post();
                        }
                    }
                    placed = place(a, s, time);
                } else if (slot >= 2 && slot <= 6) {
                    const std::int64_t clock = dc * kDay + tm;
                    const std::int64_t start = d * kDay + ti;
                    const std::int64_t end = to > ti ? d * kDay + to : (d + 1) * kDay + to;
                    if ((slot == 2 || slot == 4) && dc == d - 1 && start - early <= clock && clock < start)
                        placed = place(a, s, time);
                    if (!placed && (slot == 3 || slot == 5 || slot == 6) && dc == d + 1 && end < clock
                        && clock <= end + late)
                        placed = place(a, s, time);
                    if (!placed && start <= clock && clock <= end)
                        placed = place(a, s, time);
                }
                const std::int64_t inc = c.asInteger("Inc");
                auto [it, fresh] = seen.try_emplace(inc, k + " - " + when(dc, time) + " - " + s, false);
                if (fresh)
                    met.push_back(inc);
                if (placed) {
                    it->second.second = true;
                    c.edit();
                    c.setInteger("Used", 1);
                    c.post();
                }
            }
            firstDay = false;
        }
        for (const std::int64_t inc : met)
            if (!seen[inc].second)
                log.push_back(seen[inc].first);
        for (a.first(); !a.eof(); a.next()) {
            std::string pairs;
            int count = 0;
            for (int n = 0; n < 5; ++n)
                if (a.isNull(kIn[n]) != a.isNull(kOut[n]))
                    pairs += (count++ ? ", " : "") + std::to_string(n + 1);
            if (count > 0)
                incomplete.push_back(std::to_string(e.asInteger("No")) + " - " + e.asText("Name") + " - "
                                     + regional.formatDate(a.asDateTime("Date")) + " - "
                                     + (count == 1 ? "pair " : "pairs ") + pairs);
        }
    }
    struct Stranger {
        int count = 0;
        std::string first;
        std::string last;
    };
    std::map<std::string, Stranger> strangers;
    c.first();
    if (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 2)
        while (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 1)
            c.next();
    for (; !c.eof(); c.next()) {
        const std::string k = c.asText("MobileNo");
        if (known.count(k))
            continue;
        Stranger& st = strangers[k];
        const std::string moment =
            when(static_cast<std::int64_t>(core::dateOf(c.asDateTime("Date"))), c.asDateTime("Time"));
        if (st.count++ == 0)
            st.first = moment;
        st.last = moment;
    }
    if (!strangers.empty()) {
        log.push_back("Clock numbers that match no employee:");
        for (const auto& [number, st] : strangers)
            log.push_back(
                (number.empty() ? std::string("(no number)") : number) + " - " + std::to_string(st.count)
                + (st.count == 1 ? " clocking - " + st.first : " clockings - " + st.first + " to " + st.last));
    }
    if (!shared.empty()) {
        log.push_back("Clock numbers that more than one employee has (their clockings are placed for none of them):");
        for (const auto& [number, who] : shared) {
            int held = 0;
            c.first();
            if (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 2)
                while (!c.eof() && core::dateOf(c.asDateTime("Date")) < first - 1)
                    c.next();
            for (; !c.eof(); c.next())
                held += c.asText("MobileNo") == number ? 1 : 0;
            std::string line = number + " - ";
            for (std::size_t i = 0; i < who.size(); ++i)
                line += (i ? ", " : "") + who[i];
            log.push_back(line + " - " + std::to_string(held) + (held == 1 ? " clocking" : " clockings")
                          + " not placed");
        }
    }
    if (!incomplete.empty()) {
        log.push_back("Register days with an incomplete pair:");
        log.insert(log.end(), incomplete.begin(), incomplete.end());
    }
    return log;
}

} // namespace bench
