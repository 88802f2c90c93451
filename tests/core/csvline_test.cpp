#include "core/csvline.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace core {
namespace {

// ---------------------------------------------------------------------------------------------
// Whole lines

struct SplitCase {
    const char* what;
    const LineRules* rules;
    const char* line;
    std::vector<std::string> fields;
    friend std::ostream& operator<<(std::ostream& os, const SplitCase& c) { return os << c.what; }
};

const LineRules* const kEmployee = &lineRules::employeeFile;
const LineRules* const kPhone = &lineRules::phoneClockFile;
const LineRules* const kTabs = &lineRules::scannerTabs;

class SplitLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLineTest, ReadsEveryField)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitLine(c.line, *c.rules), c.fields) << "line: " << c.line;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, SplitLineTest,
    testing::Values(
        SplitCase{"empty line is one empty field", kEmployee, "", {""}},
        SplitCase{"separator at the end gives an empty last field", kEmployee, "5,Cara,", {"5", "Cara", ""}},
        SplitCase{"quoted field holds separators", kEmployee, "5,\"Bob, Jr\",x", {"5", "Bob, Jr", "x"}},
        SplitCase{"doubled quotes read as one", kEmployee, "\"Say \"\"hi\"\"\",x", {"Say \"hi\"", "x"}},
        SplitCase{"doubled quote just before the closing one", kEmployee, "\"a\"\"\",b", {"a\"", "b"}},
        SplitCase{"empty quoted field", kEmployee, "\"\",x", {"", "x"}},
        SplitCase{"quoted last field", kEmployee, "5,\"a,b\"", {"5", "a,b"}},
        SplitCase{"closing quote not before the separator", kEmployee, "\"Sipho\" Ndlovu,5", {"\"Sipho\" Ndlovu", "5"}},
        SplitCase{"quote never closed", kEmployee, "\"Smith,5", {"\"Smith", "5"}},
        SplitCase{"doubled quote is not a closing one", kEmployee, "\"a\"\",b", {"\"a\"\"", "b"}},
        SplitCase{"quote after a blank is text", kEmployee, " \"Bob\",x", {" \"Bob\"", "x"}},
        SplitCase{"quote inside a field is text", kEmployee, "Ann \"AJ\" Lee,5", {"Ann \"AJ\" Lee", "5"}},
        SplitCase{"phone file takes quotes as text", kPhone, "\"a,b\",c", {"\"a", "b\"", "c"}},
        SplitCase{"tabs: empty fields kept", kTabs, "7\t\t2019\t", {"7", "", "2019", ""}},
        SplitCase{"tabs: a comma is text", kTabs, "1,2\t\"3\t4\"", {"1,2", "\"3", "4\""}}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Reading a line piece by piece

struct CursorCase {
    const char* what;
    const LineRules* rules;
    const char* line;
    /// One step a character: 'f' field(), 'r' rest(), '.' skip(), a digit fixed(digit).
    const char* steps;
    /// What every step but '.' gave, in order.
    std::vector<std::string> got;
    friend std::ostream& operator<<(std::ostream& os, const CursorCase& c) { return os << c.what; }
};

class LineCursorTest : public testing::TestWithParam<CursorCase> {};

TEST_P(LineCursorTest, StepsThroughTheLine)
{
    const CursorCase& c = GetParam();
    LineCursor cursor(c.line, *c.rules);
    std::vector<std::string> got;
    for (const char* s = c.steps; *s != '\0'; ++s) {
        if (*s == 'f')
            got.push_back(cursor.field());
        else if (*s == 'r')
            got.push_back(cursor.rest());
        else if (*s == '.')
            cursor.skip();
        else
            got.push_back(cursor.fixed(static_cast<std::size_t>(*s - '0')));
    }
    EXPECT_EQ(got, c.got) << "line: " << c.line << ", steps: " << c.steps;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Steps, LineCursorTest,
    testing::Values(
        CursorCase{"field passes its separator", kPhone, "12,2024", "f4", {"12", "2024"}},
        CursorCase{"missing separator: empty field, nothing passed", kPhone, "2024/04", "f4.2", {"", "2024", "04"}},
        CursorCase{"fixed takes what is left, then nothing", kPhone, "abc", "222", {"ab", "c", ""}},
        CursorCase{"skip passes any one character, none at the end", kPhone, "a,b", ".1..1", {",", ""}},
        CursorCase{"rest keeps its separators", kPhone, "1,2,3", "fr", {"1", "2,3"}},
        CursorCase{"rest at the end is empty", kPhone, "1,", "frr", {"1", "", ""}},
        CursorCase{"rest keeps quotes under a file without them", kPhone, "1,\"x\"", "fr", {"1", "\"x\""}},
        CursorCase{"quoted field that ends the line: no field, nothing passed", kEmployee, "5,\"x,y\"", "ffr",
                   {"5", "", "x,y"}},
        CursorCase{"missing separator leaves every later field empty", kEmployee, "5,Cara", "fffr",
                   {"5", "", "", "Cara"}},
        CursorCase{"rest that is not one quoted field stands as it is", kEmployee, "\"x\"y,\"z\"", "r",
                   {"\"x\"y,\"z\""}}));
// clang-format on

} // namespace
} // namespace core
