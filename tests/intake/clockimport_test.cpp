#include "intake/clockimport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/error.h"
#include "core/filecounter.h"
#include "core/regional.h"
#include "core/services.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using Mode = intake::PhoneRules::Mode;
using testsupport::FakeServices;

const std::filesystem::path kDataDir = std::filesystem::path(__FILE__).parent_path() / "data";

/// One ClkData row as stored.
struct Clocking {
    std::int64_t inc = 0;
    std::string date;
    std::string time;
    std::string mobile;
    std::optional<std::string> name;
    std::string status;
    std::optional<std::string> distance;
    std::optional<double> lat;
    std::optional<double> lon;
    std::optional<std::int64_t> used;
};

/// The columns a scanner import fills, for comparing whole lists.
struct Punch {
    std::string mobile;
    std::string date;
    std::string time;
    std::string status;
    std::string name; ///< empty for no name
    friend bool operator==(const Punch&, const Punch&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Punch& p)
    {
        return os << "{'" << p.mobile << "' " << p.date << " " << p.time << " " << p.status << " '" << p.name << "'}";
    }
};

std::string modeName(Mode m) { return m == Mode::All ? "All" : "New"; }

/// A memory store with the cursors open, a pay period, and the two import commands at hand.
class IntakeTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Cursor& clk = s.tables->ClkdataTable;
    store::Cursor& employees = s.tables->EmployeeTable;
    FakeServices ui;
    testsupport::TempDir dir;
    core::Regional regional = testsupport::usRegional();
    std::string defaultLat = "0";
    std::string defaultLon = "0";

    void SetUp() override { s.tables->openAll(); }

    /// Period days from the first to the last date, both included.
    void addPeriod(core::DateTime first, core::DateTime last)
    {
        store::Statement ins(*s.db, "INSERT INTO Period (Date, ShiftNo) VALUES (?, 1)");
        for (core::DateTime d = first; d <= last; d += 1) {
            ins.bind(1, std::string_view(core::toIsoDate(d)));
            ins.run();
        }
        s.tables->PeriodTable.refresh();
    }

    void addEmployee(int no, const std::string& name, const std::string& mobile, std::optional<double> lat = {},
                     std::optional<double> lon = {})
    {
        store::Statement ins(*s.db, "INSERT INTO Employee (No, Name, MobileNo, Lat, Lon) VALUES (?, ?, ?, ?, ?)");
        ins.bind(1, no);
        ins.bind(2, std::string_view(name));
        ins.bind(3, std::string_view(mobile));
        if (lat)
            ins.bind(4, *lat);
        else
            ins.bindNull(4);
        if (lon)
            ins.bind(5, *lon);
        else
            ins.bindNull(5);
        ins.run();
        employees.refresh();
    }

    void addClocking(const std::string& date, const std::string& time, const std::string& mobile,
                     const std::string& status = "IN")
    {
        store::Statement ins(*s.db, "INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES (?, ?, ?, ?, 0)");
        ins.bind(1, std::string_view(date));
        ins.bind(2, std::string_view(time));
        ins.bind(3, std::string_view(mobile));
        ins.bind(4, std::string_view(status));
        ins.run();
        clk.refresh();
    }

    std::vector<Clocking> clockings()
    {
        std::vector<Clocking> out;
        store::Statement st(*s.db, "SELECT Inc, Date, Time, MobileNo, Name, Status, Distance, Lat, Lon, Used "
                                   "FROM ClkData ORDER BY Inc");
        while (st.step()) {
            Clocking c;
            c.inc = st.columnInt(0);
            c.date = st.columnText(1);
            c.time = st.columnText(2);
            c.mobile = st.columnText(3);
            if (!st.isNull(4))
                c.name = st.columnText(4);
            c.status = st.columnText(5);
            if (!st.isNull(6))
                c.distance = st.columnText(6);
            if (!st.isNull(7))
                c.lat = st.columnReal(7);
            if (!st.isNull(8))
                c.lon = st.columnReal(8);
            if (!st.isNull(9))
                c.used = st.columnInt(9);
            out.push_back(c);
        }
        return out;
    }

    std::vector<std::string> storedNumbers()
    {
        std::vector<std::string> out;
        for (const Clocking& c : clockings())
            out.push_back(c.mobile);
        return out;
    }

    std::vector<Punch> punches()
    {
        std::vector<Punch> out;
        for (const Clocking& c : clockings())
            out.push_back({c.mobile, c.date, c.time, c.status, c.name.value_or("")});
        return out;
    }

    intake::IntakeContext context() { return {*s.db, ui, regional, defaultLat, defaultLon, std::nullopt}; }

    /// Runs an import as its command does: the clockings cursor read afresh and on its first
    /// row afterwards, the employee cursor on the last employee found.
    template <typename R>
    R run(R (*import)(intake::IntakeContext&, Mode), Mode mode)
    {
        return run([&](intake::IntakeContext& c) { return import(c, mode); });
    }
    template <typename F>
    auto run(F&& import) -> decltype(import(std::declval<intake::IntakeContext&>()))
    {
        return testsupport::asCommand(s, ui, {{store::Table::Clkdata}, {store::Table::Clkdata}}, [&] {
            auto c = context();
            decltype(import(c)) result{};
            intake::leavingEmployeeFound(employees, c, [&](intake::IntakeContext& ctx) { result = import(ctx); });
            return result;
        });
    }

    /// Writes a clock-data file and runs the phone import on it.
    std::filesystem::path importPhone(const std::string& text, Mode mode, const std::string& name = "TallixData.txt")
    {
        const auto file = dir / name;
        testsupport::writeFile(file, text);
        ui.openFiles.push_back(file);
        run(intake::importClockData, mode);
        return file;
    }

    /// The message of the error the phone import ends with; empty when it ends without one.
    std::string importPhoneError(const std::string& text, Mode mode, std::filesystem::path* file = nullptr)
    {
        try {
            const auto f = importPhone(text, mode);
            if (file)
                *file = f;
        } catch (const core::Error& e) {
            if (file)
                *file = dir / "TallixData.txt";
            return e.what();
        }
        return {};
    }
};

core::DateTime day(int y, int m, int d) { return core::encodeDate(y, m, d); }

// =============================================================================================
// Phone clock data

