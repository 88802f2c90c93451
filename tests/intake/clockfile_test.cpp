#include "intake/clockfile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/datetime.h"
#include "core/error.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Phone clock-data lines

struct PhoneSplitCase {
    const char* what;
    const char* line;
    const char* nommer;
    const char* jaar;
    const char* maand;
    const char* dag;
    const char* uur;
    const char* min;
    const char* sek;
    const char* status;
    const char* slat;
    const char* slon;
    friend std::ostream& operator<<(std::ostream& os, const PhoneSplitCase& c) { return os << c.what; }
};

class SplitClockLineTest : public testing::TestWithParam<PhoneSplitCase> {};

TEST_P(SplitClockLineTest, TakesEveryFieldAtItsPlace)
{
    const PhoneSplitCase& c = GetParam();
    const intake::ClockLine l = intake::splitClockLine(c.line);
    EXPECT_EQ(l.nommer, c.nommer);
    EXPECT_EQ(l.jaar, c.jaar);
    EXPECT_EQ(l.maand, c.maand);
    EXPECT_EQ(l.dag, c.dag);
    EXPECT_EQ(l.uur, c.uur);
    EXPECT_EQ(l.min, c.min);
    EXPECT_EQ(l.sek, c.sek);
    EXPECT_EQ(l.status, c.status);
    EXPECT_EQ(l.slat, c.slat);
    EXPECT_EQ(l.slon, c.slon);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, SplitClockLineTest,
    testing::Values(
        PhoneSplitCase{"complete", "0821234567,2024/04/02 07:58:03,IN,-33.86612,18.62301", "0821234567", "2024", "04",
                       "02", "07", "58", "03", "IN", "-33.86612", "18.62301"},
        // The separators inside the date-time are skipped unread, whatever they are.
        PhoneSplitCase{"other separators", "0821,2024-04-02T07:58:03;OUT,1.5,2.5", "0821", "2024", "04", "02", "07",
                       "58", "03", "OUT", "1.5", "2.5"},
        PhoneSplitCase{"no comma after the latitude", "0821,2024/04/02 07:58:03,IN,-33.86612", "0821", "2024", "04",
                       "02", "07", "58", "03", "IN", "", "-33.86612"},
        PhoneSplitCase{"no comma after the status", "0821,2024/04/02 07:58:03,IN", "0821", "2024", "04", "02", "07",
                       "58", "03", "", "", "IN"},
        // Without any comma the number is empty and the date-time is read from the start.
        PhoneSplitCase{"no comma at all", "2024/04/02 07:58:03 IN", "", "2024", "04", "02", "07", "58", "03", "", "",
                       "IN"},
        PhoneSplitCase{"empty number", ",2024/04/02 07:58:03,IN,1.5,2.5", "", "2024", "04", "02", "07", "58", "03",
                       "IN", "1.5", "2.5"},
        PhoneSplitCase{"longitude keeps the rest", "0821,2024/04/02 07:58:03,IN,-33,86612,18,62301", "0821", "2024",
                       "04", "02", "07", "58", "03", "IN", "-33", "86612,18,62301"},
        PhoneSplitCase{"empty coordinates", "0821,2024/04/02 07:58:03,IN,,", "0821", "2024", "04", "02", "07", "58",
                       "03", "IN", "", ""},
        PhoneSplitCase{"short line", "0821,2024/4", "0821", "2024", "4", "", "", "", "", "", "", ""},
        PhoneSplitCase{"empty line", "", "", "", "", "", "", "", "", "", "", ""}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Fingerprint-scanner lines

TEST(SplitScannerLineTest, TakesTheFixedColumns)
{
    const intake::ScannerLine s = intake::splitScannerLine("        7\t2019-09-10 07:58:03\t1\t0\t1\t0");
    EXPECT_EQ(s.nommer, "7");
    EXPECT_EQ(s.jaar, "2019");
    EXPECT_EQ(s.maand, "09");
    EXPECT_EQ(s.dag, "10");
    EXPECT_EQ(s.uur, "07");
    EXPECT_EQ(s.min, "58");
    EXPECT_EQ(s.sek, "03");
    EXPECT_EQ(s.status, "IN");
}

struct NumberCase {
    const char* column1to9;
    const char* nommer;
    friend std::ostream& operator<<(std::ostream& os, const NumberCase& c)
    {
        return os << '\'' << c.column1to9 << '\'';
    }
};

class ScannerNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(ScannerNumberTest, DropsLeadingBlanksOnly)
{
    const std::string line = std::string(GetParam().column1to9) + "\t2019-09-10 07:58:03\t1\t1\t1\t0";
    EXPECT_EQ(intake::splitScannerLine(line).nommer, GetParam().nommer);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Numbers, ScannerNumberTest,
                         testing::Values(NumberCase{"        7", "7"}, NumberCase{"7        ", "7        "},
                                         NumberCase{"   12 34 ", "12 34 "}, NumberCase{"123456789", "123456789"},
                                         NumberCase{"         ", ""}));
// clang-format on

struct StateCase {
    char code;
    const char* status;
    friend std::ostream& operator<<(std::ostream& os, const StateCase& c) { return os << "code '" << c.code << "'"; }
};

class ScannerStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(ScannerStateTest, TranslatesColumn33)
{
    std::string line = "       12\t2019-09-10 17:01:44\t1\t";
    ASSERT_EQ(line.size(), 32u);
    line += GetParam().code;
    line += "\t1\t0";
    EXPECT_EQ(intake::splitScannerLine(line).status, GetParam().status);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Codes, ScannerStateTest,
                         testing::Values(StateCase{'0', "IN"}, StateCase{'3', "IN"}, StateCase{'4', "IN"},
                                         StateCase{'1', "OUT"}, StateCase{'2', "OUT"}, StateCase{'5', "OUT"},
                                         StateCase{'6', "6"}, StateCase{'9', "9"}, StateCase{'A', "A"},
                                         StateCase{' ', " "}));
// clang-format on

TEST(SplitScannerLineTest, LineWithoutColumn33HasNoStatus)
{
    const std::string line = "       12\t2019-09-10 17:01:44\t1\t";
    const intake::ScannerLine s = intake::splitScannerLine(line);
    EXPECT_EQ(s.status, "");
    EXPECT_EQ(s.sek, "44");
}

struct LayoutCase {
    const char* what;
    const char* line;
    const char* nommer;
    const char* date; ///< jaar-maand-dag as taken
    const char* time; ///< uur:min:sek as taken
    const char* status;
    bool fallback;
    friend std::ostream& operator<<(std::ostream& os, const LayoutCase& c) { return os << c.what; }
};

class ScannerLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(ScannerLayoutTest, ReadsTheLayoutTheLineFits)
{
    const LayoutCase& c = GetParam();
    const intake::ScannerLine s = intake::readScannerLine(c.line);
    EXPECT_EQ(s.nommer, c.nommer);
    EXPECT_EQ(s.jaar + "-" + s.maand + "-" + s.dag, c.date);
    EXPECT_EQ(s.uur + ":" + s.min + ":" + s.sek, c.time);
    EXPECT_EQ(s.status, c.status);
    EXPECT_EQ(s.fallback, c.fallback);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, ScannerLayoutTest,
    testing::Values(
        LayoutCase{"padded number at fixed columns", "        7\t2019-09-10 07:58:03\t1\t0\t1\t0", "7", "2019-09-10",
                   "07:58:03", "IN", false},
        LayoutCase{"left-aligned number keeps its blanks", "7        \t2019-09-10 07:58:03\t1\t1\t1\t0",
                   "7        ", "2019-09-10", "07:58:03", "OUT", false},
        LayoutCase{"fixed columns with other separators", "        7 2019/09/10-07.58.03 1 5", "7", "2019-09-10",
                   "07:58:03", "OUT", false},
        LayoutCase{"number not padded", "10021\t2026-04-10 17:08:59\t1\t0\t0", "10021", "2026-04-10", "17:08:59",
                   "IN", false},
        LayoutCase{"name before the moment", "9\tKravchen\t2013-04-20 09:36:49\t1\t0", "9", "2013-04-20",
                   "09:36:49", "IN", false},
        LayoutCase{"number of nine digits and a name", "123456789\tKravchenko\t2013-04-20 09:36:49\t1\t1",
                   "123456789", "2013-04-20", "09:36:49", "OUT", false},
        LayoutCase{"number longer than nine", "1234567890\t2013-04-20 09:36:49\t1\t2", "1234567890", "2013-04-20",
                   "09:36:49", "OUT", false},
        LayoutCase{"blanks in the number field", " 42 \t2013-04-20 09:36:49\t1\t3", "42", "2013-04-20",
                   "09:36:49", "IN", false},
        LayoutCase{"state code other than the table", "42\t2013-04-20 09:36:49\t1\t9", "42", "2013-04-20",
                   "09:36:49", "9", false},
        LayoutCase{"no state field", "42\t2013-04-20 09:36:49\t1", "42", "2013-04-20", "09:36:49", "", false},
        LayoutCase{"bad date at fixed columns is still read there", "       12\t2019-0x-10 08:30:00\t1\t0", "12",
                   "2019-0x-10", "08:30:00", "IN", true}));
// clang-format on

TEST(ScannerLayoutTest, LineThatFitsNeitherNamesBothLayouts)
{
    try {
        intake::readScannerLine("10021\t2026-04-10T17:08:59\t1\t0");
        FAIL() << "no error";
    } catch (const core::ConvertError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("'10021<TAB>2026-04-10T17:08:59<TAB>1<TAB>0'"), std::string::npos) << text;
        EXPECT_NE(text.find("columns 1-9"), std::string::npos) << text;
        EXPECT_NE(text.find("tab-separated"), std::string::npos) << text;
    }
}

TEST(ScannerLayoutTest, ANumberFieldWithAControlCharacterIsNoTabLayout)
{
    // Only the fixed columns could then be read, and they hold no date here.
    const intake::ScannerLine s =
        intake::readScannerLine(std::string("       07:5\x01\0\0s5:122\t2019-09-07 16:59:41\t1\t4", 44));
    EXPECT_TRUE(s.fallback);
    EXPECT_EQ(s.nommer, "07");
    EXPECT_THROW(intake::fieldsToDate(s.jaar, s.maand, s.dag), core::ConvertError);
}

TEST(ScannerLayoutTest, ErrorTextShowsNulBytes)
{
    // UTF-16 without its mark, read as 8-bit: the fields are full of NUL bytes.
    const std::string year("2\0"
                           "0",
                           3);
    try {
        intake::fieldsToDate(year, "04", "10");
        FAIL() << "no error";
    } catch (const core::ConvertError& e) {
        EXPECT_STREQ(e.what(), "'2<NUL>0' is not a valid integer value");
    }
}

// ---------------------------------------------------------------------------------------------
// Dates and times from the fields

TEST(FieldsToDateTest, GivesTheDay)
{
    EXPECT_EQ(intake::fieldsToDate("2024", "04", "02"), core::encodeDate(2024, 4, 2));
    EXPECT_EQ(intake::fieldsToDate("2024", "02", "29"), core::encodeDate(2024, 2, 29));
}

struct BadFieldsCase {
    const char* a;
    const char* b;
    const char* c;
    const char* named; ///< the text the error must quote
    friend std::ostream& operator<<(std::ostream& os, const BadFieldsCase& f)
    {
        return os << "'" << f.a << "' '" << f.b << "' '" << f.c << "'";
    }
};

class BadDateTest : public testing::TestWithParam<BadFieldsCase> {};

TEST_P(BadDateTest, ThrowsNamingTheText)
{
    const BadFieldsCase& f = GetParam();
    try {
        intake::fieldsToDate(f.a, f.b, f.c);
        FAIL() << "accepted";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(f.named), std::string::npos) << e.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Dates, BadDateTest,
                         testing::Values(BadFieldsCase{"2x24", "04", "02", "'2x24'"},
                                         BadFieldsCase{"2024", "4/", "02", "'4/'"},
                                         BadFieldsCase{"2024", "04", "", "''"},
                                         BadFieldsCase{"2023", "02", "29", "2023-02-29"},
                                         BadFieldsCase{"2024", "13", "01", "2024-13-01"},
                                         BadFieldsCase{"2024", "04", "00", "2024-04-00"}));
// clang-format on

TEST(FieldsToTimeTest, GivesTheTimeOfDayWithoutMilliseconds)
{
    EXPECT_EQ(intake::fieldsToTime("07", "58", "03"), core::encodeTime(7, 58, 3, 0));
    EXPECT_EQ(intake::fieldsToTime("23", "59", "59"), core::encodeTime(23, 59, 59, 0));
    EXPECT_EQ(intake::fieldsToTime("00", "00", "00"), 0.0);
}

class BadTimeTest : public testing::TestWithParam<BadFieldsCase> {};

TEST_P(BadTimeTest, ThrowsNamingTheText)
{
    const BadFieldsCase& f = GetParam();
    try {
        intake::fieldsToTime(f.a, f.b, f.c);
        FAIL() << "accepted";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(f.named), std::string::npos) << e.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Times, BadTimeTest,
                         testing::Values(BadFieldsCase{"24", "00", "00", "24:00:00"},
                                         BadFieldsCase{"07", "60", "00", "07:60:00"},
                                         BadFieldsCase{"07", "00", "60", "07:00:60"},
                                         BadFieldsCase{"-1", "00", "00", "-1:00:00"},
                                         BadFieldsCase{"7:", "00", "00", "'7:'"},
                                         BadFieldsCase{"07", "58", "", "''"}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Distance and map address

struct DistanceCase {
    double lat, lon, refLat, refLon;
    const char* text;
    friend std::ostream& operator<<(std::ostream& os, const DistanceCase& c) { return os << c.text; }
};

class DistanceTextTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(DistanceTextTest, RoundsToThreeDecimalsInShortestForm)
{
    const DistanceCase& c = GetParam();
    EXPECT_EQ(intake::distanceText(c.lat, c.lon, c.refLat, c.refLon), c.text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Distances, DistanceTextTest,
    testing::Values(DistanceCase{0.0004, 0, 0, 0, "0"}, DistanceCase{12.3456, 0, 0, 0, "12.346"},
                    DistanceCase{0.1, 0, 0, 0, "0.1"}, DistanceCase{0, 0, 3, 4, "5"},
                    DistanceCase{-33.86612, 18.62301, -33.86612, 18.62301, "0"},
                    DistanceCase{-33.86712, 18.62301, -33.86612, 18.62301, "0.001"},
                    DistanceCase{-33.9, 18.6, -33.8, 18.6, "0.1"},
                    // Both directions count: a point west and south of the reference.
                    DistanceCase{-1.5, -2.0, 0, 0, "2.5"}, DistanceCase{0.02, 0.0, 0.0, 0.0, "0.02"}));
// clang-format on

TEST(MapAddressTest, PointsTheHostAtThePosition)
{
    EXPECT_EQ(intake::mapAddress("www.google.com", -33.86612, 18.62301),
              "https://www.google.com/maps?q=-33.86612,18.62301");
    EXPECT_EQ(intake::mapAddress("www.google.com", 0, 0), "https://www.google.com/maps?q=0,0");
    // Near the equator and the prime meridian the address still holds plain decimals.
    EXPECT_EQ(intake::mapAddress("www.google.com", 0.00005, -0.000012),
              "https://www.google.com/maps?q=0.00005,-0.000012");
}

} // namespace
