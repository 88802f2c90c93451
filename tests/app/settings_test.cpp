#include <gtest/gtest.h>

#include <QLocale>

#include "app/commands.h"
#include "app/program.h"
#include "core/inifile.h"
#include "core/regional.h"
#include "programs.h"
#include "store/tables.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

const char* const kDefaultFile = "[LUNCH]\nMINUTES_BREAK=60\nMIN_HOURS=5\n\n"
                                 "[OVERTIME]\nSPELING=10\nVROEG=5\nLAAT=5\nEARLY_MINUTES=0\nLATE_MINUTES=0\n\n"
                                 "[FLEXITIME]\nFLEXI=0\n\n"
                                 "[LOCATION]\nLATITUDE=-33.866\nLONGITUDE=18.623\n\n"
                                 "[STARTINGSHIFT]\nTWO_SHIFT_DAY=0\nTHREE_SHIFT_DAY=0\n\n"
                                 "[FILEDATE]\nYEAR=2019\nMONTH=9\nDAY=9\nTELLER=1\n\n"
                                 "[PERIOD]\nNUMBER=1\n";

app::ProgramOptions optionsFor(const testsupport::TempDir& dir)
{
    return testsupport::programOptions(dir.path(), core::encodeDate(2026, 12, 10));
}

TEST(Startup, FirstStartShowsDefaultsAndShutDownWritesEveryEntry)
{
    testsupport::TempDir dir;
    {
        app::Program p(optionsFor(dir));
        p.FormCreate();
        const app::SetupFields& f = p.setup;
        EXPECT_EQ(f.minutesBreak, "60");
        EXPECT_EQ(f.minHours, "5");
        EXPECT_EQ(f.speling, "10");
        EXPECT_EQ(f.vroeg, "5");
        EXPECT_EQ(f.laat, "5");
        EXPECT_EQ(f.flexiText(), "YES");
        EXPECT_EQ(f.latitude, "-33.866");
        EXPECT_EQ(f.longitude, "18.623");
        EXPECT_EQ(f.number, "1");
        EXPECT_EQ(f.startingTwoShift(), 2);
        EXPECT_EQ(f.startingThreeShift(), 4);
        EXPECT_EQ(p.counter.filedate, core::encodeDate(2019, 9, 9));
        EXPECT_EQ(p.counter.teller, 1);
        EXPECT_EQ(p.resetatt, 1);
        EXPECT_EQ(p.path(), dir.path().string() + "/");
        p.FormShow();
        EXPECT_EQ(p.pickers.startDate, core::encodeDate(2026, 12, 10));
        EXPECT_TRUE(p.tables().PerhistoryTable.isOpen());
        p.FormClose();
        EXPECT_FALSE(p.tables().EmployeeTable.isOpen());
    }
    EXPECT_EQ(testsupport::readFile(dir / "SetupValues.ini"), kDefaultFile);
    EXPECT_TRUE(std::filesystem::exists(dir / "tallix.db"));
    EXPECT_EQ(testsupport::readFile(dir / "TallixServer.ini"), "[TallixServer]\nDatabase=tallix.db\n");
}

TEST(Startup, ChangedFieldsAreSavedAndUnknownLinesStayWhereTheyWere)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "SetupValues.ini",
                           "; written by hand\r\n[LUNCH]\r\nMINUTES_BREAK=45\r\n[MINE]\r\nKEY=kept\r\n");
    {
        app::Program p(optionsFor(dir));
        p.FormCreate();
        EXPECT_EQ(p.setup.minutesBreak, "45");
        p.FormShow();
        EXPECT_THROW(p.setField("NUMBER", "7x"), core::Error);
        EXPECT_EQ(p.setup.number, "1") << "a refused value leaves the field as it was";
        ASSERT_TRUE(p.setField("NUMBER", "7"));
        ASSERT_TRUE(p.setField("FLEXI", "NO"));
        ASSERT_TRUE(p.setField("THREE_SHIFT_DAY", "6"));
        EXPECT_THROW(p.setField("TWO_SHIFT_DAY", "4"), core::Error);
        EXPECT_FALSE(p.setField("NOT_A_KEY", "1"));
        p.FormClose();
    }
    const std::string text = testsupport::readFile(dir / "SetupValues.ini");
    EXPECT_EQ(
        text.rfind("; written by hand\r\n[LUNCH]\r\nMINUTES_BREAK=45\r\nMIN_HOURS=5\r\n[MINE]\r\nKEY=kept\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("FLEXI=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("THREE_SHIFT_DAY=2\r\n"), std::string::npos);
    EXPECT_NE(text.find("NUMBER=7\r\n"), std::string::npos);
}

