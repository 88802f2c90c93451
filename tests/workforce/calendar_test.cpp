#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"
#include "workforce/calendar.h"

namespace {

using core::encodeDate;
using core::Value;
using store::Cursor;
using testsupport::FakeServices;
using workforce::Rotation;

constexpr const char* kCreateQuestion = "Create a new period?";
constexpr const char* kIncrementQuestion = "Increment Period?";
constexpr const char* kNextMonthQuestion = "Rollover to the next month? - new month end date to be completed first!";
constexpr const char* kEmptyCalendar = "Current period table is empty, use CREATE PERIOD instead.";

/// One period day as the table holds it.
struct Day {
    core::DateTime date;
    std::int64_t shiftNo;
    std::int64_t shift2;
    std::int64_t shift3;
    std::string holiday;
    friend bool operator==(const Day&, const Day&) = default;
};

void PrintTo(const Day& d, std::ostream* os)
{
    *os << "{" << core::toIsoDate(d.date) << " (" << d.date << "), " << d.shiftNo << ", " << d.shift2 << "/" << d.shift3
        << ", '" << d.holiday << "'}";
}

bool sameRotation(const Rotation& a, const Rotation& b)
{
    return a.twoShift == b.twoShift && a.threeShift == b.threeShift;
}

std::string show(const Rotation& r)
{
    return "{" + std::to_string(r.twoShift) + ", " + std::to_string(r.threeShift) + "}";
}

class CalendarTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Tables& t = *s.tables;
    Cursor& p = t.PeriodTable;
    FakeServices ui;
    Rotation rotation{2, 4};

    void SetUp() override
    {
        p.onCalcFields = workforce::PeriodTableCalcFields;
        t.openAll();
    }

    std::vector<Day> days()
    {
        std::vector<Day> out;
        for (p.first(); !p.eof(); p.next())
            out.push_back({p.asDateTime("Date"), p.asInteger("ShiftNo"), p.asInteger("Shift2"), p.asInteger("Shift3"),
                           p.asText("Holiday")});
        return out;
    }

    std::vector<core::DateTime> dates()
    {
        std::vector<core::DateTime> out;
        for (const Day& d : days())
            out.push_back(d.date);
        return out;
    }

    static std::vector<core::DateTime> range(core::DateTime first, core::DateTime last)
    {
        std::vector<core::DateTime> out;
        for (core::DateTime d = first; d <= last; d += 1)
            out.push_back(d);
        return out;
    }

    /// A calendar made through Create Period, answered Yes; the question log is cleared after.
    void create(core::DateTime start, core::DateTime end)
    {
        ui.answers.push_back(true);
        rotation = workforce::createPeriod(p, ui, start, end, rotation);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages.front();
        ui.questions.clear();
    }

    void markHoliday(core::DateTime date)
    {
        ASSERT_TRUE(p.findKey(Value::date(date)));
        workforce::setHoliday(p, true);
    }
};

// ---------------------------------------------------------------------------------------
// Questions answered No

struct RefusedCommand {
    const char* name;
    const char* question;
    std::function<void(Cursor&, FakeServices&, Rotation&)> run;
};

void PrintTo(const RefusedCommand& c, std::ostream* os) { *os << c.name; }

class CommandRefusedTest : public CalendarTest, public ::testing::WithParamInterface<RefusedCommand> {};

