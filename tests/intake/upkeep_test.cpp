#include "intake/upkeep.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/services.h"
#include "store/sqlite.h"
#include "support/fakeservices.h"
#include "support/testsupport.h"

namespace {

using testsupport::FakeServices;

/// One clocking as the fixture stores it.
struct Row {
    const char* date;
    const char* time;
    const char* mobile;
    const char* status = "IN";
    std::optional<int> used = 0;
};

/// The clockings table with the cursors open and a way to fill it and read it back.
class ClockingsTest : public ::testing::Test {
protected:
    testsupport::MemoryStore s;
    store::Cursor& clk = s.tables->ClkdataTable;
    FakeServices ui;

    void SetUp() override { s.tables->openAll(); }

    /// Stores the rows in the order given (their Inc follows that order) and refreshes the cursor.
    void store(const std::vector<Row>& rows)
    {
        store::Statement ins(*s.db, "INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES (?, ?, ?, ?, ?)");
        for (const Row& r : rows) {
            ins.bind(1, std::string_view(r.date));
            ins.bind(2, std::string_view(r.time));
            ins.bind(3, std::string_view(r.mobile));
            ins.bind(4, std::string_view(r.status));
            if (r.used)
                ins.bind(5, *r.used);
            else
                ins.bindNull(5);
            ins.run();
        }
        clk.refresh();
    }

    /// The Inc of every row left, in storing order.
    std::vector<std::int64_t> incsLeft()
    {
        std::vector<std::int64_t> out;
        store::Statement st(*s.db, "SELECT Inc FROM ClkData ORDER BY Inc");
        while (st.step())
            out.push_back(st.columnInt(0));
        return out;
    }

    /// The Used value of every row left, in storing order; -1 stands for no value.
    std::vector<std::int64_t> usedLeft()
    {
        std::vector<std::int64_t> out;
        store::Statement st(*s.db, "SELECT Used FROM ClkData ORDER BY Inc");
        while (st.step())
            out.push_back(st.isNull(0) ? -1 : st.columnInt(0));
        return out;
    }

    int tableCount()
    {
        store::Statement st(*s.db, "SELECT count(*) FROM ClkData");
        st.step();
        return static_cast<int>(st.columnInt(0));
    }

    /// Runs an upkeep command as the program does: the clockings cursor read afresh and put
    /// on its first row afterwards.
    template <typename F>
    int run(F&& command)
    {
        return testsupport::asCommand(s, ui, {{store::Table::Clkdata}, {store::Table::Clkdata}}, command);
    }