TEST(Startup, SetupNumbersUnderADecimalCommaAreKeptWithAPoint)
{
    // The file is a file format: a point, whatever the desk's regional settings. The Setup page
    // shows the regional form and takes a point as well.
    testsupport::TempDir dir;
    app::ProgramOptions o = optionsFor(dir);
    o.regional = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));
    {
        app::Program p(o);
        p.FormCreate();
        EXPECT_EQ(p.setup.latitude, "-33,866");
        EXPECT_EQ(p.setup.longitude, "18,623");
        EXPECT_EQ(p.setup.minutesBreak, "60");
        p.FormShow();
        p.setup.latitude = "-26,25"; // typed the regional way
        p.setup.longitude = "28.05"; // typed with a point
        p.setup.speling = "7x";      // no number: kept as typed
        p.FormClose();
    }
    const std::string text = testsupport::readFile(dir / "SetupValues.ini");
    EXPECT_NE(text.find("LATITUDE=-26.25\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LONGITUDE=28.05\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SPELING=7x\n"), std::string::npos) << text;
    {
        app::Program p(o);
        p.FormCreate();
        EXPECT_EQ(p.setup.latitude, "-26,25");
        EXPECT_EQ(p.setup.longitude, "28,05");
        p.FormShow();
        p.setup.speling = "10";
        store::Cursor& e = p.tables().EmployeeTable;
        e.append();
        e.setInteger("No", 1);
        e.post();
        EXPECT_DOUBLE_EQ(e.asReal("Lat"), -26.25);
        EXPECT_DOUBLE_EQ(e.asReal("Lon"), 28.05);
        p.FormClose();
    }
}

TEST(Startup, HandEditedEntriesThatMakeNoSenseReadAsDefaults)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "SetupValues.ini",
                           "[FLEXITIME]\nFLEXI=yes\n[STARTINGSHIFT]\nTWO_SHIFT_DAY=5\nTHREE_SHIFT_DAY=-1\n"
                           "[FILEDATE]\nYEAR=2023\nMONTH=2\nDAY=30\nTELLER=4\n");
    app::Program p(optionsFor(dir));
    p.FormCreate();
    EXPECT_EQ(p.setup.flexiText(), "YES");
    EXPECT_EQ(p.setup.startingTwoShift(), 2);
    EXPECT_EQ(p.setup.startingThreeShift(), 4);
    EXPECT_EQ(p.counter.filedate, core::encodeDate(2019, 9, 9));
    EXPECT_EQ(p.counter.teller, 4);
}

TEST(FileCounter, AdvancesByDay)
{
    struct Step {
        core::Ymd today;
        int counter;
    };
    const Step steps[] = {
        {{2026, 12, 10}, 1},                      // a later day than 9 September 2019
        {{2026, 12, 10}, 2},                      // the same day again
        {{2026, 12, 10}, 3}, {{2026, 12, 11}, 1}, // the next day
        {{2026, 12, 5}, 1},                       // an earlier day (clock set back): unchanged
        {{2026, 12, 5}, 2},
    };
    app::FileCounter c;
    for (const Step& s : steps) {
        const core::DateTime today = core::encodeDate(s.today.year, s.today.month, s.today.day) + 0.75;
        EXPECT_EQ(c.advance(today), s.counter) << s.today.day;
        c.markWritten(today);
        EXPECT_EQ(c.filedate, core::dateOf(today));
    }
}

TEST(FileCounter, SurvivesARestart)
{
    testsupport::TempDir dir;
    for (int expected : {1, 2}) {
        app::Program p(optionsFor(dir));
        p.FormCreate();
        EXPECT_EQ(p.counter.advance(p.now()), expected);
        p.counter.markWritten(p.now());
        p.FormClose();
    }
}

TEST(Startup, PathGetsExactlyOneTrailingSeparator)
{
    EXPECT_EQ(app::withTrailingSeparator("/opt/tallix"), "/opt/tallix/");
    EXPECT_EQ(app::withTrailingSeparator("/opt/tallix/"), "/opt/tallix/");
}