/// The pay period 1 to 7 April 2024: lines of 31 March to 8 April are imported.
class PhoneImportTest : public IntakeTest {
protected:
    void SetUp() override
    {
        IntakeTest::SetUp();
        addPeriod(day(2024, 4, 1), day(2024, 4, 7));
    }
};

TEST_F(PhoneImportTest, StoresTheLineWithTheEmployeeAndDistance)
{
    addEmployee(1, "Anna Smit", "0821234567", -33.86612, 18.62301);
    importPhone("0821234567,2024/04/02 07:58:03,IN,-33.86712,18.62301\n", Mode::All);

    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 1u);
    const Clocking& r = rows[0];
    EXPECT_EQ(r.date, "2024-04-02");
    EXPECT_EQ(r.time, "07:58:03");
    EXPECT_EQ(r.mobile, "0821234567");
    EXPECT_EQ(r.name, "Anna Smit");
    EXPECT_EQ(r.status, "IN");
    ASSERT_TRUE(r.lat && r.lon);
    EXPECT_DOUBLE_EQ(*r.lat, -33.86712);
    EXPECT_DOUBLE_EQ(*r.lon, 18.62301);
    EXPECT_EQ(r.distance, "0.001");
    EXPECT_EQ(r.used, 0);

    EXPECT_EQ(ui.openTitles, std::vector<std::string>{"Get TallixData file"});
    EXPECT_EQ(ui.position, 0);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(clk.recordCount(), 1);
    EXPECT_EQ(clk.recNo(), 0);
}

TEST_F(PhoneImportTest, NumberAndStatusAreKeptAsTheyAre)
{
    importPhone("+27 82 123,2024/04/02 17:01:09,out ,1.5,2.5\r\n"
                "0821234567,2024/04/03 07:00:00,,1.5,2.5\r\n",
                Mode::All);
    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].mobile, "+27 82 123");
    EXPECT_EQ(rows[0].status, "out ");
    EXPECT_EQ(rows[0].name.value_or(""), "");
    EXPECT_EQ(rows[1].status, "");
}

// ---------------------------------------------------------------------------------------------
// Distance and its reference point

struct ReferenceCase {
    const char* what;
    Mode mode;
    bool known;                   ///< the line's number belongs to the employee
    std::optional<double> empLat; ///< the employee's position, empty when not filled in
    std::optional<double> empLon;
    const char* defLat; ///< the default clock location
    const char* defLon;
    const char* coordinates; ///< the line after the status
    const char* distance;
    double lat;
    double lon;
    friend std::ostream& operator<<(std::ostream& os, const ReferenceCase& c)
    {
        return os << c.what << " (" << modeName(c.mode) << ")";
    }
};

class ReferenceTest : public PhoneImportTest, public testing::WithParamInterface<ReferenceCase> {};

TEST_P(ReferenceTest, MeasuresFromTheRightPoint)
{
    const ReferenceCase& c = GetParam();
    addEmployee(1, "Anna Smit", "0821234567", c.empLat, c.empLon);
    defaultLat = c.defLat;
    defaultLon = c.defLon;
    const std::string number = c.known ? "0821234567" : "0829999999";
    importPhone(number + ",2024/04/02 07:58:03,IN," + c.coordinates + "\n", c.mode);

    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].distance, c.distance);
    ASSERT_TRUE(rows[0].lat && rows[0].lon);
    EXPECT_DOUBLE_EQ(*rows[0].lat, c.lat);
    EXPECT_DOUBLE_EQ(*rows[0].lon, c.lon);
    EXPECT_EQ(rows[0].name.value_or(""), c.known ? "Anna Smit" : "");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceTest,
    testing::Values(
        ReferenceCase{"employee's position", Mode::All, true, -33.8, 18.6, "0", "0", "-33.8,18.7", "0.1", -33.8, 18.7},
        ReferenceCase{"employee without a position counts as 0", Mode::All, true, std::nullopt, std::nullopt,
                      "-33.8", "18.6", "3,4", "5", 3, 4},
        ReferenceCase{"unknown number uses the default", Mode::All, false, -33.8, 18.6, "3", "0", "0,4", "5", 0, 4},
        ReferenceCase{"new data always uses the default", Mode::New, true, -33.8, 18.6, "3", "0", "0,4", "5", 0, 4},
        ReferenceCase{"employee's position needs no default", Mode::All, true, 0.0, 0.0, "not set", "", "3,4", "5",
                      3, 4},
        ReferenceCase{"default that is no number", Mode::All, false, 0.0, 0.0, "not set", "18.6", "3,4", "Unknown",
                      0, 0},
        ReferenceCase{"empty default", Mode::New, true, 0.0, 0.0, "-33.8", "", "3,4", "Unknown", 0, 0},
        ReferenceCase{"comma-decimal coordinates", Mode::All, true, 0.0, 0.0, "0", "0", "-33,86612,18,62301",
                      "Unknown", 0, 0},
        ReferenceCase{"empty coordinates", Mode::All, true, 0.0, 0.0, "0", "0", ",", "Unknown", 0, 0},
        ReferenceCase{"text for coordinates", Mode::New, true, 0.0, 0.0, "0", "0", "here,there", "Unknown", 0, 0},
        ReferenceCase{"no comma after the latitude", Mode::All, true, 0.0, 0.0, "0", "0", "-33.86612", "Unknown", 0,
                      0}));
// clang-format on

struct DefaultFormCase {
    const char* what;
    bool german; ///< the regional settings use a decimal comma
    const char* defLat;
    const char* defLon;
    const char* distance;
    friend std::ostream& operator<<(std::ostream& os, const DefaultFormCase& c) { return os << c.what; }
};

class DefaultLocationFormTest : public PhoneImportTest, public testing::WithParamInterface<DefaultFormCase> {};

