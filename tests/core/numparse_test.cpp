#include "core/numparse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "core/error.h"
#include "core/regional.h"

namespace core {
namespace {

// ---------------------------------------------------------------------------------------------
// Whole numbers

struct IntCase {
    const char* text;
    bool valid;
    std::int64_t value;
    friend std::ostream& operator<<(std::ostream& os, const IntCase& c) { return os << '\'' << c.text << '\''; }
};

class ParseIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIntTest, AcceptsOnlyDecimalWholeNumbers)
{
    const IntCase& c = GetParam();
    std::int32_t out = 0;
    EXPECT_EQ(tryParseInt(c.text, out), c.valid);
    if (c.valid) {
        EXPECT_EQ(out, c.value);
        EXPECT_EQ(parseInt(c.text), c.value);
        EXPECT_EQ(parseInt64(c.text), c.value);
    } else {
        try {
            parseInt(c.text);
            FAIL() << "accepted '" << c.text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid integer value");
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseIntTest,
    testing::Values(IntCase{"0", true, 0}, IntCase{"42", true, 42}, IntCase{"-42", true, -42},
                    IntCase{"+42", true, 42}, IntCase{"007", true, 7}, IntCase{"-0", true, 0},
                    IntCase{"  7", true, 7}, IntCase{"7  ", true, 7},
                    IntCase{" \t-7\t ", true, -7}, IntCase{"2147483647", true, 2147483647},
                    IntCase{"-2147483648", true, -2147483648LL},
                    // Not a whole decimal number
                    IntCase{"", false, 0}, IntCase{"   ", false, 0}, IntCase{"7x", false, 0},
                    IntCase{"x7", false, 0}, IntCase{" 7x ", false, 0},
                    IntCase{"1 000", false, 0}, IntCase{"1,000", false, 0},
                    IntCase{"1.0", false, 0}, IntCase{"1e3", false, 0},
                    IntCase{"0x10", false, 0}, IntCase{"+", false, 0}, IntCase{"-", false, 0},
                    IntCase{"+-1", false, 0}, IntCase{"--1", false, 0},
                    IntCase{"- 1", false, 0}, IntCase{"1-", false, 0},
                    IntCase{"\xEF\xBC\x91", false, 0}, // a full-width digit one
                    // Does not fit
                    IntCase{"2147483648", false, 0}, IntCase{"-2147483649", false, 0},
                    IntCase{"99999999999999999999999", false, 0}));
// clang-format on

TEST(Numbers, Int64TakesItsWholeRange)
{
    EXPECT_EQ(parseInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parseInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(parseInt64(" +2147483648 "), 2147483648LL);
    try {
        parseInt64("9223372036854775808");
        FAIL() << "overflow accepted";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'9223372036854775808' is not a valid integer value");
    }
}

TEST(Numbers, IntegerViewsAreNotReadPastTheirEnd)
{
    const std::string backing = "12345";
    EXPECT_EQ(parseInt(std::string_view(backing).substr(0, 2)), 12);
}

// ---------------------------------------------------------------------------------------------
// Real numbers

struct RealCase {
    const char* locale;
    const char* text;
    bool valid;
    double value;
    friend std::ostream& operator<<(std::ostream& os, const RealCase& c)
    {
        return os << c.locale << " '" << c.text << '\'';
    }
};

class ParseRealTest : public testing::TestWithParam<RealCase> {};

TEST_P(ParseRealTest, UsesTheLocaleSeparatorOnly)
{
    const RealCase& c = GetParam();
    const Regional regional = Regional::pinned(QLocale(QString::fromLatin1(c.locale)));
    double out = -123.0;
    EXPECT_EQ(tryParseReal(c.text, regional, out), c.valid);
    if (c.valid) {
        EXPECT_EQ(out, c.value);
        EXPECT_EQ(std::signbit(out), std::signbit(c.value));
        EXPECT_EQ(parseReal(c.text, regional), c.value);
    } else {
        try {
            parseReal(c.text, regional);
            FAIL() << "accepted '" << c.text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid floating point value");
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    EnUs, ParseRealTest,
    testing::Values(RealCase{"en_US", "1.5", true, 1.5}, RealCase{"en_US", "-33.866", true, -33.866},
                    RealCase{"en_US", "+2", true, 2.0}, RealCase{"en_US", "60", true, 60.0},
                    RealCase{"en_US", ".5", true, 0.5}, RealCase{"en_US", "5.", true, 5.0},
                    RealCase{"en_US", "0.1", true, 0.1}, RealCase{"en_US", "-0", true, -0.0},
                    RealCase{"en_US", "1e3", true, 1000.0}, RealCase{"en_US", "1E-3", true, 0.001},
                    RealCase{"en_US", "2.5e+2", true, 250.0},
                    RealCase{"en_US", "  3.25\t ", true, 3.25},
                    RealCase{"en_US", "123456.789", true, 123456.789},
                    RealCase{"en_US", "1e-400", true, 0.0}, RealCase{"en_US", "-1e-400", true, -0.0},
                    RealCase{"en_US", "0.00001e-320", true, 0.0},
                    RealCase{"en_US", "1e-99999999999999999999", true, 0.0},
                    RealCase{"en_US", "0e99999", true, 0.0},
                    RealCase{"en_US", "1.7976931348623157e308", true,
                             std::numeric_limits<double>::max()},
                    RealCase{"en_US", "", false, 0}, RealCase{"en_US", "  ", false, 0},
                    RealCase{"en_US", "abc", false, 0}, RealCase{"en_US", "1,5", false, 0},
                    RealCase{"en_US", "1,000.5", false, 0}, RealCase{"en_US", "1.2.3", false, 0},
                    RealCase{"en_US", ".", false, 0}, RealCase{"en_US", "-.", false, 0},
                    RealCase{"en_US", "e5", false, 0}, RealCase{"en_US", "1e", false, 0},
                    RealCase{"en_US", "1e+", false, 0}, RealCase{"en_US", "1e2.5", false, 0},
                    RealCase{"en_US", "1 .5", false, 0}, RealCase{"en_US", "- 1", false, 0},
                    RealCase{"en_US", "+-1", false, 0}, RealCase{"en_US", "1.5x", false, 0},
                    RealCase{"en_US", "inf", false, 0}, RealCase{"en_US", "nan", false, 0},
                    RealCase{"en_US", "0x1p3", false, 0}, RealCase{"en_US", "1e400", false, 0},
                    RealCase{"en_US", "-1e400", false, 0},
                    RealCase{"en_US", "1e99999999999999999999", false, 0},
                    RealCase{"en_US", "0.000000001e318", false, 0}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DeDe, ParseRealTest,
    testing::Values(RealCase{"de_DE", "1,5", true, 1.5}, RealCase{"de_DE", "-33,866", true, -33.866},
                    RealCase{"de_DE", ",25", true, 0.25}, RealCase{"de_DE", "1,5e3", true, 1500.0},
                    RealCase{"de_DE", " 123456,789 ", true, 123456.789},
                    RealCase{"de_DE", "42", true, 42.0}, RealCase{"de_DE", "1.5", false, 0},
                    RealCase{"de_DE", "1.000,5", false, 0}, RealCase{"de_DE", "1,2,3", false, 0},
                    RealCase{"de_DE", "abc", false, 0}, RealCase{"de_DE", "", false, 0}));
// clang-format on

class ParseRealOrPointTest : public testing::TestWithParam<RealCase> {};

TEST_P(ParseRealOrPointTest, TakesTheLocaleSeparatorOrAPoint)
{
    const RealCase& c = GetParam();
    const Regional regional = Regional::pinned(QLocale(QString::fromLatin1(c.locale)));
    double out = -123.0;
    EXPECT_EQ(tryParseRealOrPoint(c.text, regional, out), c.valid);
    if (c.valid) {
        EXPECT_EQ(out, c.value);
        EXPECT_EQ(parseRealOrPoint(c.text, regional), c.value);
    } else {
        try {
            parseRealOrPoint(c.text, regional);
            FAIL() << "accepted '" << c.text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' is not a valid floating point value");
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Setup, ParseRealOrPointTest,
    testing::Values(RealCase{"de_DE", "-33,866", true, -33.866},
                    RealCase{"de_DE", "-33.866", true, -33.866}, RealCase{"de_DE", "60", true, 60.0},
                    RealCase{"fr_FR", "4,5", true, 4.5}, RealCase{"fr_FR", "4.5", true, 4.5},
                    RealCase{"en_US", "4.5", true, 4.5}, RealCase{"en_US", "4,5", false, 0},
                    RealCase{"de_DE", "1.000,5", false, 0}, RealCase{"de_DE", "7x", false, 0},
                    RealCase{"de_DE", "", false, 0}));
// clang-format on

TEST(Numbers, SeparatorOfSeveralBytes)
{
    // Persian writes the decimal separator as a character outside ASCII.
    const Regional fa = Regional::pinned(QLocale(QLocale::Persian, QLocale::Iran));
    const std::string& sep = fa.decimalSeparator();
    ASSERT_FALSE(sep.empty());
    EXPECT_EQ(parseReal("1" + sep + "25", fa), 1.25);
    if (sep != ".") {
        EXPECT_THROW(parseReal("1.25", fa), ConvertError);
    }
    if (sep.size() > 1) {
        // Only the first byte of the separator is not a separator.
        EXPECT_THROW(parseReal("1" + sep.substr(0, 1) + "25", fa), ConvertError);
    }
}

} // namespace
} // namespace core