TEST_P(CommandRefusedTest, NoChangesNothing)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 31));
    markHoliday(encodeDate(2024, 1, 10));
    const auto before = days();
    const Rotation rotationBefore = rotation;

    ui.answers = {false};
    GetParam().run(p, ui, rotation);

    EXPECT_EQ(ui.questions, (std::vector<std::string>{GetParam().question}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(days(), before);
    EXPECT_TRUE(sameRotation(rotation, rotationBefore)) << show(rotation);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, CommandRefusedTest,
    ::testing::Values(RefusedCommand{"CreatePeriod", kCreateQuestion,
                                     [](Cursor& c, FakeServices& ui, Rotation& r) {
                                         r = workforce::createPeriod(c, ui, encodeDate(2024, 3, 1), encodeDate(2024, 3, 20), r);
                                                               // clang-format on
                                                           }},
                                            RefusedCommand{"Increment", kIncrementQuestion,
                                                           [](Cursor& c, FakeServices& ui, Rotation& r) {
                                                               r = workforce::incrementPeriod(c, ui, 14, r);
                                                           }},
                                            RefusedCommand{"NextMonth", kNextMonthQuestion,
                                                           [](Cursor& c, FakeServices& ui, Rotation& r) {
                                                               r = workforce::nextMonth(c, ui, encodeDate(2024, 2, 29),
                                                                                        r);
                                                           }}),
                          [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Create Period

struct CreateRange {
    const char* name;
    core::DateTime start;
    core::DateTime end;
    core::DateTime first; ///< the first and last day expected
    core::DateTime last;
};

void PrintTo(const CreateRange& c, std::ostream* os) { *os << c.name; }

class CreateAcceptedTest : public CalendarTest, public ::testing::WithParamInterface<CreateRange> {};

TEST_P(CreateAcceptedTest, MakesEveryDayFromStartToEnd)
{
    create(encodeDate(2023, 12, 1), encodeDate(2023, 12, 5));
    ui.answers = {true};
    rotation = workforce::createPeriod(p, ui, GetParam().start, GetParam().end, rotation);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{kCreateQuestion}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dates(), range(GetParam().first, GetParam().last));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ranges, CreateAcceptedTest,
    ::testing::Values(
        // 50 days after the start: the longest period there is.
        CreateRange{"FiftyOneDays", encodeDate(2024, 3, 1) + 0.75, encodeDate(2024, 4, 20) + 0.75,
                    encodeDate(2024, 3, 1), encodeDate(2024, 4, 20)},
        // Less than a day apart by the clock, yet two dates.
        CreateRange{"TwoDaysLateToEarly", encodeDate(2024, 3, 1) + 0.75, encodeDate(2024, 3, 2) + 0.25,
                    encodeDate(2024, 3, 1), encodeDate(2024, 3, 2)},
        // More than 50 days by the clock, yet 50 by the dates.
        CreateRange{"FiftyOneDaysEarlyToLate", encodeDate(2024, 3, 1) + 0.25, encodeDate(2024, 4, 20) + 0.75,
                    encodeDate(2024, 3, 1), encodeDate(2024, 4, 20)}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct CreateRefusal {
    const char* name;
    core::DateTime start;
    core::DateTime end;
    const char* message;
};

void PrintTo(const CreateRefusal& c, std::ostream* os) { *os << c.name; }

class CreateRefusedTest : public CalendarTest, public ::testing::WithParamInterface<CreateRefusal> {};

TEST_P(CreateRefusedTest, KeepsTheCalendarWithItsHolidays)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 14));
    markHoliday(encodeDate(2024, 1, 1));
    markHoliday(encodeDate(2024, 1, 9));
    const auto before = days();
    const Rotation rotationBefore = rotation;

    ui.answers = {true};
    rotation = workforce::createPeriod(p, ui, GetParam().start, GetParam().end, rotation);

    EXPECT_EQ(ui.messages, (std::vector<std::string>{GetParam().message}));
    EXPECT_EQ(days(), before);
    EXPECT_TRUE(sameRotation(rotation, rotationBefore)) << show(rotation);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Dates, CreateRefusedTest,
    ::testing::Values(
        CreateRefusal{"SameDate", encodeDate(2024, 3, 1) + 0.75, encodeDate(2024, 3, 1) + 0.75,
                      "Incorrect Start date/End date"},
        CreateRefusal{"SameDateLaterTime", encodeDate(2024, 3, 1) + 0.25, encodeDate(2024, 3, 1) + 0.75,
                      "Incorrect Start date/End date"},
        CreateRefusal{"EndBeforeStart", encodeDate(2024, 3, 10) + 0.75, encodeDate(2024, 3, 9) + 0.75,
                      "Incorrect Start date/End date"},
        CreateRefusal{"FiftyTwoDays", encodeDate(2024, 3, 1) + 0.75, encodeDate(2024, 4, 21) + 0.75,
                      "Too many days selected for Pay Period!"},
        CreateRefusal{"FiftyTwoDaysLateToEarly", encodeDate(2024, 3, 1) + 0.75, encodeDate(2024, 4, 21) + 0.25,
                      "Too many days selected for Pay Period!"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---------------------------------------------------------------------------------------
// Increment

TEST_F(CalendarTest, IncrementFollowsTheLastDayAndCarriesTheRotation)
{
    // Monday 18 March to Sunday 31 March: 2/4 then 3/5.
    create(encodeDate(2024, 3, 18) + 0.75, encodeDate(2024, 3, 31) + 0.75);
    markHoliday(encodeDate(2024, 3, 29));
    ui.answers = {true};
    rotation = workforce::incrementPeriod(p, ui, 14, rotation);

    EXPECT_EQ(ui.questions, (std::vector<std::string>{kIncrementQuestion}));
    EXPECT_TRUE(ui.messages.empty());
    std::vector<Day> expected;
    for (int d = 1; d <= 14; ++d)
        expected.push_back({encodeDate(2024, 4, d), 1, d <= 7 ? 2 : 3, d <= 7 ? 6 : 4, ""});
    EXPECT_EQ(days(), expected);
    EXPECT_TRUE(sameRotation(rotation, {2, 5})) << show(rotation);
}

TEST_F(CalendarTest, IncrementOnAnEmptyCalendarSaysSo)
{
    ui.answerAllYes = true;
    rotation = workforce::incrementPeriod(p, ui, 14, rotation);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kEmptyCalendar}));
    EXPECT_EQ(p.recordCount(), 0);
    EXPECT_TRUE(sameRotation(rotation, {2, 4})) << show(rotation);
}

// ---------------------------------------------------------------------------------------
// Next Month

TEST_F(CalendarTest, NextMonthRunsFromTheDayAfterToTheNewEnd)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 31));
    ui.answers = {true};
    rotation = workforce::nextMonth(p, ui, encodeDate(2024, 2, 29) + 0.75, rotation);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{kNextMonthQuestion}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dates(), range(encodeDate(2024, 2, 1), encodeDate(2024, 2, 29)));
}