TEST_P(DefaultLocationFormTest, ReadsTheDefaultTheUsersWayOrWithAPoint)
{
    const DefaultFormCase& c = GetParam();
    if (c.german)
        regional = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));
    defaultLat = c.defLat;
    defaultLon = c.defLon;
    importPhone("0821234567,2024/04/02 07:58:03,IN,-33.9,18.5\n", Mode::New);

    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].distance, c.distance);
    if (rows[0].distance != "Unknown") {
        // The coordinates on the line are read with a point whatever the regional settings.
        ASSERT_TRUE(rows[0].lat && rows[0].lon);
        EXPECT_DOUBLE_EQ(*rows[0].lat, -33.9);
        EXPECT_DOUBLE_EQ(*rows[0].lon, 18.5);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Forms, DefaultLocationFormTest,
                         testing::Values(DefaultFormCase{"comma with decimal comma", true, "-33,8", "18,5", "0.1"},
                                         DefaultFormCase{"point with decimal comma", true, "-33.8", "18.5", "0.1"},
                                         DefaultFormCase{"point with decimal point", false, "-33.8", "18.5", "0.1"},
                                         DefaultFormCase{"comma with decimal point", false, "-33,8", "18,5",
                                                         "Unknown"}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// The employee a number belongs to

struct MatchCase {
    const char* number;
    const char* name; ///< empty: no employee
    friend std::ostream& operator<<(std::ostream& os, const MatchCase& c) { return os << '\'' << c.number << '\''; }
};

class EmployeeMatchTest : public PhoneImportTest, public testing::WithParamInterface<MatchCase> {};

TEST_P(EmployeeMatchTest, FirstEmployeeInNumberOrderWhoseMobileBeginsWithTheNumber)
{
    // Stored out of number order, so that the table's own order would pick Eve.
    addEmployee(5, "Eve", "0821234567");
    addEmployee(2, "Ben", "0821234000");
    addEmployee(3, "Cara", "ABC123");
    addEmployee(4, "Dan", "0831");
    importPhone(std::string(GetParam().number) + ",2024/04/02 07:58:03,IN,0,0\n", Mode::All);

    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].mobile, GetParam().number);
    EXPECT_EQ(rows[0].name.value_or(""), GetParam().name);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Numbers, EmployeeMatchTest,
                         testing::Values(MatchCase{"0821234567", "Eve"}, MatchCase{"0821234", "Ben"},
                                         MatchCase{"08212345678", ""}, MatchCase{"ABC", "Cara"},
                                         MatchCase{"abc", ""}, MatchCase{"0831", "Dan"}, MatchCase{"0832", ""},
                                         MatchCase{"831", ""}));
// clang-format on

TEST_F(PhoneImportTest, EmployeeCursorIsLeftOnTheLastEmployeeFound)
{
    addEmployee(1, "Anna", "0821");
    addEmployee(2, "Ben", "0831");
    addEmployee(3, "Cara", "0841");
    employees.last();
    importPhone("0821,2024/04/02 07:00:00,IN,0,0\n"
                "0831,2024/04/02 07:10:00,IN,0,0\n"
                "0821,2024/04/02 16:00:00,OUT,0,0\n"
                "0999,2024/04/02 16:30:00,OUT,0,0\n",
                Mode::All);
    ASSERT_EQ(clockings().size(), 4u);
    EXPECT_EQ(employees.asInteger("No"), 1);
}

// ---------------------------------------------------------------------------------------------
// Which lines are taken

class WindowTest : public PhoneImportTest, public testing::WithParamInterface<Mode> {};