TEST(Startup, DatabaseNamedByTheConnectionDefinitionIsOpened)
{
    testsupport::TempDir dir;
    testsupport::TempDir data;
    testsupport::writeFile(dir / "TallixServer.ini", "[TallixServer]\nDatabase=" + (data / "site.db").string() + "\n");
    app::Program p(optionsFor(dir));
    p.FormCreate();
    p.FormShow();
    EXPECT_TRUE(std::filesystem::exists(data / "site.db"));
    EXPECT_FALSE(std::filesystem::exists(dir / "tallix.db"));
    p.FormClose();
}

/// EARLY_MINUTES and LATE_MINUTES are kept in [OVERTIME] and widen the shift that "Reset and
/// Process Clock Data" places clockings in: an IN at 05:50 and an OUT at 14:05 around a
/// 06:00-14:00 shift are placed with 15 and 15, not with the defaults 0 and 0.
TEST(Startup, SameDayMarginsAreKeptAndUsedByTheProcessingPass)
{
    testsupport::TempDir dir;
    const auto process = [&](app::Program& p) {
        testsupport::FakeServices ui;
        ui.answerAllYes = true;
        app::execute(p, ui, *app::findCommand("ProcessClockData1Click"));
        store::Statement st(p.db(), "SELECT ifnull(In1, '-') || ' ' || ifnull(Out1, '-') FROM Attendance");
        return st.step() ? st.columnText(0) : std::string("no row");
    };
    {
        app::Program p(optionsFor(dir));
        p.FormCreate();
        EXPECT_EQ(p.setup.earlyMinutes, "0");
        EXPECT_EQ(p.setup.lateMinutes, "0");
        p.FormShow();
        p.db().exec(R"(
            INSERT INTO Employee (No, Name, MobileNo, ShiftNo) VALUES (1, 'Ann', '0711', 2);
            INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (2, '06:00:00', '14:00:00');
            INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
            INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
                ('2024-04-01', '05:50:00', '0711', 'IN', 0), ('2024-04-01', '14:05:00', '0711', 'OUT', 0);
        )");
        EXPECT_EQ(process(p), "- -");
        ASSERT_TRUE(p.setField("EARLY_MINUTES", "15"));
        ASSERT_TRUE(p.setField("LATE_MINUTES", "15"));
        EXPECT_EQ(process(p), "05:50:00 14:05:00");
        p.FormClose();
    }
    const std::string text = testsupport::readFile(dir / "SetupValues.ini");
    EXPECT_NE(text.find("LAAT=5\nEARLY_MINUTES=15\nLATE_MINUTES=15\n"), std::string::npos) << text;
    app::Program again(optionsFor(dir));
    again.FormCreate();
    EXPECT_EQ(again.setup.earlyMinutes, "15");
    EXPECT_EQ(again.setup.lateMinutes, "15");
}

TEST(Startup, CommandErrorKeepsWhatWasWrittenBeforeIt)
{
    testsupport::TempDir dir;
    app::Program p(optionsFor(dir));
    p.FormCreate();
    p.FormShow();
    auto& e = p.tables().EmployeeTable;
    EXPECT_THROW(p.runCommand({}, nullptr,
                              [&] {
                                  e.append();
                                  e.setInteger("No", 1);
                                  e.post();
                                  e.append();
                                  e.setInteger("No", 1);
                                  e.post(); // duplicate key: the command ends here
                              }),
                 core::Error);
    e.cancel();
    p.FormClose();
    app::Program again(optionsFor(dir));
    again.FormCreate();
    again.FormShow();
    EXPECT_EQ(again.tables().EmployeeTable.recordCount(), 1);
}

} // namespace

namespace {

/// The value of an entry as the settings file holds it now.
std::string entryOnDisk(const testsupport::TempDir& dir, const char* section, const char* key)
{
    return core::IniFile(dir / "SetupValues.ini").readString(section, key, "(none)");
}

} // namespace