    /// What every command leaves behind: bar back at rest, cursor matching the table, on its first row.
    void expectTidyEnd()
    {
        EXPECT_EQ(ui.position, 0);
        EXPECT_EQ(ui.caption, core::kProgressRest);
        EXPECT_EQ(clk.recordCount(), tableCount());
        if (tableCount() > 0) {
            EXPECT_EQ(clk.recNo(), 0);
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Delete Double Clock Entries

struct DoubleCase {
    const char* what;
    std::vector<Row> rows;          ///< in storing order: Inc 1, 2, ...
    std::vector<std::int64_t> kept; ///< the Inc of the rows that stay
    friend std::ostream& operator<<(std::ostream& os, const DoubleCase& c) { return os << c.what; }
};

class DoubleEntryTest : public ClockingsTest, public testing::WithParamInterface<DoubleCase> {};

TEST_P(DoubleEntryTest, DeletesOnlyTheDoubles)
{
    const DoubleCase& c = GetParam();
    store(c.rows);
    clk.last();
    const int deleted = run([&] { return intake::deleteDoubleEntries(*s.db, ui); });
    EXPECT_EQ(incsLeft(), c.kept);
    EXPECT_EQ(deleted, static_cast<int>(c.rows.size() - c.kept.size()));
    expectTidyEnd();
}

const char* const kDay = "2024-04-02";
const char* const kAnna = "0821234567";
const char* const kBen = "0837654321";
const char* const kCarl = "0845550000";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, DoubleEntryTest,
    testing::Values(
        DoubleCase{"one second short of six minutes", {{kDay, "08:00:00", kAnna}, {kDay, "08:05:59", kAnna}}, {1}},
        DoubleCase{"exactly six minutes", {{kDay, "08:00:00", kAnna}, {kDay, "08:06:00", kAnna}}, {1, 2}},
        DoubleCase{"six minutes and a second", {{kDay, "08:00:00", kAnna}, {kDay, "08:06:01", kAnna}}, {1, 2}},
        DoubleCase{"a chain compares each with the one before it",
                   {{kDay, "08:00:00", kAnna}, {kDay, "08:04:00", kAnna}, {kDay, "08:08:00", kAnna}},
                   {1}},
        DoubleCase{"another phone in between",
                   {{kDay, "08:00:00", kAnna}, {kDay, "08:01:00", kBen}, {kDay, "08:02:00", kAnna}},
                   {1, 2}},
        DoubleCase{"colleagues clocking between two INs at the gate",
                   {{kDay, "07:58:24", kAnna}, {kDay, "07:58:50", kBen}, {kDay, "07:59:00", kCarl},
                    {kDay, "07:59:34", kAnna}},
                   {1, 2, 3}},
        DoubleCase{"in then in seventy seconds later", {{kDay, "07:58:24", kAnna}, {kDay, "07:59:34", kAnna}}, {1}},
        DoubleCase{"in then out two minutes later is no double",
                   {{kDay, "16:30:00", kAnna, "IN"}, {kDay, "16:32:00", kAnna, "OUT"}},
                   {1, 2}},
        DoubleCase{"out then in four minutes later is a short break",
                   {{kDay, "10:00:00", kAnna, "OUT"}, {kDay, "10:04:00", kAnna, "IN"}},
                   {1, 2}},
        DoubleCase{"out then out within six minutes",
                   {{kDay, "17:00:00", kAnna, "OUT"}, {kDay, "17:03:00", kAnna, "OUT"}},
                   {1}},
        DoubleCase{"statuses are compared without case",
                   {{kDay, "08:00:00", kAnna, "IN"}, {kDay, "08:02:00", kAnna, "in"}},
                   {1}},
        DoubleCase{"a break between two INs keeps all three",
                   {{kDay, "08:00:00", kAnna, "IN"}, {kDay, "08:02:00", kAnna, "OUT"}, {kDay, "08:03:00", kAnna, "IN"}},
                   {1, 2, 3}},
        // Stored out of order, three phones: each compared with its own previous clocking.
        DoubleCase{"several phones in mixed order",
                   {{kDay, "17:00:00", kCarl, "OUT"}, {kDay, "08:03:00", kAnna, "IN"}, {kDay, "08:05:00", kBen, "IN"},
                    {kDay, "08:00:00", kAnna, "IN"}, {kDay, "08:01:00", kBen, "IN"}, {kDay, "17:02:00", kAnna, "OUT"},
                    {kDay, "17:03:00", kCarl, "OUT"}, {kDay, "16:58:00", kBen, "OUT"}, {kDay, "16:59:00", kAnna, "OUT"}},
                   {1, 4, 5, 8, 9}},
        DoubleCase{"two phones at the same moment", {{kDay, "08:00:00", kAnna}, {kDay, "08:00:00", kBen}}, {1, 2}},
        DoubleCase{"identical pair keeps the first stored",
                   {{kDay, "08:00:00", kAnna, "IN"}, {kDay, "08:00:00", kAnna, "IN"}},
                   {1}},
        DoubleCase{"table order, not storing order",
                   {{kDay, "08:03:00", kAnna}, {kDay, "08:00:00", kAnna}},
                   {2}},
        DoubleCase{"numbers alike in their first 20 characters",
                   {{kDay, "08:00:00", "123456789012345678901"}, {kDay, "08:03:00", "123456789012345678902"}},
                   {1}},
        DoubleCase{"numbers differing in the 20th character",
                   {{kDay, "08:00:00", "12345678901234567890"}, {kDay, "08:03:00", "12345678901234567891"}},
                   {1, 2}},
        DoubleCase{"across midnight", {{"2024-04-02", "23:58:00", kAnna}, {"2024-04-03", "00:01:00", kAnna}}, {1}},
        DoubleCase{"same time on the next day", {{"2024-04-02", "08:00:00", kAnna}, {"2024-04-03", "08:00:00", kAnna}},
                   {1, 2}},
        DoubleCase{"a row marked 3 by an interrupted run",
                   {{kDay, "08:00:00", kAnna}, {kDay, "12:00:00", kAnna, "OUT", 3}, {kDay, "17:00:00", kBen}},
                   {1, 3}},
        DoubleCase{"used rows count like any other",
                   {{kDay, "08:00:00", kAnna, "IN", 1}, {kDay, "08:01:00", kAnna, "IN", std::nullopt}},
                   {1}}));
// clang-format on

TEST_F(ClockingsTest, DoubleEntriesOnAnEmptyTable)
{
    EXPECT_EQ(run([&] { return intake::deleteDoubleEntries(*s.db, ui); }), 0);
    EXPECT_EQ(tableCount(), 0);
    expectTidyEnd();
}

TEST_F(ClockingsTest, DoubleEntriesRefreshTheCursor)
{
    store({{kDay, "08:00:00", kAnna}, {kDay, "08:01:00", kAnna}, {kDay, "09:00:00", kBen}});
    ASSERT_EQ(clk.recordCount(), 3);
    clk.last();
    run([&] { return intake::deleteDoubleEntries(*s.db, ui); });
    EXPECT_EQ(clk.recordCount(), 2);
    EXPECT_EQ(clk.recNo(), 0);
    EXPECT_EQ(core::toIsoTime(clk.asDateTime("Time")), "08:00:00");
    clk.next();
    EXPECT_EQ(clk.asText("MobileNo"), kBen);
    EXPECT_EQ(ui.caption, core::kProgressRest);
    EXPECT_EQ(ui.position, 0);
}

// ---------------------------------------------------------------------------------------------
// Delete Used Clock Data and Reset USED Field

TEST_F(ClockingsTest, DeleteUsedClockDataRemovesTheUsedRows)
{
    store({{kDay, "08:00:00", kAnna, "IN", 0},
           {kDay, "17:00:00", kAnna, "OUT", 1},
           {"2024-04-03", "08:00:00", kAnna, "IN", 1},
           {"2024-04-03", "17:00:00", kAnna, "OUT", std::nullopt},
           {"2024-04-04", "08:00:00", kAnna, "IN", 3}});
    clk.last();
    EXPECT_EQ(run([&] { return intake::deleteUsedClockData(*s.db, ui); }), 2);
    EXPECT_EQ(incsLeft(), (std::vector<std::int64_t>{1, 4, 5}));
    EXPECT_EQ(usedLeft(), (std::vector<std::int64_t>{0, -1, 3}));
    expectTidyEnd();
}

TEST_F(ClockingsTest, ResetUsedFieldEmptiesOnlyTheOnes)
{
    store({{kDay, "08:00:00", kAnna, "IN", 0},
           {kDay, "12:00:00", kAnna, "OUT", 1},
           {kDay, "13:00:00", kAnna, "IN", 3},
           {kDay, "17:00:00", kAnna, "OUT", std::nullopt},
           {"2024-04-03", "08:00:00", kAnna, "IN", 1}});
    clk.last();
    EXPECT_EQ(run([&] { return intake::resetUsedField(*s.db, ui); }), 2);
    EXPECT_EQ(incsLeft(), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(usedLeft(), (std::vector<std::int64_t>{0, -1, 3, -1, -1}));
    expectTidyEnd();
    // The cursor shows the new values, not the ones it read before.
    clk.next();
    EXPECT_TRUE(clk.isNull("Used"));
}

TEST_F(ClockingsTest, UsedCommandsOnAnEmptyTable)
{
    EXPECT_EQ(run([&] { return intake::deleteUsedClockData(*s.db, ui); }), 0);
    expectTidyEnd();
    EXPECT_EQ(run([&] { return intake::resetUsedField(*s.db, ui); }), 0);
    expectTidyEnd();
    EXPECT_EQ(tableCount(), 0);
}

} // namespace
