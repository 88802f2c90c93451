#include "bench/generate.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/datetime.h"
#include "register/build.h"
#include "store/connection.h"
#include "store/sqlite.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

constexpr int kDays = 31;
const core::DateTime kFirstDay = 46082; // 1 March 2026

struct Employee {
    int no;
    int shift;
    bool flexi;
    bool scanner;
    std::string mobile;
    std::string payroll;
    std::string name;
};

struct Slot {
    int start; ///< minutes of the day
    int end;
};

/// Slot times Monday to Saturday; Sunday only for the shifts (the day job has no Sunday).
Slot slotTimes(int slot, int dow)
{
    switch (slot) {
    case 1: return dow == 7 ? Slot{8 * 60, 13 * 60} : Slot{8 * 60, 17 * 60};
    case 2: return {6 * 60, 18 * 60};
    case 3: return {18 * 60, 6 * 60};
    case 4: return {6 * 60, 14 * 60};
    case 5: return {14 * 60, 22 * 60};
    default: return {22 * 60, 6 * 60};
    }
}

std::string two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string hhmm(int minutes) { return two(minutes / 60) + ":" + two(minutes % 60) + ":00"; }

struct Clock {
    core::DateTime day;
    int second; ///< seconds of the day
    std::string number;
    bool in;
};

std::string phoneLine(const Clock& c, std::mt19937& rng)
{
    const core::Ymd d = core::decodeDate(c.day);
    std::uniform_int_distribution<int> off(-40, 40);
    const double lat = -33.866 + off(rng) / 100000.0;
    const double lon = 18.623 + off(rng) / 100000.0;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s,%04d/%02d/%02d %02d:%02d:%02d,%s,%.5f,%.5f", c.number.c_str(), d.year, d.month,
                  d.day, c.second / 3600, c.second / 60 % 60, c.second % 60, c.in ? "IN" : "OUT", lat, lon);
    return buf;
}

std::string scannerLine(const Clock& c)
{
    const core::Ymd d = core::decodeDate(c.day);
    char buf[160];
    std::snprintf(buf, sizeof buf, "%9s\t%04d-%02d-%02d %02d:%02d:%02d\t1\t%d\t1\t0", c.number.c_str(), d.year, d.month,
                  d.day, c.second / 3600, c.second / 60 % 60, c.second % 60, c.in ? 0 : 1);
    return buf;
}

} // namespace

SiteSize siteSize(const std::string& name)
{
    if (name == "M")
        return {200, 6};
    if (name == "L")
        return {2000, 60};
    if (name == "XL")
        return {10000, 12}; // a big site: a year of monthly periods
    if (name == "S")
        return {20, 2};
    throw std::invalid_argument("size must be S, M, L or XL, not " + name);
}