TEST_F(CalendarTest, NextMonthTakesUpToFiftyDays)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 31));
    ui.answers = {true};
    rotation = workforce::nextMonth(p, ui, encodeDate(2024, 1, 31) + 50 + 0.75, rotation);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dates(), range(encodeDate(2024, 2, 1), encodeDate(2024, 1, 31) + 50));
}

struct NextMonthRefusal {
    const char* name;
    int daysAfterLast;
    const char* message;
};

void PrintTo(const NextMonthRefusal& c, std::ostream* os) { *os << c.name; }

class NextMonthRefusedTest : public CalendarTest, public ::testing::WithParamInterface<NextMonthRefusal> {};

TEST_P(NextMonthRefusedTest, KeepsTheCalendar)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 31));
    markHoliday(encodeDate(2024, 1, 31));
    const auto before = days();
    const Rotation rotationBefore = rotation;

    ui.answers = {true};
    rotation = workforce::nextMonth(p, ui, encodeDate(2024, 1, 31) + GetParam().daysAfterLast + 0.75, rotation);

    EXPECT_EQ(ui.messages, (std::vector<std::string>{GetParam().message}));
    EXPECT_EQ(days(), before);
    EXPECT_TRUE(sameRotation(rotation, rotationBefore)) << show(rotation);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(NewEnds, NextMonthRefusedTest,
                         ::testing::Values(NextMonthRefusal{"FiftyOneDaysOn", 51, "Too many days in Pay Period"},
                                           NextMonthRefusal{"SameDay", 0, "Period End date incorrect!"},
                                           NextMonthRefusal{"DayBefore", -1, "Period End date incorrect!"}),
                         [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(CalendarTest, NextMonthOnAnEmptyCalendarSaysSo)
{
    ui.answerAllYes = true;
    rotation = workforce::nextMonth(p, ui, encodeDate(2024, 2, 29), rotation);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kEmptyCalendar}));
    EXPECT_EQ(p.recordCount(), 0);
    EXPECT_TRUE(sameRotation(rotation, {2, 4})) << show(rotation);
}

// ---------------------------------------------------------------------------------------
// Shifts

/// The expected days of a period whose weeks (Monday to Sunday) carry the given groups.
std::vector<Day> weeks(core::DateTime monday, const std::vector<std::pair<int, int>>& groups)
{
    std::vector<Day> out;
    for (std::size_t w = 0; w < groups.size(); ++w)
        for (int d = 0; d < 7; ++d)
            out.push_back({monday + static_cast<double>(7 * w) + d, 1, groups[w].first, groups[w].second, ""});
    return out;
}