// The window open all day and the nightly runner: each program writes only the values it
// changed, into the file as it stands at that moment, so neither puts back an older value.
TEST(SharedSettings, EachProgramWritesOnlyWhatItChangedIntoTheFileAsItStands)
{
    testsupport::TempDir dir;
    auto window = testsupport::startedProgram(dir.path(), core::encodeDate(2026, 12, 10));
    window->saveSettings();
    EXPECT_EQ(testsupport::readFile(dir / "SetupValues.ini"), kDefaultFile) << "a new file gets every entry";
    auto runner = testsupport::startedProgram(dir.path(), core::encodeDate(2026, 12, 10));

    window->setup.laat = "6"; // typed on the Setup page
    runner->setup.number = "2";
    runner->saveSettings(); // a posting's end
    window->FormClose();    // the window closes later
    EXPECT_EQ(entryOnDisk(dir, "PERIOD", "NUMBER"), "2");
    EXPECT_EQ(entryOnDisk(dir, "OVERTIME", "LAAT"), "6");
    runner->FormClose(); // nothing changed since: nothing goes back
    EXPECT_EQ(entryOnDisk(dir, "OVERTIME", "LAAT"), "6");

    // A window open beside it takes the runner's values where the clerk changed nothing, and
    // keeps what the clerk typed.
    auto open = testsupport::startedProgram(dir.path(), core::encodeDate(2026, 12, 10));
    auto nightly = testsupport::startedProgram(dir.path(), core::encodeDate(2026, 12, 10));
    open->setup.speling = "12";
    nightly->setup.number = "3";
    nightly->setup.speling = "15";
    nightly->saveSettings();
    EXPECT_TRUE(open->takeSettingsChanges());
    EXPECT_EQ(open->setup.number, "3");
    EXPECT_EQ(open->setup.speling, "12");
    EXPECT_FALSE(open->takeSettingsChanges()) << "nothing new the second time";
    open->FormClose();
    nightly->FormClose();
    EXPECT_EQ(entryOnDisk(dir, "PERIOD", "NUMBER"), "3");
    EXPECT_EQ(entryOnDisk(dir, "OVERTIME", "SPELING"), "12") << "the later change of the same value";
}

// The day's file counter is counted by the file, under its lock: two programs that started
// on the same counter never give two files the same number, and neither writes it back.
TEST(SharedSettings, TheDaysCounterIsCountedOnceByEveryProgramOnTheSite)
{
    testsupport::TempDir dir;
    const core::DateTime today = core::encodeDate(2026, 12, 10);
    auto window = testsupport::startedProgram(dir.path(), today);
    auto runner = testsupport::startedProgram(dir.path(), today);
    const auto name = [&](const char* prefix) {
        return [&dir, prefix](int n) { return dir / (prefix + std::to_string(n) + ".dat"); };
    };
    EXPECT_EQ(window->nextCountedFile(today, name("FP_")).filename(), "FP_1.dat");
    EXPECT_EQ(runner->nextCountedFile(today, name("acme_")).filename(), "acme_2.dat");
    EXPECT_EQ(window->nextCountedFile(today, name("FP_")).filename(), "FP_3.dat");
    EXPECT_EQ(entryOnDisk(dir, "FILEDATE", "TELLER"), "3");
    runner->FormClose();
    window->FormClose();
    EXPECT_EQ(entryOnDisk(dir, "FILEDATE", "TELLER"), "3");
    EXPECT_EQ(entryOnDisk(dir, "FILEDATE", "DAY"), "10");
}

// What each kind of setup value takes: the regional separator or a point, within its bounds.
TEST(SetupValues, EachKindTakesItsOwnValuesOnly)
{
    const core::Regional de = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        const char* key;
        const char* text;
        bool taken;
    } cases[] = {
        {"MINUTES_BREAK", "45,5", true},  {"MINUTES_BREAK", "45.5", true}, {"MINUTES_BREAK", "", false},
        {"MINUTES_BREAK", "1441", false}, {"EARLY_MINUTES", "", true},     {"LATE_MINUTES", "-1", false},
        {"MIN_HOURS", "24", true},        {"LAAT", "24,5", false},         {"LATITUDE", "-90", true},
        {"LATITUDE", "-33,866", true},    {"LONGITUDE", "180.5", false},   {"NUMBER", "2147483646", true},
        {"NUMBER", "2147483647", false},  {"NUMBER", "3.0", false},        {"NUMBER", " 12 ", true},
        {"FLEXI", "anything", true}, // a choice: its entries are checked by setByKey
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " '" + c.text + "'");
        EXPECT_EQ(!app::setupRefusal(c.key, c.text, de).has_value(), c.taken);
    }
}