GeneratedSite generateSite(const fs::path& home, const SiteSize& size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    fs::create_directories(home);
    for (const char* f : {"tallix.db", "tallix.db-wal", "tallix.db-shm"})
        fs::remove(home / f);
    GeneratedSite site;
    site.home = home;
    site.postedPeriods = size.postedPeriods;
    site.firstPostedPeriod = 1;

    {
        std::ofstream ini(home / "SetupValues.ini", std::ios::binary | std::ios::trunc);
        ini << "[LUNCH]\nMINUTES_BREAK=60\nMIN_HOURS=5\n\n[OVERTIME]\nSPELING=10\nVROEG=5\nLAAT=5\n\n"
               "[FLEXITIME]\nFLEXI=1\n\n[LOCATION]\nLATITUDE=-33.866\nLONGITUDE=18.623\n\n"
               "[STARTINGSHIFT]\nTWO_SHIFT_DAY=0\nTHREE_SHIFT_DAY=0\n\n[FILEDATE]\nYEAR=2026\nMONTH=3\nDAY=31\nTELLER="
               "1\n\n"
               "[PERIOD]\nNUMBER="
            << size.postedPeriods + 1 << "\n";
        std::ofstream def(home / "TallixServer.ini", std::ios::binary | std::ios::trunc);
        def << "[TallixServer]\nDatabase=tallix.db\n";
    }

    // Employees of every kind: fixed and flexitime day jobs, two- and three-shift groups;
    // one in ten clocks on the fingerprint scanner with a numeric payroll number.
    std::vector<Employee> employees;
    for (int i = 1; i <= size.employees; ++i) {
        const int kind = i % 10;
        Employee e;
        e.no = i;
        e.shift = kind <= 5 ? 1 : kind <= 7 ? 2 + (i / 10) % 2 : 4 + (i / 10) % 3;
        e.flexi = kind == 4 || kind == 5;
        e.scanner = kind == 3;
        e.mobile = "08" + std::to_string(20000000 + i * 37);
        e.payroll = e.scanner ? std::to_string(70000 + i) : "P" + std::to_string(10000 + i);
        e.name = "Employee " + std::to_string(i);
        employees.push_back(e);
    }

    auto db = store::openDatabase(home / "tallix.db");
    store::Transaction tx(*db);
    {
        store::Statement st(*db,
                            "INSERT INTO Employee (No, Name, MobileNo, PayrollNo, FlexiTime, ShiftNo, Lat, Lon, "
                            "Lunch, HrsBefore, WorkEarly, WorkLate, Play) VALUES (?, ?, ?, ?, ?, ?, -33.866, 18.623, "
                            "60, 5, 5, 5, 10)");
        for (const Employee& e : employees) {
            st.bind(1, e.no);
            st.bind(2, std::string_view(e.name));
            st.bind(3, std::string_view(e.mobile));
            st.bind(4, std::string_view(e.payroll));
            st.bind(5, std::string_view(e.flexi ? "YES" : "NO"));
            st.bind(6, e.shift);
            st.run();
        }
        static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        for (int slot = 1; slot <= 6; ++slot) {
            std::string cols = "No";
            std::string vals = std::to_string(slot);
            for (int d = 1; d <= 7; ++d) {
                if (slot == 1 && d == 1)
                    continue; // no Sunday times for the day job
                const Slot t = slotTimes(slot, d);
                cols += std::string(", ") + days[d - 1] + "_TI, " + days[d - 1] + "_TO";
                vals += ", '" + hhmm(t.start) + "', '" + hhmm(t.end) + "'";
            }
            db->exec("INSERT INTO Shifts (" + cols + ") VALUES (" + vals + ")");
        }
    }

    // The calendar: 31 days from Sunday 1 March 2026, two holidays, the weekly rotation.
    struct Day {
        core::DateTime date;
        int shift2, shift3;
        bool holiday;
    };
    std::vector<Day> calendar;
    {
        int a = 2;
        int b = 4;
        store::Statement st(*db, "INSERT INTO Period (Date, ShiftNo, Shift2, Shift3, Holiday) VALUES (?, 1, ?, ?, ?)");
        for (int i = 0; i < kDays; ++i) {
            const core::DateTime d = kFirstDay + i;
            const bool holiday = i == 20 || i == 26;
            calendar.push_back({d, a, b, holiday});
            st.bind(1, std::string_view(core::toIsoDate(d)));
            st.bind(2, a);
            st.bind(3, b);
            if (holiday)
                st.bind(4, std::string_view("Holiday"));
            else
                st.bindNull(4);
            st.run();
            if (core::dayOfWeek(d) == 1) {
                a = a == 2 ? 3 : 2;
                b = b == 4 ? 5 : b == 5 ? 6 : 4;
            }
        }
    }

    // Clockings: four a working day with a few minutes of jitter, 5% doubles within two
    // minutes, some outside the period, some unknown numbers.
    std::vector<Clock> phone;
    std::vector<Clock> extra;
    std::vector<Clock> scanner;
    std::uniform_int_distribution<int> jitter(-420, 420);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> within(5, 115);
    for (const Employee& e : employees) {
        for (int i = -2; i < kDays; ++i) {
            const core::DateTime d = kFirstDay + i;
            const Day& cal = calendar[static_cast<std::size_t>(std::max(0, i))];
            const int dow = core::dayOfWeek(d);
            const auto slot = registers::slotFor(e.shift, 1, cal.shift2, cal.shift3);
            if (!slot || (*slot == 1 && dow == 1) || percent(rng) < 8)
                continue; // day off
            const Slot t = slotTimes(*slot, dow);
            const int start = t.start * 60 + jitter(rng);
            int end = t.end * 60 + jitter(rng);
            if (t.end <= t.start)
                end += 86400;
            const int middle = (start + end) / 2;
            std::vector<std::pair<int, bool>> times{
                {start, true}, {middle - 900, false}, {middle + 900, true}, {end, false}};
            for (auto [sec, in] : times) {
                core::DateTime day = d;
                int s = sec;
                while (s < 0) {
                    s += 86400;
                    day -= 1;
                }
                while (s >= 86400) {
                    s -= 86400;
                    day += 1;
                }
                Clock c{day, s, e.scanner ? e.payroll : e.mobile, in};
                auto& target = e.scanner ? scanner : (i == kDays - 1 ? extra : phone);
                target.push_back(c);
                if (percent(rng) < 5) {
                    Clock again = c;
                    again.second = std::min(86399, c.second + within(rng));
                    target.push_back(again);
                }
            }
        }
    }
    for (int i = 0; i < size.employees; ++i) // unknown phones
        phone.push_back({kFirstDay + i % kDays, 8 * 3600 + i, "0899" + std::to_string(1000000 + i), true});
    auto byMoment = [](const Clock& x, const Clock& y) {
        return x.day != y.day ? x.day < y.day : x.second != y.second ? x.second < y.second : x.number < y.number;
    };
    std::sort(phone.begin(), phone.end(), byMoment);
    std::sort(extra.begin(), extra.end(), byMoment);
    std::sort(scanner.begin(), scanner.end(), byMoment);
    site.phoneFile = home / "clockdata.txt";
    site.extraDayFile = home / "clockdata_lastday.txt";
    site.scannerFile = home / "scanner.dat";
    {
        std::ofstream out(site.phoneFile, std::ios::binary | std::ios::trunc);
        for (const Clock& c : phone)
            out << phoneLine(c, rng) << "\r\n";
        std::ofstream more(site.extraDayFile, std::ios::binary | std::ios::trunc);
        for (const Clock& c : extra)
            more << phoneLine(c, rng) << "\r\n";
        std::ofstream scan(site.scannerFile, std::ios::binary | std::ios::trunc);
        for (const Clock& c : scanner)
            scan << scannerLine(c) << "\r\n";
    }
    site.phoneLines = static_cast<int>(phone.size());
    site.extraLines = static_cast<int>(extra.size());
    site.scannerLines = static_cast<int>(scanner.size());

    // The posted history: one 31-day period per month before this one.
    {
        store::Statement per(*db, "INSERT INTO PerHistory (Period, StartDate, EndDate) VALUES (?, ?, ?)");
        store::Statement sum(*db,
                             "INSERT INTO Summaries (Period, StartDate, EndDate, Employee, NT, OT1, OT2, HT, "
                             "FullHours, Lunch, HrsBeforeLunch, EarlyWork, LateWork, Play, Shift, FlexiTime, Name, "
                             "PayrollNo, MobileNo) VALUES (?, ?, ?, ?, ?, ?, 0, ?, ?, 60, 5, 5, 5, 10, ?, ?, ?, ?, ?)");
        store::Statement hist(*db,
                              "INSERT INTO History (Date, EmployeeNo, Name, PayrollNo, HrsIN, NT, OT1, OT2, Ht, "
                              "NHrs, Shift, In1, Out1, In2, Out2, In3, Out3, In4, Out4, In5, Out5, Period, DOW, "
                              "Holiday, INTime, OUTTime, Report, MobileNo) VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, 9, ?, "
                              "'07:58:00', '12:30:00', '13:00:00', '17:04:00', '00:00:00', '00:00:00', '00:00:00', "
                              "'00:00:00', '00:00:00', '00:00:00', ?, ?, 0, '08:00:00', '17:00:00', 0, ?)");
        for (int p = 1; p <= size.postedPeriods; ++p) {
            const core::DateTime start = kFirstDay - 31.0 * (size.postedPeriods - p + 1);
            const std::string s = core::toIsoDate(start);
            const std::string e = core::toIsoDate(start + kDays - 1);
            per.bind(1, p);
            per.bind(2, std::string_view(s));
            per.bind(3, std::string_view(e));
            per.run();
            for (const Employee& emp : employees) {
                sum.bind(1, p);
                sum.bind(2, std::string_view(s));
                sum.bind(3, std::string_view(e));
                sum.bind(4, emp.no);
                sum.bind(5, 176.0);
                sum.bind(6, 4.5);
                sum.bind(7, 8.0);
                sum.bind(8, 184.0);
                sum.bind(9, emp.shift);
                sum.bind(10, std::string_view(emp.flexi ? "YES" : "NO"));
                sum.bind(11, std::string_view(emp.name));
                sum.bind(12, std::string_view(emp.payroll));
                sum.bind(13, std::string_view(emp.mobile));
                sum.run();
                for (int i = 0; i < kDays; ++i) {
                    const core::DateTime d = start + i;
                    hist.bind(1, std::string_view(core::toIsoDate(d)));
                    hist.bind(2, emp.no);
                    hist.bind(3, std::string_view(emp.name));
                    hist.bind(4, std::string_view(emp.payroll));
                    hist.bind(5, 8.6);
                    hist.bind(6, 7.5);
                    hist.bind(7, 0.1);
                    hist.bind(8, emp.shift == 1 ? 1 : 2);
                    hist.bind(9, p);
                    hist.bind(10, core::weekdayName(core::dayOfWeek(d)));
                    hist.bind(11, std::string_view(emp.mobile));
                    hist.run();
                    ++site.historyRows;
                }
            }
        }
    }
    tx.commit();
    db->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return site;
}

} // namespace bench