TEST_F(CalendarTest, ShiftsRotateAfterEverySunday)
{
    create(encodeDate(2024, 4, 1), encodeDate(2024, 4, 28));
    EXPECT_EQ(days(), weeks(encodeDate(2024, 4, 1), {{2, 4}, {3, 5}, {2, 6}, {3, 4}}));
    EXPECT_TRUE(sameRotation(rotation, {2, 5})) << show(rotation);
}

TEST_F(CalendarTest, InsertShiftsAgainContinuesTheRotation)
{
    create(encodeDate(2024, 4, 1), encodeDate(2024, 4, 28));
    rotation = workforce::insertShifts(p, rotation);
    EXPECT_EQ(days(), weeks(encodeDate(2024, 4, 1), {{2, 5}, {3, 6}, {2, 4}, {3, 5}}));
    EXPECT_TRUE(sameRotation(rotation, {2, 6})) << show(rotation);
}

TEST_F(CalendarTest, SundayStartAndSaturdayEnd)
{
    // Sunday 31 March to Saturday 13 April.
    rotation = {3, 6};
    create(encodeDate(2024, 3, 31), encodeDate(2024, 4, 13));
    std::vector<Day> expected{{encodeDate(2024, 3, 31), 1, 3, 6, ""}};
    for (int d = 1; d <= 13; ++d)
        expected.push_back({encodeDate(2024, 4, d), 1, d <= 7 ? 2 : 3, d <= 7 ? 4 : 5, ""});
    EXPECT_EQ(days(), expected);
    EXPECT_TRUE(sameRotation(rotation, {3, 5})) << show(rotation);
}

TEST_F(CalendarTest, InsertShiftsKeepsHolidays)
{
    create(encodeDate(2024, 4, 1), encodeDate(2024, 4, 14));
    markHoliday(encodeDate(2024, 4, 5));
    rotation = workforce::insertShifts(p, rotation);
    ASSERT_TRUE(p.findKey(Value::date(encodeDate(2024, 4, 5))));
    EXPECT_EQ(p.asText("Holiday"), "Holiday");
    EXPECT_EQ(p.asInteger("Shift3"), 6);
}

TEST_F(CalendarTest, InsertShiftsOnAnEmptyCalendarKeepsTheRotation)
{
    rotation = {3, 6};
    rotation = workforce::insertShifts(p, rotation);
    EXPECT_TRUE(sameRotation(rotation, {3, 6})) << show(rotation);
    EXPECT_EQ(p.recordCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Holidays and weekday names

TEST_F(CalendarTest, SetHolidayMarksAndClearsTheCurrentDay)
{
    create(encodeDate(2024, 4, 1), encodeDate(2024, 4, 3));
    ASSERT_TRUE(p.findKey(Value::date(encodeDate(2024, 4, 2))));
    workforce::setHoliday(p, true);
    EXPECT_EQ(p.state(), Cursor::State::Browse);
    std::vector<std::string> marks;
    for (const Day& d : days())
        marks.push_back(d.holiday);
    EXPECT_EQ(marks, (std::vector<std::string>{"", "Holiday", ""}));

    ASSERT_TRUE(p.findKey(Value::date(encodeDate(2024, 4, 2))));
    workforce::setHoliday(p, false);
    EXPECT_TRUE(p.isNull("Holiday"));
    marks.clear();
    for (const Day& d : days())
        marks.push_back(d.holiday);
    EXPECT_EQ(marks, (std::vector<std::string>{"", "", ""}));
}

TEST_F(CalendarTest, SetHolidayWithoutDayDoesNothing)
{
    EXPECT_NO_THROW(workforce::setHoliday(p, true));
    EXPECT_EQ(p.state(), Cursor::State::Browse);
    EXPECT_EQ(p.recordCount(), 0);
}

TEST_F(CalendarTest, DayOfWeekNamesTheDate)
{
    create(encodeDate(2024, 1, 1), encodeDate(2024, 1, 7));
    std::vector<std::string> names;
    for (p.first(); !p.eof(); p.next())
        names.push_back(p.asText("DOW"));
    EXPECT_EQ(names,
              (std::vector<std::string>{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"}));
}

} // namespace
