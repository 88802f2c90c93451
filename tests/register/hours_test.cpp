#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/value.h"
#include "register/hours.h"
#include "store/sqlite.h"
#include "support/testsupport.h"

namespace {

using registers::DayHours;
using registers::DayTimes;
using registers::HoursRules;

constexpr double kEps = 1e-9;

/// A time of day in whole milliseconds.
constexpr std::int64_t at(int hour, int minute = 0) { return (static_cast<std::int64_t>(hour) * 60 + minute) * 60'000; }

constexpr double minutes(int m) { return m / 60.0; }

/// One clock pair as the register holds it; either side may be empty.
struct Pair {
    std::optional<std::int64_t> in;
    std::optional<std::int64_t> out;
};

enum class Mode { Fixed, Flexi };
enum class Kind { Ordinary, Sunday, Holiday, SundayHoliday };

struct Rules {
    double lunch = 60;
    double hrsBefore = 5;
    double play = 10;
    double workLate = 0; ///< hours
};

struct Case {
    std::string name;
    Mode mode;
    std::int64_t slotStart;
    std::int64_t slotEnd;
    std::vector<Pair> pairs;
    Kind kind;
    DayHours expected;
    Rules rules{};
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

DayTimes dayOf(const Case& c)
{
    DayTimes d;
    d.slotStart = c.slotStart;
    d.slotEnd = c.slotEnd;
    for (std::size_t n = 0; n < c.pairs.size(); ++n) {
        d.in.at(n) = c.pairs[n].in;
        d.out.at(n) = c.pairs[n].out;
    }
    d.holiday = c.kind == Kind::Holiday || c.kind == Kind::SundayHoliday;
    d.sunday = c.kind == Kind::Sunday || c.kind == Kind::SundayHoliday;
    return d;
}

HoursRules hoursRulesOf(const Case& c)
{
    HoursRules r;
    r.flexiTime = c.mode == Mode::Flexi;
    r.lunchMinutes = c.rules.lunch;
    r.hrsBefore = c.rules.hrsBefore;
    r.playMinutes = c.rules.play;
    r.workLateHours = c.rules.workLate;
    return r;
}

void expectHours(const DayHours& h, const DayHours& e)
{
    EXPECT_NEAR(h.NHrs, e.NHrs, kEps) << "NHrs";
    EXPECT_NEAR(h.HrsIN, e.HrsIN, kEps) << "HrsIN";
    EXPECT_NEAR(h.NT, e.NT, kEps) << "NT";
    EXPECT_NEAR(h.OT1, e.OT1, kEps) << "OT1";
    EXPECT_NEAR(h.OT2, e.OT2, kEps) << "OT2";
    EXPECT_NEAR(h.HT, e.HT, kEps) << "HT";
}

class HoursTest : public ::testing::TestWithParam<Case> {};

TEST_P(HoursTest, SplitsTheDay)
{
    const Case& c = GetParam();
    expectHours(registers::dayHours(dayOf(c), hoursRulesOf(c)), c.expected);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

// Expected values in the order NHrs, HrsIN, NT, OT1, OT2, HT.
// Unless a case says otherwise: Lunch 60 min, HrsBefore 5 h, Play 10 min.

// clang-format off
const Case kSlotLength[] = {
    {"DaySlot", Mode::Fixed, at(8), at(17), {}, Kind::Ordinary, {9, 0, 0, 0, 0, 0}},
    {"NightSlotCrossesMidnight", Mode::Fixed, at(22), at(6), {}, Kind::Ordinary, {8, 0, 0, 0, 0, 0}},
    {"SlotEndingAtMidnight", Mode::Fixed, at(16), at(0), {}, Kind::Ordinary, {8, 0, 0, 0, 0, 0}},
    {"SlotStartEqualsEnd", Mode::Fixed, at(8), at(8), {}, Kind::Ordinary, {0, 0, 0, 0, 0, 0}},
    {"EmptySlot", Mode::Flexi, at(0), at(0), {}, Kind::Ordinary, {0, 0, 0, 0, 0, 0}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HoursSlotLength, HoursTest, ::testing::ValuesIn(kSlotLength), caseName);

// clang-format off
const Case kFlexi[] = {
    {"WorkedEqualsNormal", Mode::Flexi, at(8), at(17), {{at(7, 30), at(17, 30)}}, Kind::Ordinary,
     {9, 10, 9, 0, 0, 0}},
    {"OvertimeBeyondTolerance", Mode::Flexi, at(8), at(17), {{at(7), at(18)}}, Kind::Ordinary,
     {9, 11, 9, 1, 0, 0}},
    {"ShortDayBelowThreshold", Mode::Flexi, at(8), at(17), {{at(8), at(12)}}, Kind::Ordinary,
     {9, 4, 4, 0, 0, 0}},
    {"PairOverMidnight", Mode::Flexi, at(8), at(17), {{at(22), at(2)}}, Kind::Ordinary, {9, 4, 4, 0, 0, 0}},
    {"OutAtMidnightIsNextDay", Mode::Flexi, at(8), at(17), {{at(22), at(0)}}, Kind::Ordinary,
     {9, 2, 2, 0, 0, 0}},
    {"InAtMidnightIsAValue", Mode::Flexi, at(8), at(17), {{at(0), at(6)}}, Kind::Ordinary,
     {9, 6, 5, 0, 0, 0}},
    {"MidnightToMidnightIsNoTime", Mode::Flexi, at(8), at(17), {{at(0), at(0)}, {at(8), at(12)}},
     Kind::Ordinary, {9, 4, 4, 0, 0, 0}},
    {"PairsAddUp", Mode::Flexi, at(8), at(17), {{at(7), at(12)}, {at(13), at(16)}, {at(17), at(19, 30)}},
     Kind::Ordinary, {9, 10.5, 9, 0.5, 0, 0}},
    {"IncompletePairsCountNothing", Mode::Flexi, at(8), at(17),
     {{at(8), at(12)}, {at(13), std::nullopt}, {std::nullopt, at(18)}}, Kind::Ordinary, {9, 4, 4, 0, 0, 0}},
    {"PairsNeedNotBeFirst", Mode::Flexi, at(8), at(17),
     {{std::nullopt, std::nullopt}, {std::nullopt, std::nullopt}, {std::nullopt, std::nullopt},
      {std::nullopt, std::nullopt}, {at(9), at(12)}},
     Kind::Ordinary, {9, 3, 3, 0, 0, 0}},
    {"ExcessEqualToTolerance", Mode::Flexi, at(8), at(17), {{at(7, 50), at(18)}}, Kind::Ordinary,
     {9, 10 + minutes(10), 9, 0, 0, 0}},
    {"ExcessAMinuteOverTolerance", Mode::Flexi, at(8), at(17), {{at(7, 49), at(18)}}, Kind::Ordinary,
     {9, 10 + minutes(11), 9, minutes(11), 0, 0}},
    {"NoToleranceAnyExcessIsOvertime", Mode::Flexi, at(8), at(17), {{at(8), at(17, 1)}}, Kind::Ordinary,
     {9, 9 + minutes(1), 9, minutes(1), 0, 0}, {0, 0, 0}},

    {"HolidayWithoutPairs", Mode::Flexi, at(8), at(17), {}, Kind::Holiday, {9, 0, 0, 0, 0, 9}},
    {"HolidayShortDay", Mode::Flexi, at(8), at(17), {{at(8), at(12)}}, Kind::Holiday, {9, 4, 0, 0, 4, 5}},
    {"HolidayFullDay", Mode::Flexi, at(8), at(17), {{at(7), at(18)}}, Kind::Holiday, {9, 11, 0, 0, 10, 0}},
    {"HolidayOnSundayIsAHoliday", Mode::Flexi, at(8), at(17), {{at(8), at(12)}}, Kind::SundayHoliday,
     {9, 4, 0, 0, 4, 5}},

    {"SundayShortDay", Mode::Flexi, at(8), at(17), {{at(8), at(12)}}, Kind::Sunday, {9, 4, 5, 0, 4, 0}},
    {"SundayFullDay", Mode::Flexi, at(8), at(17), {{at(7), at(18)}}, Kind::Sunday, {9, 11, 0, 0, 10, 0}},
    {"SundayWithoutNormalHours", Mode::Flexi, at(0), at(0), {{at(8), at(14)}}, Kind::Sunday, {0, 6, 0, 0, 5, 0}},

    // A lunch larger than the time worked leaves nothing, never less.
    {"LunchLargerThanTheTimeWorked", Mode::Flexi, at(8), at(17), {{at(8), at(8, 30)}}, Kind::Ordinary,
     {9, 0.5, 0, 0, 0, 0}, {60, 0, 10}},
    {"HolidayLunchLargerThanTheTimeWorked", Mode::Flexi, at(8), at(17), {{at(8), at(8, 30)}}, Kind::Holiday,
     {9, 0.5, 0, 0, 0, 9}, {60, 0, 10}},
    {"NightBreakAfterMidnight", Mode::Flexi, at(22), at(6), {{at(21, 58), at(2, 30)}, {at(2, 45), at(6, 1)}},
     Kind::Ordinary, {8, 7.8, 6.8, 0, 0, 0}, {60, 5, 10, 5}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HoursFlexi, HoursTest, ::testing::ValuesIn(kFlexi), caseName);

// clang-format off
const Case kFixed[] = {
    {"EarlyAndLate", Mode::Fixed, at(8), at(17), {{at(7), at(18)}}, Kind::Ordinary, {9, 11, 8, 2, 0, 0}},
    {"LateArrival", Mode::Fixed, at(8), at(17), {{at(8, 5), at(17)}}, Kind::Ordinary,
     {9, 8 + minutes(55), 7 + minutes(55), 0, 0, 0}},
    {"SmallExcessesWithinTolerance", Mode::Fixed, at(8), at(17), {{at(7, 58), at(12, 30)}, {at(13), at(17, 4)}},
     Kind::Ordinary, {9, 8.6, 7.5, 0, 0, 0}},
    {"OutsideEqualToTolerance", Mode::Fixed, at(8), at(17), {{at(7, 50), at(17)}}, Kind::Ordinary,
     {9, 9 + minutes(10), 8, 0, 0, 0}},
    {"OutsideAMinuteOverTolerance", Mode::Fixed, at(8), at(17), {{at(7, 49), at(17)}}, Kind::Ordinary,
     {9, 9 + minutes(11), 8, minutes(11), 0, 0}},
    {"PairBeforeTheSlot", Mode::Fixed, at(8), at(17), {{at(5), at(7)}}, Kind::Ordinary, {9, 2, 0, 2, 0, 0}},
    {"PairInsideTheSlot", Mode::Fixed, at(8), at(17), {{at(9), at(12)}}, Kind::Ordinary, {9, 3, 3, 0, 0, 0}},
    {"PairRunningPastTheEnd", Mode::Fixed, at(8), at(17), {{at(12), at(20)}}, Kind::Ordinary,
     {9, 8, 4, 3, 0, 0}},
    {"PairOverMidnightInDaySlot", Mode::Fixed, at(8), at(17), {{at(16), at(1)}}, Kind::Ordinary,
     {9, 9, 0, 8, 0, 0}},
    // Nothing inside the slot: the lunch comes off the overtime, and no value goes below zero.
    {"OnlyAfterTheSlotReachesThreshold", Mode::Fixed, at(8), at(17), {{at(18), at(23)}}, Kind::Ordinary,
     {9, 5, 0, 4, 0, 0}},
    // A four-minute break (OUT 10:00, IN 10:04) that the double-entry deletion keeps.
    {"ShortBreakBothPairsCount", Mode::Fixed, at(8), at(17), {{at(7, 58), at(10)}, {at(10, 4), at(17, 1)}},
     Kind::Ordinary, {9, 8 + minutes(59), 7 + minutes(56), 0, 0, 0}},
    {"CalledInForTheEvening", Mode::Fixed, at(8), at(17), {{at(17, 30), at(23, 30)}}, Kind::Ordinary,
     {9, 6, 0, 5, 0, 0}},
    {"LunchPartlyOffTheOvertime", Mode::Fixed, at(8), at(17), {{at(16, 30), at(22)}}, Kind::Ordinary,
     {9, 5.5, 0, 4.5, 0, 0}},
    {"LunchLargerThanTheTimeWorked", Mode::Fixed, at(8), at(17), {{at(8), at(8, 30)}}, Kind::Ordinary,
     {9, 0.5, 0, 0, 0, 0}, {60, 0, 10}},
    {"IncompletePairsCountNothing", Mode::Fixed, at(8), at(17),
     {{at(8), at(12)}, {at(13), std::nullopt}, {std::nullopt, at(18)}}, Kind::Ordinary, {9, 4, 4, 0, 0, 0}},
    {"InAtMidnightIsAValue", Mode::Fixed, at(8), at(17), {{at(0), at(6)}}, Kind::Ordinary, {9, 6, 0, 5, 0, 0}},
    {"MidnightToMidnightIsNoTime", Mode::Fixed, at(8), at(17), {{at(0), at(0)}, {at(9), at(12)}},
     Kind::Ordinary, {9, 3, 3, 0, 0, 0}},

    {"NightSlotPairAroundIt", Mode::Fixed, at(22), at(6), {{at(21, 50), at(6, 20)}}, Kind::Ordinary,
     {8, 8.5, 7, 0.5, 0, 0}},
    // The pairs after midnight are the next morning's, also with no WorkLate: 06:20 past the
    // end is then read as the evening and its OUT before the IN puts it on the morning.
    {"NightSlotSplitPairs", Mode::Fixed, at(22), at(6), {{at(21, 50), at(2)}, {at(2, 30), at(6, 20)}},
     Kind::Ordinary, {8, 8, 6.5, 0.5, 0, 0}},
    {"NightBreakAfterMidnight", Mode::Fixed, at(22), at(6), {{at(21, 58), at(2, 30)}, {at(2, 45), at(6, 1)}},
     Kind::Ordinary, {8, 7.8, 6.75, 0, 0, 0}, {60, 5, 10, 5}},
    {"NightBreakBeforeMidnight", Mode::Fixed, at(22), at(6), {{at(21, 58), at(23, 30)}, {at(23, 45), at(6, 1)}},
     Kind::Ordinary, {8, 7.8, 6.75, 0, 0, 0}, {60, 5, 10, 5}},
    {"NightWorkedOnPastTheEnd", Mode::Fixed, at(22), at(6), {{at(22), at(2)}, {at(2, 30), at(9)}},
     Kind::Ordinary, {8, 10.5, 6.5, 3, 0, 0}, {60, 5, 10, 5}},
    {"NightEarlyStartTheSameEvening", Mode::Fixed, at(22), at(6), {{at(20), at(6)}}, Kind::Ordinary,
     {8, 10, 7, 2, 0, 0}, {60, 5, 10, 5}},
    // A WorkLate that would reach the evening stops halfway to the next start (14:00 here).
    {"NightWorkLateStopsHalfway", Mode::Fixed, at(22), at(6), {{at(21, 58), at(2, 30)}, {at(2, 45), at(6, 1)}},
     Kind::Ordinary, {8, 7.8, 6.75, 0, 0, 0}, {60, 5, 10, 20}},
    {"SlotToMidnightOutAtMidnight", Mode::Fixed, at(16), at(0), {{at(15), at(0)}}, Kind::Ordinary,
     {8, 9, 7, 1, 0, 0}},

    // An early start placed on the day: the IN lies after the end of a slot within one day, so
    // it was the evening before and the OUT is this day's.
    {"EarlyStartTheEveningBefore", Mode::Fixed, at(6), at(14), {{at(23), at(14)}}, Kind::Ordinary,
     {8, 15, 7, 7, 0, 0}},
    {"EarlyStartJustBeforeMidnightWithinTolerance", Mode::Fixed, at(0), at(8), {{at(23, 50), at(8)}},
     Kind::Ordinary, {8, 8 + minutes(10), 7, 0, 0, 0}},
    // Wholly outside the slot either way: the same hours whichever day the IN was.
    {"EveningPastMidnightAfterADaySlot", Mode::Fixed, at(8), at(17), {{at(18), at(2)}}, Kind::Ordinary,
     {9, 8, 0, 7, 0, 0}},
    // An IN at the slot's end is not after it: the OUT is the next morning, not inside the slot.
    {"InAtTheSlotsEndIsNoEarlyStart", Mode::Fixed, at(6), at(14), {{at(14), at(7)}}, Kind::Ordinary,
     {8, 17, 0, 16, 0, 0}},
    // A slot across midnight keeps reading the OUT as the next morning, the IN after the
    // slot's end by its time of day included.
    {"NightSlotInAfterTheSlotsEndByTimeOfDay", Mode::Fixed, at(22), at(6), {{at(21), at(5)}}, Kind::Ordinary,
     {8, 8, 6, 1, 0, 0}},

    {"SundayLikeAnyOtherDay", Mode::Fixed, at(8), at(17), {{at(7), at(18)}}, Kind::Sunday, {9, 11, 8, 2, 0, 0}},
    {"HolidayShortDay", Mode::Fixed, at(8), at(17), {{at(8), at(12)}}, Kind::Holiday, {9, 4, 0, 0, 4, 5}},
    {"HolidayLunchDeducted", Mode::Fixed, at(8), at(17), {{at(8), at(14)}}, Kind::Holiday, {9, 6, 0, 0, 5, 4}},
    {"HolidayFullDay", Mode::Fixed, at(8), at(17), {{at(7), at(18)}}, Kind::Holiday, {9, 11, 0, 0, 10, 0}},
    {"HolidayWithoutPairs", Mode::Fixed, at(8), at(17), {}, Kind::Holiday, {9, 0, 0, 0, 0, 9}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HoursFixed, HoursTest, ::testing::ValuesIn(kFixed), caseName);

// HrsBefore 4.5 h and a 30 minute lunch: a total of exactly 4:30 deducts the lunch, 4:29 does not.
// clang-format off
const Case kThreshold[] = {
    {"FlexiAtThreshold", Mode::Flexi, at(8), at(17), {{at(8), at(12, 30)}}, Kind::Ordinary,
     {9, 4.5, 4, 0, 0, 0}, {30, 4.5, 10}},
    {"FlexiJustBelow", Mode::Flexi, at(8), at(17), {{at(8), at(12, 29)}}, Kind::Ordinary,
     {9, 4 + minutes(29), 4 + minutes(29), 0, 0, 0}, {30, 4.5, 10}},
    {"FixedAtThreshold", Mode::Fixed, at(8), at(17), {{at(8), at(12, 30)}}, Kind::Ordinary,
     {9, 4.5, 4, 0, 0, 0}, {30, 4.5, 10}},
    {"FixedJustBelow", Mode::Fixed, at(8), at(17), {{at(8, 1), at(12, 30)}}, Kind::Ordinary,
     {9, 4 + minutes(29), 4 + minutes(29), 0, 0, 0}, {30, 4.5, 10}},
    {"FixedThresholdCountsOutsideHours", Mode::Fixed, at(8), at(17), {{at(7), at(11, 30)}}, Kind::Ordinary,
     {9, 4.5, 3, 1, 0, 0}, {30, 4.5, 10}},
    {"HolidayAtThreshold", Mode::Fixed, at(8), at(17), {{at(8), at(12, 30)}}, Kind::Holiday,
     {9, 4.5, 0, 0, 4, 5}, {30, 4.5, 10}},
    {"HolidayJustBelow", Mode::Flexi, at(8), at(17), {{at(8), at(12, 29)}}, Kind::Holiday,
     {9, 4 + minutes(29), 0, 0, 4 + minutes(29), 4 + minutes(31)}, {30, 4.5, 10}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HoursThreshold, HoursTest, ::testing::ValuesIn(kThreshold), caseName);

// A register row read through the register cursor, with the employee's settings taken from
// the employee cursor at the time the row is read.
class HoursRegisterTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Tables& t = *s.tables;

    void SetUp() override
    {
        t.AttendanceTable.onCalcFields = [this](store::Record& r) {
            registers::AttendanceTableCalcFields(r, registers::rulesOf(t.EmployeeTable.record()));
        };
        t.openAll();
        s.db->exec("INSERT INTO Employee (No, Name, FlexiTime, Lunch, HrsBefore, Play) "
                   "VALUES (7, 'Ann', 'YES', 60, 5, 10)");
    }

    void addDay(const std::string& date, const std::string& dow, const std::string& slotIn, const std::string& slotOut,
                int holiday, const std::string& pairColumns = {}, const std::string& pairValues = {})
    {
        auto text = [](const std::string& v) { return v.empty() ? std::string("NULL") : "'" + v + "'"; };
        s.db->exec("INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday" + pairColumns
                   + ") VALUES (7, '" + date + "', '" + dow + "', 1, " + text(slotIn) + ", " + text(slotOut) + ", "
                   + std::to_string(holiday) + pairValues + ")");
    }

    void refresh()
    {
        t.EmployeeTable.refresh();
        t.AttendanceTable.refresh();
        ASSERT_TRUE(t.EmployeeTable.findKey(core::Value::integer(7)));
    }

    DayHours current() const
    {
        const store::Cursor& a = t.AttendanceTable;
        return {a.asReal("NHrs"), a.asReal("HrsIN"), a.asReal("NT"), a.asReal("OT1"), a.asReal("OT2"), a.asReal("HT")};
    }

    void setFlexiTime(const std::string& value)
    {
        t.EmployeeTable.edit();
        t.EmployeeTable.setText("FlexiTime", value);
        t.EmployeeTable.post();
    }
};

TEST_F(HoursRegisterTest, SplitFollowsTheEmployeesFlexiTime)
{
    addDay("2026-03-02", "Monday", "08:00:00", "17:00:00", 0, ", In1, Out1", ", '07:00:00', '18:00:00'");
    refresh();
    ASSERT_EQ(t.AttendanceTable.recordCount(), 1);
    {
        SCOPED_TRACE("FlexiTime YES");
        expectHours(current(), {9, 11, 9, 1, 0, 0});
    }

    setFlexiTime("NO");
    ASSERT_EQ(t.AttendanceTable.recordCount(), 1);
    {
        SCOPED_TRACE("FlexiTime NO");
        expectHours(current(), {9, 11, 8, 2, 0, 0});
    }

    // Only the exact word turns flexitime on.
    setFlexiTime("Yes");
    {
        SCOPED_TRACE("FlexiTime Yes");
        expectHours(current(), {9, 11, 8, 2, 0, 0});
    }
    setFlexiTime("YES");
    {
        SCOPED_TRACE("FlexiTime YES again");
        expectHours(current(), {9, 11, 9, 1, 0, 0});
    }
}

TEST_F(HoursRegisterTest, RowColumnsFeedTheCalculation)
{
    // Dates order the rows: Sunday, a holiday, a row without slot times, a lower-case "sunday".
    addDay("2026-03-01", "Sunday", "08:00:00", "17:00:00", 0, ", In1, Out1", ", '08:00:00', '12:00:00'");
    addDay("2026-03-02", "Monday", "08:00:00", "17:00:00", 1, ", In1, Out1", ", '08:00:00', '12:00:00'");
    addDay("2026-03-03", "Tuesday", "", "", 0, ", In1, Out1, In2, Out3",
           ", '00:00:00', '06:00:00', '13:00:00', '18:00:00'");
    addDay("2026-03-08", "sunday", "08:00:00", "17:00:00", 0, ", In5, Out5", ", '08:00:00', '12:00:00'");
    refresh();
    store::Cursor& a = t.AttendanceTable;
    ASSERT_EQ(a.recordCount(), 4);

    a.first();
    {
        SCOPED_TRACE("Sunday");
        expectHours(current(), {9, 4, 5, 0, 4, 0});
    }
    a.next();
    {
        SCOPED_TRACE("Holiday");
        expectHours(current(), {9, 4, 0, 0, 4, 5});
    }
    a.next();
    {
        SCOPED_TRACE("Empty slot times, pair from midnight, incomplete pairs");
        expectHours(current(), {0, 6, 0, 5, 0, 0});
        EXPECT_TRUE(a.isNull("INTime"));
    }
    a.next();
    {
        SCOPED_TRACE("DOW sunday in lower case is an ordinary day; fifth pair counts");
        expectHours(current(), {9, 4, 4, 0, 0, 0});
    }
}

} // namespace
