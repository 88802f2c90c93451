#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "register/build.h"

namespace {

struct SlotCase {
    std::optional<int> employeeShift;
    int shiftNo;
    int shift2;
    int shift3;
    std::optional<int> expected;
};

void PrintTo(const SlotCase& c, std::ostream* os)
{
    *os << "shift " << (c.employeeShift ? std::to_string(*c.employeeShift) : "empty") << " on day ShiftNo " << c.shiftNo
        << " Shift2 " << c.shift2 << " Shift3 " << c.shift3;
}

class SlotTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotTest, PicksTheDaysSlot)
{
    const SlotCase& c = GetParam();
    EXPECT_EQ(registers::slotFor(c.employeeShift, c.shiftNo, c.shift2, c.shift3), c.expected);
}

constexpr std::optional<int> none = std::nullopt;

// Shift 1 and shifts 7 and above work the day's ShiftNo, whatever the other numbers say.
// clang-format off
INSTANTIATE_TEST_SUITE_P(SlotDayShift, SlotTest,
                         ::testing::Values(SlotCase{1, 1, 2, 4, 1}, SlotCase{1, 3, 1, 1, 3},
                                           SlotCase{7, 1, 7, 7, 1}, SlotCase{9, 1, 2, 4, 1},
                                           SlotCase{9, 2, 9, 9, 2}, SlotCase{12, 5, 0, 0, 5}));
// clang-format on

// Shifts 2 and 3 alternate on the day's Shift2.
// clang-format off
INSTANTIATE_TEST_SUITE_P(SlotTwoShiftRotation, SlotTest,
                         ::testing::Values(SlotCase{2, 1, 2, 4, 2}, SlotCase{3, 1, 2, 4, 3},
                                           SlotCase{3, 1, 3, 4, 2}, SlotCase{2, 1, 3, 4, 3},
                                           SlotCase{2, 1, 0, 4, 3}, SlotCase{3, 1, 0, 4, 3},
                                           SlotCase{2, 2, 3, 2, 3}, SlotCase{3, 3, 3, 3, 2}));
// clang-format on

// Shifts 4, 5 and 6 rotate on the day's Shift3: f gets slot 4, its successor (6 wraps to 4)
// slot 5, the third one slot 6. An empty Shift3 leaves every one of them on slot 6.
// clang-format off
INSTANTIATE_TEST_SUITE_P(SlotThreeShiftRotation, SlotTest,
                         ::testing::Values(SlotCase{4, 1, 2, 4, 4}, SlotCase{5, 1, 2, 4, 5},
                                           SlotCase{6, 1, 2, 4, 6}, SlotCase{4, 1, 2, 5, 6},
                                           SlotCase{5, 1, 2, 5, 4}, SlotCase{6, 1, 2, 5, 5},
                                           SlotCase{4, 1, 2, 6, 5}, SlotCase{5, 1, 2, 6, 6},
                                           SlotCase{6, 1, 2, 6, 4}, SlotCase{4, 1, 2, 0, 6},
                                           SlotCase{5, 1, 2, 0, 6}, SlotCase{6, 1, 2, 0, 6},
                                           SlotCase{5, 5, 5, 4, 5}, SlotCase{4, 4, 4, 6, 5}));
// clang-format on

// No shift number, or one that is not positive, gives no slot even on a day with numbers.
// clang-format off
INSTANTIATE_TEST_SUITE_P(SlotNoSlot, SlotTest,
                         ::testing::Values(SlotCase{none, 1, 2, 4, none}, SlotCase{0, 1, 2, 4, none},
                                           SlotCase{0, 0, 0, 0, none}, SlotCase{-1, 1, 2, 4, none},
                                           SlotCase{-5, 1, 2, 4, none}));
// clang-format on

} // namespace
