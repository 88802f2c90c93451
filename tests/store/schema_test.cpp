#include <gtest/gtest.h>

#include "store/sqlite.h"
#include "support/testsupport.h"

namespace {

using core::Value;
using store::Cursor;

int countRows(store::Database& db, const std::string& table)
{
    store::Statement st(db, "SELECT count(*) FROM \"" + table + "\"");
    st.step();
    return static_cast<int>(st.columnInt(0));
}

struct KeyCase {
    const char* table;
    const char* column;
    Value value;
};

class UniqueKeyTest : public ::testing::TestWithParam<KeyCase> {};

Cursor& cursorFor(store::Tables& t, const std::string& table)
{
    for (Cursor* c : t.inOrder())
        if (c->table().name == table)
            return *c;
    throw std::runtime_error("no cursor for " + table);
}

TEST_P(UniqueKeyTest, SecondRowWithSameKeyIsRefusedAndStaysInInsert)
{
    const KeyCase& k = GetParam();
    testsupport::MemoryStore s;
    Cursor& c = cursorFor(*s.tables, k.table);
    c.open();
    c.append();
    c.setValue(k.column, k.value);
    c.post();
    c.append();
    c.setValue(k.column, k.value);
    try {
        c.post();
        FAIL() << "a second row with the same key was stored";
    } catch (const store::SqlError& e) {
        EXPECT_NE(std::string(e.what()).find(std::string("UNIQUE constraint failed: ") + k.table + "." + k.column),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(c.state(), Cursor::State::Insert);
    EXPECT_EQ(countRows(*s.db, k.table), 1);
    c.cancel();
    EXPECT_EQ(c.recordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, UniqueKeyTest,
                         ::testing::Values(KeyCase{"Employee", "No", Value::integer(7)},
                                           KeyCase{"Shifts", "No", Value::integer(1)},
                                           KeyCase{"Period", "Date", Value::date(core::encodeDate(2026, 12, 10))},
                                           KeyCase{"PerHistory", "Period", Value::integer(12)}));

class RequiredColumnTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RequiredColumnTest, RowWithoutRequiredValueIsRefused)
{
    const KeyCase& k = GetParam();
    testsupport::MemoryStore s;
    Cursor& c = cursorFor(*s.tables, k.table);
    c.open();
    c.append();
    // Fill every required column except the one under test.
    for (const auto& col : c.table().columns)
        if (col.required && col.name != k.column)
            c.setValue(col.name, col.type == store::ColType::Date ? Value::date(45000)
                                 : col.type == store::ColType::Time ? Value::time(0.5)
                                                                    : Value::integer(1));
    EXPECT_THROW(
        {
            try {
                c.post();
            } catch (const store::SqlError& e) {
                EXPECT_NE(std::string(e.what()).find("NOT NULL constraint failed"), std::string::npos) << e.what();
                throw;
            }
        },
        store::SqlError);
    EXPECT_EQ(countRows(*s.db, k.table), 0);
}

INSTANTIATE_TEST_SUITE_P(Required, RequiredColumnTest,
                         ::testing::Values(KeyCase{"Employee", "No", {}}, KeyCase{"Shifts", "No", {}},
                                           KeyCase{"Period", "Date", {}}, KeyCase{"ClkData", "Date", {}},
                                           KeyCase{"ClkData", "Time", {}}, KeyCase{"PerHistory", "Period", {}}));

TEST(Schema, MissingTableOrColumnIsReportedWhenTheCursorOpens)
{
    auto db = store::openMemoryDatabase();
    db->exec("DROP TABLE History");
    db->exec("ALTER TABLE Employee DROP COLUMN Play");
    const auto regional = testsupport::usRegional();
    store::Tables t(*db, regional);
    try {
        t.HistoryTable.open();
        FAIL() << "opened a missing table";
    } catch (const store::SqlError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: History"), std::string::npos) << e.what();
    }
    try {
        t.EmployeeTable.open();
        FAIL() << "opened a table with a missing column";
    } catch (const store::SqlError& e) {
        EXPECT_NE(std::string(e.what()).find("Play"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(t.EmployeeTable.isOpen());
}

TEST(Schema, ExtraColumnsOfAnOlderDatabaseAreIgnoredAndCreationIsRepeatable)
{
    testsupport::TempDir dir;
    {
        auto db = store::openDatabase(dir / "t.db");
        db->exec("ALTER TABLE Employee ADD COLUMN MonH REAL");
        db->exec("INSERT INTO Employee (No, Name, MonH) VALUES (5, 'Ann', 8)");
    }
    auto db = store::openDatabase(dir / "t.db");
    const auto regional = testsupport::usRegional();
    store::Tables t(*db, regional);
    t.openAll();
    EXPECT_EQ(t.EmployeeTable.asInteger("No"), 5);
    EXPECT_EQ(t.EmployeeTable.asText("Name"), "Ann");
    store::Statement mode(*db, "PRAGMA journal_mode");
    ASSERT_TRUE(mode.step());
    EXPECT_EQ(mode.columnText(0), "wal");
}

} // namespace