TEST_P(WindowTest, TakesTheDaysFromBeforeTheFirstToAfterTheLast)
{
    importPhone("0801,2024/03/30 23:59:59,IN,0,0\n"
                "0802,2024/03/31 00:00:00,IN,0,0\n"
                "0803,2024/04/01 08:00:00,IN,0,0\n"
                "0804,2024/04/07 08:00:00,IN,0,0\n"
                "0805,2024/04/08 23:59:59,IN,0,0\n"
                "0806,2024/04/09 00:00:00,IN,0,0\n"
                "0807,2023/04/04 08:00:00,IN,0,0\n",
                GetParam());
    EXPECT_EQ(storedNumbers(), (std::vector<std::string>{"0802", "0803", "0804", "0805"}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Modes, WindowTest, testing::Values(Mode::All, Mode::New),
                         [](const testing::TestParamInfo<Mode>& i) { return modeName(i.param); });
// clang-format on

TEST_F(IntakeTest, EmptyCalendarTakesNoLineButStillChecksTheDates)
{
    importPhone("0821,2024/04/02 07:58:03,IN,0,0\n0831,2024/04/03 07:58:03,IN,0,0\n", Mode::All);
    EXPECT_TRUE(clockings().empty());
    const std::string error =
        importPhoneError("0821,2024/04/02 07:58:03,IN,0,0\n0831,2024/0x/03 07:58:03,IN,0,0\n", Mode::New);
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_TRUE(clockings().empty());
}

TEST_F(PhoneImportTest, LineWithoutNumberIsSkipped)
{
    importPhone(",2024/04/02 07:58:03,IN,0,0\n"
                "2024/04/02 07:59:03 IN\n"
                "0821,2024/04/02 08:00:00,IN,0,0\n",
                Mode::All);
    EXPECT_EQ(storedNumbers(), std::vector<std::string>{"0821"});
}

// ---------------------------------------------------------------------------------------------
// Lines that end the import

struct ErrorCase {
    const char* what;
    Mode mode;
    const char* text;
    int line;           ///< the line named in the error; 0: no error
    const char* failed; ///< the text the error quotes
    std::vector<std::string> stored;
    friend std::ostream& operator<<(std::ostream& os, const ErrorCase& c)
    {
        return os << c.what << " (" << modeName(c.mode) << ")";
    }
};

class PhoneErrorTest : public PhoneImportTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(PhoneErrorTest, EndsAtTheBadLineKeepingTheRowsBefore)
{
    const ErrorCase& c = GetParam();
    std::filesystem::path file;
    const std::string error = importPhoneError(c.text, c.mode, &file);
    if (c.line == 0) {
        EXPECT_EQ(error, "");
    } else {
        EXPECT_NE(error.find(file.string()), std::string::npos) << error;
        EXPECT_NE(error.find("line " + std::to_string(c.line)), std::string::npos) << error;
        EXPECT_NE(error.find(c.failed), std::string::npos) << error;
    }
    EXPECT_EQ(storedNumbers(), c.stored);
    EXPECT_EQ(ui.position, 0);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(clk.recordCount(), static_cast<int>(c.stored.size()));
    // An import that ends with an error tells nothing in the Result log.
    if (c.line == 0) {
        // What was not stored follows: "; not stored: ..."
        ASSERT_EQ(ui.result.size(), 1u);
        EXPECT_EQ(ui.result[0].rfind("TallixData.txt: " + std::to_string(c.stored.size())
                                         + " clockings stored, 0 double entries deleted",
                                     0),
                  0u)
            << ui.result[0];
    } else
        EXPECT_TRUE(ui.result.empty()) << ui.result.front();
}

using V = std::vector<std::string>;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, PhoneErrorTest,
    testing::Values(
        ErrorCase{"one line break at the end", Mode::All, "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 07:01:00,IN,0,0\n",
                  0, "", V{"0801", "0802"}},
        ErrorCase{"CR LF endings", Mode::New,
                  "0801,2024/04/02 07:00:00,IN,0,0\r\n0802,2024/04/02 07:01:00,IN,0,0\r\n", 0, "",
                  V{"0801", "0802"}},
        ErrorCase{"no line break at the end", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 07:01:00,IN,0,0", 0, "", V{"0801", "0802"}},
        ErrorCase{"letter in the year", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 07:01:00,IN,0,0\n0803,2O24/04/02 07:02:00,IN,0,0\n"
                  "0804,2024/04/02 07:03:00,IN,0,0\n",
                  3, "'2O24'", V{"0801", "0802"}},
        ErrorCase{"day that does not exist", Mode::New,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/02/30 07:01:00,IN,0,0\n", 2, "2024-02-30", V{"0801"}},
        ErrorCase{"bad date far outside the window", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,1999/1x/02 07:01:00,IN,0,0\n", 2, "'1x'", V{"0801"}},
        ErrorCase{"bad date on a line without a number", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n,2024/04/x2 07:01:00,IN,0,0\n", 2, "'x2'", V{"0801"}},
        ErrorCase{"empty line", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n\n0803,2024/04/02 07:02:00,IN,0,0\n", 2, "''", V{"0801"}},
        ErrorCase{"empty line with CR LF", Mode::New,
                  "0801,2024/04/02 07:00:00,IN,0,0\r\n\r\n0803,2024/04/02 07:02:00,IN,0,0\r\n", 2, "''", V{"0801"}},
        ErrorCase{"two line breaks at the end", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 07:01:00,IN,0,0\n\n", 3, "''", V{"0801", "0802"}},
        ErrorCase{"bad time outside the window", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/05/02 25:01:00,IN,0,0\n0803,2024/04/02 07:02:00,IN,0,0\n",
                  0, "", V{"0801", "0803"}},
        ErrorCase{"bad time on a taken line", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 25:01:00,IN,0,0\n0803,2024/04/02 07:02:00,IN,0,0\n",
                  2, "25:01:00", V{"0801"}},
        ErrorCase{"bad seconds on a taken line", Mode::All,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/04/02 07:01:6x,IN,0,0\n", 2, "'6x'", V{"0801"}},
        ErrorCase{"bad time outside the window, new data", Mode::New,
                  "0801,2024/04/02 07:00:00,IN,0,0\n0802,2024/05/02 25:01:00,IN,0,0\n0803,2024/04/02 07:02:00,IN,0,0\n",
                  2, "25:01:00", V{"0801"}}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Import New Clock Data

struct NewerCase {
    const char* line;
    bool taken;
    friend std::ostream& operator<<(std::ostream& os, const NewerCase& c) { return os << c.line; }
};

class NewerThanLastTest : public testing::TestWithParam<NewerCase> {
protected:
    class Recorder : public intake::ClockSink {
    public:
        std::vector<intake::ClockRow> rows;
        void store(const intake::ClockRow& row) override { rows.push_back(row); }
    };
};

TEST_P(NewerThanLastTest, TakesOnlyWhatIsNotOlderThanTheLastClocking)
{
    testsupport::TempDir dir;
    const auto file = dir / "new.txt";
    testsupport::writeFile(file, std::string(GetParam().line) + "\n");
    intake::PhoneRules rules;
    rules.mode = Mode::New;
    rules.window = {day(2024, 3, 31), day(2024, 4, 8)};
    rules.defaultLatitude = "0";
    rules.defaultLongitude = "0";
    // The latest stored clocking of 0821: 3 April 2024 08:00:00; 0831 has none.
    rules.latestByNumber["0821"] = core::toMs(day(2024, 4, 3)) + core::timeToMs(core::encodeTime(8, 0, 0));
    Recorder sink;
    const auto noEmployee = [](const std::string&) { return std::optional<intake::EmployeeMatch>(); };
    const intake::ImportResult r =
        intake::readPhoneFile(file, rules, testsupport::usRegional(), noEmployee, sink, nullptr);
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(r.stored, GetParam().taken ? 1 : 0);
    EXPECT_EQ(sink.rows.size(), GetParam().taken ? 1u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, NewerThanLastTest,
                         testing::Values(NewerCase{"0821,2024/04/03 08:00:00,IN,0,0", false},
                                         NewerCase{"0831,2024/04/03 08:00:00,IN,0,0", true},
                                         NewerCase{"0821,2024/04/03 07:59:59,IN,0,0", false},
                                         NewerCase{"0831,2024/04/03 07:59:59,IN,0,0", true},
                                         NewerCase{"0831,2024/04/01 07:00:00,IN,0,0", true},
                                         NewerCase{"0821,2024/04/03 08:00:01,IN,0,0", true},
                                         NewerCase{"0821,2024/04/04 07:00:00,IN,0,0", true},
                                         NewerCase{"0821,2024/04/02 09:00:00,IN,0,0", false},
                                         NewerCase{"08210,2024/04/03 08:00:00,IN,0,0", true}));
// clang-format on

TEST_F(PhoneImportTest, NewDataStartsAfterEachNumbersOwnLatestClocking)
{
    // 0831's phone was set to 6 April: its clocking is the latest in the table, and it must
    // not hold back the others' lines of the 3rd.
    addClocking("2024-04-06", "08:00:00", "0831");
    addClocking("2024-04-03", "07:00:00", "0821");
    importPhone("0821,2024/04/03 06:59:00,IN,0,0\n"  // not newer than 0821's latest
                "0821,2024/04/03 07:00:00,IN,0,0\n"  // the same moment: not newer
                "0821,2024/04/03 17:00:00,OUT,0,0\n" // new
                "0841,2024/04/03 08:00:00,IN,0,0\n"  // a number with no clocking yet
                "0831,2024/04/06 08:00:00,IN,0,0\n"  // not newer
                "0831,2024/04/06 09:00:00,OUT,0,0\n",
                Mode::New);
    EXPECT_EQ(storedNumbers(), (V{"0831", "0821", "0821", "0841", "0831"}));
    const auto rows = clockings();
    EXPECT_EQ(rows[2].time, "17:00:00");
    EXPECT_EQ(rows[4].time, "09:00:00");
    EXPECT_EQ(ui.result.back(), "TallixData.txt: 3 clockings stored, 0 double entries deleted; not stored: 3 lines "
                                "not newer than the latest clocking of its number");
}

TEST_F(PhoneImportTest, NewDataOnAnEmptyTableTakesEveryLine)
{
    importPhone("0801,2024/03/31 00:00:00,IN,0,0\n"
                ",2024/04/02 07:00:00,IN,0,0\n"
                "0802,2024/04/02 07:00:00,IN,0,0\n"
                "0803,2024/04/10 07:00:00,IN,0,0\n"
                "0804,2024/04/08 23:59:59,OUT,0,0\n",
                Mode::New);
    EXPECT_EQ(storedNumbers(), (V{"0801", "0802", "0804"}));
}

// ---------------------------------------------------------------------------------------------
// Dialog and double entries

class PhoneCancelTest : public PhoneImportTest, public testing::WithParamInterface<Mode> {};

TEST_P(PhoneCancelTest, CancelledDialogChangesNothing)
{
    addClocking("2024-04-02", "08:00:00", "0821");
    addClocking("2024-04-02", "08:01:00", "0821");
    EXPECT_FALSE(run(intake::importClockData, GetParam()));
    EXPECT_EQ(ui.openTitles, std::vector<std::string>{"Get TallixData file"});
    EXPECT_EQ(clockings().size(), 2u);
    EXPECT_TRUE(ui.result.empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Modes, PhoneCancelTest, testing::Values(Mode::All, Mode::New),
                         [](const testing::TestParamInfo<Mode>& i) { return modeName(i.param); });
// clang-format on

struct SummaryCase {
    const char* what;
    Mode mode;
    const char* before; ///< SQL run first: the clockings stored before the import
    const char* file;   ///< the file's name
    std::string text;
    int stored;
    int doubles;
    const char* line;
    friend std::ostream& operator<<(std::ostream& os, const SummaryCase& c)
    {
        return os << c.what << " (" << modeName(c.mode) << ")";
    }
};

/// `count` clockings of as many numbers on 2 April 2024, none a double entry.
std::string distinctLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "08" + std::to_string(10000 + i) + ",2024/04/02 07:00:00,IN,0,0\n";
    return text;
}

class ImportSummaryTest : public PhoneImportTest, public testing::WithParamInterface<SummaryCase> {};

TEST_P(ImportSummaryTest, ResultLineCountsWhatStaysAndWhatWasDeleted)
{
    const SummaryCase& c = GetParam();
    if (*c.before)
        s.db->exec(c.before);
    clk.refresh();
    ui.result = {"a line of an earlier command"};
    const auto file = dir / c.file;
    testsupport::writeFile(file, c.text);
    ui.openFiles.push_back(file);
    const std::optional<intake::ImportSummary> summary = run(intake::importClockData, c.mode);

    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->stored, c.stored);
    EXPECT_EQ(summary->doubles, c.doubles);
    EXPECT_EQ(ui.result, (std::vector<std::string>{"a line of an earlier command", c.line}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ImportSummaryTest,
    testing::Values(
        SummaryCase{"three lines, one a double entry", Mode::All, "", "clockdata.txt",
                    "0831,2024/04/02 08:00:00,IN,0,0\n"
                    "0831,2024/04/02 08:05:59,IN,0,0\n"
                    "0821,2024/04/02 07:58:03,IN,0,0\n",
                    2, 1, "clockdata.txt: 2 clockings stored, 1 double entry deleted"},
        SummaryCase{"lines outside the period and without a number are not stored", Mode::All, "", "TallixData.txt",
                    "0801,2024/03/30 07:00:00,IN,0,0\n"
                    ",2024/04/02 07:00:00,IN,0,0\n"
                    "0802,2024/04/02 07:00:00,IN,0,0\n",
                    1, 0, "TallixData.txt: 1 clocking stored, 0 double entries deleted; not stored: 1 line outside "
                          "the import window (3/31/24 to 4/8/24), 1 line without a clock number"},
        SummaryCase{"the double entry of a clocking stored before is the new one", Mode::All,
                    "INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                    "('2024-04-02', '07:55:00', '0821', 'IN', 0)",
                    "acme_202442_1.dat",
                    "0821,2024/04/02 07:58:03,IN,0,0\n"
                    "0831,2024/04/02 08:00:00,IN,0,0\n"
                    "0831,2024/04/02 08:05:59,IN,0,0\n",
                    1, 2, "acme_202442_1.dat: 1 clocking stored, 2 double entries deleted"},
        SummaryCase{"a row an interrupted run marked is deleted too", Mode::New,
                    "INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES "
                    "('2024-04-01', '08:00:00', '0821', 'IN', 0), ('2024-04-01', '09:00:00', '0821', 'IN', 3)",
                    "TallixData.txt",
                    "0821,2024/04/01 07:00:00,IN,0,0\n"
                    "0821,2024/04/02 08:00:00,IN,0,0\n"
                    "0831,2024/04/02 08:00:00,IN,0,0\n",
                    2, 1, "TallixData.txt: 2 clockings stored, 1 double entry deleted; not stored: 1 line not newer "
                          "than the latest clocking of its number"},
        SummaryCase{"an empty file", Mode::All, "", "TallixData.txt", "", 0, 0,
                    "TallixData.txt: 0 clockings stored, 0 double entries deleted"},
        SummaryCase{"the count has no thousands separator", Mode::All, "", "big.txt", distinctLines(1200), 1200, 0,
                    "big.txt: 1200 clockings stored, 0 double entries deleted"}));
// clang-format on

TEST_F(PhoneImportTest, ImportEndsByDeletingDoubleEntries)
{
    addClocking("2024-04-02", "07:55:00", "0821");
    importPhone("0821,2024/04/02 07:58:03,IN,0,0\n"
                "0831,2024/04/02 08:00:00,IN,0,0\n"
                "0831,2024/04/02 08:05:59,IN,0,0\n",
                Mode::All);
    EXPECT_EQ(storedNumbers(), (V{"0821", "0831"}));
    EXPECT_EQ(clockings()[1].time, "08:00:00");
    EXPECT_EQ(clk.recordCount(), 2);
    EXPECT_EQ(clk.recNo(), 0);
}

TEST_F(PhoneImportTest, SameFileTwiceKeepsTheFirstRows)
{
    const std::string text = "0821,2024/04/02 07:58:03,IN,0,0\n"
                             "0831,2024/04/02 08:00:00,IN,0,0\n"
                             "0821,2024/04/02 16:31:00,OUT,0,0\n";
    importPhone(text, Mode::All);
    std::vector<std::int64_t> first;
    for (const Clocking& c : clockings())
        first.push_back(c.inc);
    ASSERT_EQ(first.size(), 3u);

    importPhone(text, Mode::All);
    std::vector<std::int64_t> second;
    for (const Clocking& c : clockings())
        second.push_back(c.inc);
    EXPECT_EQ(second, first);
    // Both runs stored every line: the numbering went on past the second run's rows.
    addClocking("2024-04-05", "12:00:00", "0899");
    EXPECT_EQ(clockings().back().inc, 7);
}

// =============================================================================================
// Fingerprint scanner

/// The pay period 9 to 13 September 2019: lines of 8 to 14 September are imported.
class ScannerImportTest : public IntakeTest {
protected:
    core::FileCounter counter{day(2019, 9, 2), 4};

    void SetUp() override
    {
        IntakeTest::SetUp();
        addPeriod(day(2019, 9, 9), day(2019, 9, 13));
    }

    std::filesystem::path folder() { return dir / "copies"; }

    /// The copies' names as the program gives them: the counter moved on past taken names.
    std::function<std::filesystem::path()> nextCopy(core::DateTime today)
    {
        return [this, today] {
            return counter.nextFile(today, [&](int n) { return folder() / intake::scannerCopyName(today, n); });
        };
    }

    std::filesystem::path importScanner(const std::optional<std::filesystem::path>& file, core::DateTime today)
    {
        std::filesystem::create_directories(folder());
        ui.openFiles.push_back(file);
        return run([&](intake::IntakeContext& c) { return intake::importScannerData(c, nextCopy(today)); });
    }

    std::filesystem::path importScannerText(const std::string& text, core::DateTime today)
    {
        const auto file = dir / "scanner.dat";
        testsupport::writeFile(file, text);
        return importScanner(file, today);
    }
};

TEST_F(ScannerImportTest, ImportsTheAttendanceLog)
{
    addEmployee(1, "Thandi Mokoena", "7");
    addEmployee(2, "Pieter Botha", "12");
    addEmployee(3, "Lerato Dlamini", "105");
    const auto log = kDataDir / "attendance_log.dat";
    ASSERT_TRUE(std::filesystem::exists(log)) << log;

    const auto copy = importScanner(log, day(2019, 9, 10));

    EXPECT_EQ(copy, folder() / "FP_2019910_1.dat");
    // Every line is in the copy, also the ones outside the period; the log has CR LF endings.
    EXPECT_EQ(testsupport::readFile(copy), testsupport::readFile(log));
    EXPECT_EQ(counter.teller, 1);
    EXPECT_EQ(counter.filedate, day(2019, 9, 10));
    EXPECT_EQ(ui.openTitles, std::vector<std::string>{"Get FingerPrintScanner ClockData file"});

    const std::vector<Punch> expected{
        {"7", "2019-09-08", "07:55:12", "IN", "Thandi Mokoena"},
        {"7", "2019-09-09", "07:58:03", "IN", "Thandi Mokoena"},
        {"12", "2019-09-09", "08:01:27", "IN", "Pieter Botha"},
        {"105", "2019-09-09", "08:03:50", "IN", "Lerato Dlamini"},
        // 105 pressed again at 08:05:02: a double entry, deleted.
        {"12", "2019-09-09", "12:30:05", "OUT", "Pieter Botha"},
        {"12", "2019-09-09", "13:00:44", "IN", "Pieter Botha"},
        {"7", "2019-09-09", "16:31:09", "OUT", "Thandi Mokoena"},
        {"12", "2019-09-09", "17:02:16", "OUT", "Pieter Botha"},
        {"105", "2019-09-09", "19:15:38", "OUT", "Lerato Dlamini"},
        {"33", "2019-09-10", "06:45:00", "IN", ""},
        {"7", "2019-09-14", "07:59:30", "IN", "Thandi Mokoena"},
    };
    EXPECT_EQ(punches(), expected);
    for (const Clocking& c : clockings()) {
        EXPECT_FALSE(c.lat) << c.mobile << " " << c.time;
        EXPECT_FALSE(c.lon) << c.mobile << " " << c.time;
        EXPECT_FALSE(c.distance) << c.mobile << " " << c.time;
        EXPECT_EQ(c.used, 0);
    }
    EXPECT_EQ(clk.recordCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(clk.recNo(), 0);
    EXPECT_EQ(ui.position, 0);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(employees.asInteger("No"), 1);
    EXPECT_EQ(
        ui.result,
        V{"attendance_log.dat: 11 clockings stored, 1 double entry deleted (copied to FP_2019910_1.dat); not stored: 2 "
          "lines outside the import window (9/8/19 to 9/14/19)"});
}

TEST_F(ScannerImportTest, NumberIsTakenFromTheFirstNineColumns)
{
    addEmployee(1, "Thandi Mokoena", "7");
    importScannerText("7        \t2019-09-10 07:58:03\t1\t0\t1\t0\n"
                      "         \t2019-09-10 08:30:00\t1\t0\t1\t0\n"
                      "       12\t2019-09-10 08:31:00\t1\t0\t1\t0\n",
                      day(2019, 9, 10));
    const auto rows = clockings();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].mobile, "7        ");
    EXPECT_EQ(rows[0].name.value_or(""), "");
    EXPECT_EQ(rows[1].mobile, "12");
}

TEST_F(ScannerImportTest, ReadsTabSeparatedExports)
{
    addEmployee(1, "Sipho Khumalo", "10021");
    addEmployee(2, "Olena Kravchenko", "9");
    const std::string lines = "10021\t2019-09-10 07:08:59\t1\t0\t0\r\n"
                              "9\tKravchen\t2019-09-10 09:36:49\t1\t0\r\n"
                              "9\tKravchen\t2019-09-10 17:02:10\t1\t1\r\n"
                              "        7\t2019-09-10 07:58:03\t1\t0\t1\t0\r\n";
    const auto copy = importScannerText(lines, day(2019, 9, 10));
    EXPECT_EQ(punches(), (std::vector<Punch>{{"10021", "2019-09-10", "07:08:59", "IN", "Sipho Khumalo"},
                                             {"9", "2019-09-10", "09:36:49", "IN", "Olena Kravchenko"},
                                             {"9", "2019-09-10", "17:02:10", "OUT", "Olena Kravchenko"},
                                             {"7", "2019-09-10", "07:58:03", "IN", ""}}));
    EXPECT_EQ(testsupport::readFile(copy), lines);
}

struct EncodingCase {
    const char* what;
    std::string bytes;
    friend std::ostream& operator<<(std::ostream& os, const EncodingCase& c) { return os << c.what; }
};

std::string utf16(const std::string& ascii, bool littleEndian)
{
    std::string out = littleEndian ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
    for (const char c : ascii) {
        out += littleEndian ? c : '\0';
        out += littleEndian ? '\0' : c;
    }
    return out;
}

const std::string kEncodedLog = "10021\t2019-09-10 07:08:59\t1\t0\t0\r\n"
                                "        7\t2019-09-10 16:31:09\t1\t1\t1\t0\r\n";

class ScannerEncodingTest : public ScannerImportTest, public testing::WithParamInterface<EncodingCase> {};

TEST_P(ScannerEncodingTest, ReadsEveryLineFromTheFirst)
{
    addEmployee(1, "Sipho Khumalo", "10021");
    const auto copy = importScannerText(GetParam().bytes, day(2019, 9, 10));
    EXPECT_EQ(punches(), (std::vector<Punch>{{"10021", "2019-09-10", "07:08:59", "IN", "Sipho Khumalo"},
                                             {"7", "2019-09-10", "16:31:09", "OUT", ""}}));
    // The copy holds the lines as read, in 8-bit text without a mark.
    EXPECT_EQ(testsupport::readFile(copy), kEncodedLog);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Marks, ScannerEncodingTest,
                         testing::Values(EncodingCase{"UTF-8 mark", "\xEF\xBB\xBF" + kEncodedLog},
                                         EncodingCase{"UTF-16 little endian", utf16(kEncodedLog, true)},
                                         EncodingCase{"UTF-16 big endian", utf16(kEncodedLog, false)}));
// clang-format on

// A scanner file saved in Windows-1252 (a name with the byte E9): the clockings are stored,
// the copy keeps the bytes as the scanner wrote them, and the Result line says how it was read.
TEST_F(ScannerImportTest, AWindowsCodePageFileIsCopiedAsItStands)
{
    const std::string lines = "9\tRen\xE9"
                              "e\t2019-09-10 09:36:49\t1\t0\r\n";
    const auto copy = importScannerText(lines, day(2019, 9, 10));
    EXPECT_EQ(punches(), (std::vector<Punch>{{"9", "2019-09-10", "09:36:49", "IN", ""}}));
    EXPECT_EQ(testsupport::readFile(copy), lines);
    ASSERT_EQ(ui.result.size(), 1u);
    EXPECT_NE(ui.result[0].find("; read as Windows-1252 (the file is not UTF-8)"), std::string::npos) << ui.result[0];
}

TEST_F(ScannerImportTest, AUserNumberWithAControlCharacterIsNeverStored)
{
    const std::string line = std::string(8, '\0') + "7" + "\t2019-09-10 07:58:03\t1\t0\t1\t0\n";
    try {
        importScannerText("        7\t2019-09-10 07:50:00\t1\t0\t1\t0\n" + line, day(2019, 9, 10));
        FAIL() << "no error";
    } catch (const core::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("line 2"), std::string::npos) << text;
        EXPECT_NE(text.find("'<NUL><NUL><NUL><NUL><NUL><NUL><NUL><NUL>7' is not a user number"), std::string::npos)
            << text;
    }
    EXPECT_EQ(clockings().size(), 1u) << "the line before stays stored";
}

TEST_F(ScannerImportTest, UnmarkedUtf16NamesItsBytes)
{
    // Without the mark the file is read as 8-bit: the error shows the NUL bytes, not a text
    // cut short at the first of them.
    const std::string bytes = utf16(kEncodedLog, true).substr(2);
    try {
        importScannerText(bytes, day(2019, 9, 10));
        FAIL() << "no error";
    } catch (const core::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("line 1"), std::string::npos) << text;
        EXPECT_NE(text.find("'<TAB><NUL>2<NUL>' is not a valid integer value"), std::string::npos) << text;
        EXPECT_NE(text.find("tab-separated"), std::string::npos) << text;
    }
}

struct CounterCase {
    const char* what;
    core::DateTime filedate;
    int teller;
    const char* name;
    int after;
    friend std::ostream& operator<<(std::ostream& os, const CounterCase& c) { return os << c.what; }
};

class CopyCounterTest : public ScannerImportTest, public testing::WithParamInterface<CounterCase> {};

TEST_P(CopyCounterTest, NamesTheCopyByDayAndCounter)
{
    const CounterCase& c = GetParam();
    counter = {c.filedate, c.teller};
    const auto copy = importScannerText("        7\t2019-09-10 07:58:03\t1\t0\t1\t0\n", day(2019, 9, 10));
    EXPECT_EQ(copy, folder() / c.name);
    EXPECT_EQ(testsupport::readFile(copy), "        7\t2019-09-10 07:58:03\t1\t0\t1\t0\r\n");
    EXPECT_EQ(counter.teller, c.after);
    EXPECT_EQ(counter.filedate, day(2019, 9, 10));
    EXPECT_EQ(clockings().size(), 1u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Counters, CopyCounterTest,
                         testing::Values(CounterCase{"same day", day(2019, 9, 10), 2, "FP_2019910_3.dat", 3},
                                         CounterCase{"later day", day(2019, 9, 9), 5, "FP_2019910_1.dat", 1},
                                         CounterCase{"earlier day", day(2019, 9, 12), 2, "FP_2019910_2.dat", 2}));
// clang-format on

TEST_F(ScannerImportTest, TwoImportsOnOneDayGetTheNextNumber)
{
    const std::string line = "        7\t2019-09-10 07:58:03\t1\t0\t1\t0\n";
    const auto first = importScannerText(line, day(2019, 9, 10) + core::encodeTime(8, 15, 0));
    const auto second = importScannerText(line, day(2019, 9, 10) + core::encodeTime(16, 40, 0));
    EXPECT_EQ(first.filename(), "FP_2019910_1.dat");
    EXPECT_EQ(second.filename(), "FP_2019910_2.dat");
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(counter.filedate, day(2019, 9, 10));
    // The second import's clocking is a double entry of the first's.
    EXPECT_EQ(ui.result, (V{"scanner.dat: 1 clocking stored, 0 double entries deleted (copied to FP_2019910_1.dat)",
                            "scanner.dat: 0 clockings stored, 1 double entry deleted (copied to FP_2019910_2.dat)"}));
    EXPECT_EQ(clockings().size(), 1u);
}

TEST_F(ScannerImportTest, CopyNeverReplacesAnExistingFile)
{
    // 11 January and 1 November give the same digits.
    std::filesystem::create_directories(folder());
    testsupport::writeFile(folder() / "FP_2019111_1.dat", "January copy\r\n");
    testsupport::writeFile(folder() / "FP_2019111_2.dat", "January copy 2\r\n");
    counter = {day(2019, 1, 11), 2};
    const auto copy = importScannerText("        7\t2019-11-01 07:58:03\t1\t0\t1\t0\n", day(2019, 11, 1));
    EXPECT_EQ(copy, folder() / "FP_2019111_3.dat");
    EXPECT_EQ(counter.teller, 3);
    EXPECT_EQ(counter.filedate, day(2019, 11, 1));
    EXPECT_EQ(testsupport::readFile(folder() / "FP_2019111_1.dat"), "January copy\r\n");
    EXPECT_EQ(testsupport::readFile(folder() / "FP_2019111_2.dat"), "January copy 2\r\n");
    EXPECT_EQ(testsupport::readFile(copy), "        7\t2019-11-01 07:58:03\t1\t0\t1\t0\r\n");
}

TEST_F(ScannerImportTest, CancelledDialogWritesNothing)
{
    addClocking("2019-09-10", "08:00:00", "7");
    addClocking("2019-09-10", "08:01:00", "7");
    const core::FileCounter before = counter;
    const auto copy = importScanner(std::nullopt, day(2019, 9, 10));
    EXPECT_EQ(ui.openTitles, std::vector<std::string>{"Get FingerPrintScanner ClockData file"});
    EXPECT_TRUE(copy.empty());
    EXPECT_FALSE(std::filesystem::exists(folder() / "FP_2019910_1.dat"));
    EXPECT_EQ(counter.teller, before.teller);
    EXPECT_EQ(counter.filedate, before.filedate);
    EXPECT_EQ(clockings().size(), 2u);
    EXPECT_TRUE(ui.result.empty());
}

TEST_F(ScannerImportTest, BadLineEndsTheImportAfterCopyingIt)
{
    // A double entry from before: the deletion does not run after an error.
    addClocking("2019-09-09", "08:00:00", "105");
    addClocking("2019-09-09", "08:01:00", "105");
    const std::string l1 = "        7\t2019-09-10 07:58:03\t1\t0\t1\t0";
    const std::string l2 = "       12\t2019-09-10 08:01:27\t1\t0\t1\t0";
    const std::string l3 = "       12\t2019-09-1x 12:30:05\t1\t2\t1\t0";
    const std::string l4 = "        7\t2019-09-10 16:31:09\t1\t1\t1\t0";
    const auto file = dir / "scanner.dat";
    testsupport::writeFile(file, l1 + "\n" + l2 + "\n" + l3 + "\n" + l4 + "\n");
    std::filesystem::create_directories(folder());
    ui.openFiles.push_back(file);
    try {
        run([&](intake::IntakeContext& c) { return intake::importScannerData(c, nextCopy(day(2019, 9, 10))); });
        FAIL() << "no error";
    } catch (const core::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(file.string()), std::string::npos) << text;
        EXPECT_NE(text.find("line 3"), std::string::npos) << text;
        EXPECT_NE(text.find("'1x'"), std::string::npos) << text;
    }
    EXPECT_EQ(testsupport::readFile(folder() / "FP_2019910_1.dat"), l1 + "\r\n" + l2 + "\r\n" + l3 + "\r\n");
    EXPECT_EQ(storedNumbers(), (V{"105", "105", "7", "12"}));
    EXPECT_EQ(clk.recordCount(), 4);
    EXPECT_EQ(ui.position, 0);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_TRUE(ui.result.empty());
}

struct ScannerErrorCase {
    const char* what;
    const char* text;
    const char* failed;
    friend std::ostream& operator<<(std::ostream& os, const ScannerErrorCase& c) { return os << c.what; }
};

class ScannerErrorTest : public ScannerImportTest, public testing::WithParamInterface<ScannerErrorCase> {};

TEST_P(ScannerErrorTest, NamesTheSecondLine)
{
    const ScannerErrorCase& c = GetParam();
    try {
        importScannerText(std::string("        7\t2019-09-10 07:58:03\t1\t0\t1\t0\n") + c.text, day(2019, 9, 10));
        FAIL() << "no error";
    } catch (const core::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("line 2"), std::string::npos) << text;
        EXPECT_NE(text.find(c.failed), std::string::npos) << text;
    }
    EXPECT_EQ(storedNumbers(), V{"7"});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ScannerErrorTest,
    testing::Values(ScannerErrorCase{"bad date without a number", "         \t2019-0x-10 08:30:00\t1\t0\t1\t0\n", "'0x'"},
                    ScannerErrorCase{"day that does not exist", "       12\t2019-09-31 08:30:00\t1\t0\t1\t0\n",
                                     "2019-09-31"},
                    ScannerErrorCase{"bad time on a taken line", "       12\t2019-09-10 08:6x:00\t1\t0\t1\t0\n",
                                     "'6x'"}));
// clang-format on

} // namespace
