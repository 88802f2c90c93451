#include "core/textform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "core/datetime.h"
#include "core/numparse.h"
#include "core/regional.h"

namespace core {
namespace {

Regional enUs() { return Regional::pinned(QLocale(QLocale::English, QLocale::UnitedStates)); }

Regional deDe() { return Regional::pinned(QLocale(QLocale::German, QLocale::Germany)); }

// ---------------------------------------------------------------------------------------------
// Reals

struct RealText {
    double value;
    const char* enUs;
    const char* deDe;
    friend std::ostream& operator<<(std::ostream& os, const RealText& c) { return os << "expecting " << c.enUs; }
};

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class FormatRealTest : public testing::TestWithParam<RealText> {};

TEST_P(FormatRealTest, GeneralFormatWithFifteenDigits)
{
    const RealText& c = GetParam();
    EXPECT_EQ(formatReal(c.value, enUs()), c.enUs);
    EXPECT_EQ(formatReal(c.value, deDe()), c.deDe);
    EXPECT_EQ(formatRealPoint(c.value), c.enUs);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Reals, FormatRealTest,
    testing::Values(
        RealText{60, "60", "60"}, RealText{8.5, "8.5", "8,5"}, RealText{0.5, "0.5", "0,5"},
        RealText{-33.866, "-33.866", "-33,866"}, RealText{100, "100", "100"},
        RealText{1.0 / 3, "0.333333333333333", "0,333333333333333"},
        RealText{2.0 / 3, "0.666666666666667", "0,666666666666667"},
        RealText{0.1 + 0.2, "0.3", "0,3"},
        RealText{123456.789, "123456.789", "123456,789"},
        RealText{12345.6789012345678, "12345.6789012346", "12345,6789012346"},
        RealText{99999.5, "99999.5", "99999,5"},
        RealText{1e14, "100000000000000", "100000000000000"},
        RealText{999999999999999, "999999999999999", "999999999999999"},
        RealText{-999999999999999, "-999999999999999", "-999999999999999"},
        // Rounding to 15 digits carries into the next power of ten before the form is chosen.
        RealText{999999999999999.9, "1E15", "1E15"},
        RealText{0.000099999999999999999, "0.0001", "0,0001"},
        RealText{1e15, "1E15", "1E15"}, RealText{1.5e20, "1.5E20", "1,5E20"},
        RealText{123456789012345678.0, "1.23456789012346E17", "1,23456789012346E17"},
        RealText{0.0001, "0.0001", "0,0001"}, RealText{0.00012345, "0.00012345", "0,00012345"},
        RealText{5e-5, "5E-5", "5E-5"}, RealText{-1e-5, "-1E-5", "-1E-5"},
        RealText{-2.5e-7, "-2.5E-7", "-2,5E-7"}, RealText{1e-300, "1E-300", "1E-300"},
        RealText{std::numeric_limits<double>::max(), "1.79769313486232E308",
                 "1,79769313486232E308"},
        RealText{std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324",
                 "4,94065645841247E-324"},
        RealText{0.0, "0", "0"}, RealText{-0.0, "0", "0"}, RealText{kNan, "NAN", "NAN"},
        RealText{kInf, "INF", "INF"}, RealText{-kInf, "-INF", "-INF"}));
// clang-format on

struct DecimalText {
    double value;
    const char* text;
    friend std::ostream& operator<<(std::ostream& os, const DecimalText& c) { return os << "expecting " << c.text; }
};

class FormatDecimalPointTest : public testing::TestWithParam<DecimalText> {};

TEST_P(FormatDecimalPointTest, FifteenDigitsWithAPointAndNoExponent)
{
    EXPECT_EQ(formatDecimalPoint(GetParam().value), GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Reals, FormatDecimalPointTest,
    testing::Values(DecimalText{5e-5, "0.00005"}, DecimalText{-1e-5, "-0.00001"},
                    DecimalText{-2.5e-7, "-0.00000025"}, DecimalText{0.0001, "0.0001"},
                    DecimalText{-33.86612, "-33.86612"}, DecimalText{18.62301, "18.62301"},
                    DecimalText{0.1 + 0.2, "0.3"}, DecimalText{1.0 / 3, "0.333333333333333"},
                    DecimalText{1e15, "1000000000000000"}, DecimalText{1.5e20, "150000000000000000000"},
                    DecimalText{0.0, "0"}, DecimalText{-0.0, "0"}, DecimalText{60, "60"}));
// clang-format on

TEST(Reals, FormattedTextParsesBackInItsLocale)
{
    const Regional de = deDe();
    for (const double v : {1.0 / 3, -33.866, 1.5e20, -2.5e-7, 123456.789, 0.1 + 0.2}) {
        SCOPED_TRACE(v);
        const std::string text = formatReal(v, de);
        // 15 digits hold the value to within half a unit in the 15th digit.
        EXPECT_NEAR(parseReal(text, de), v, std::fabs(v) * 5e-15);
    }
}

TEST(Reals, IndependentOfTheProcessLocale)
{
    // printf and strtod follow LC_NUMERIC; the text forms must not.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* commaLocale = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            commaLocale = name;
            break;
        }
    }
    if (commaLocale == nullptr) {
        GTEST_SKIP() << "no C locale with a decimal comma is installed";
    }
    const std::string point = formatReal(1.5, enUs());
    const bool parsed = [] {
        double v = 0;
        return tryParseReal("2.25", enUs(), v) && v == 2.25;
    }();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(point, "1.5") << "with LC_NUMERIC " << commaLocale;
    EXPECT_TRUE(parsed) << "with LC_NUMERIC " << commaLocale;
}

TEST(Integers, DecimalAndBooleans)
{
    EXPECT_EQ(formatInt(0), "0");
    EXPECT_EQ(formatInt(-42), "-42");
    EXPECT_EQ(formatInt(1234567), "1234567");
    EXPECT_EQ(formatInt(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(formatBool(true), "True");
    EXPECT_EQ(formatBool(false), "False");
}

// ---------------------------------------------------------------------------------------------
// Regional settings

TEST(Regional, PinnedLocales)
{
    const Regional us = enUs();
    EXPECT_EQ(us.decimalSeparator(), ".");
    EXPECT_EQ(us.shortDateFormat(), QStringLiteral("M/d/yy"));
    EXPECT_EQ(us.longTimeFormat(), QStringLiteral("h:mm:ss AP"));

    const Regional de = deDe();
    EXPECT_EQ(de.decimalSeparator(), ",");
    EXPECT_EQ(de.shortDateFormat(), QStringLiteral("dd.MM.yy"));
    EXPECT_EQ(de.longTimeFormat(), QStringLiteral("HH:mm:ss"));
}

TEST(Regional, LongTimeOfEveryLocaleLosesItsZone)
{
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString format = Regional::pinned(locale).longTimeFormat();
        EXPECT_EQ(timeFormatWithoutZone(format), format) << locale.name().toStdString();
        EXPECT_FALSE(format.contains(QStringLiteral("()"))) << locale.name().toStdString();
        EXPECT_EQ(format, format.trimmed()) << locale.name().toStdString();
        EXPECT_FALSE(format.isEmpty()) << locale.name().toStdString();
    }
}

// A date written to a file carries its four-digit year in the regional order (a spreadsheet
// reads "3/1/30" as 1 March 1930); the grids keep the short form.
TEST(Regional, DatesInFilesCarryTheirFourDigitYear)
{
    const struct {
        QLocale locale;
        const char* file2030;
        const char* file1999;
        const char* grid2030;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "3/1/2030", "12/31/1999", "3/1/30"},
        {QLocale(QLocale::German, QLocale::Germany), "01.03.2030", "31.12.1999", "01.03.30"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "01/03/2030", "31/12/1999", "01/03/2030"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), "2030-03-01", "1999-12-31", "2030-03-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        const Regional r = Regional::pinned(c.locale);
        EXPECT_EQ(r.formatFileDate(encodeDate(2030, 3, 1)), c.file2030);
        EXPECT_EQ(r.formatFileDate(encodeDate(1999, 12, 31)), c.file1999);
        EXPECT_EQ(fileForm(Value::date(encodeDate(2030, 3, 1)), r), c.file2030);
        EXPECT_EQ(textForm(Value::date(encodeDate(2030, 3, 1)), r), c.grid2030);
    }
    // Every locale's file date shows the whole year.
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString format = Regional::pinned(locale).fileDateFormat();
        EXPECT_TRUE(format.contains("yyyy") || !format.contains('y')) << locale.name().toStdString();
        EXPECT_FALSE(format.contains("yyyyy")) << locale.name().toStdString();
    }
    EXPECT_EQ(withFourDigitYear("d 'yy' yy").toStdString(), "d 'yy' yyyy") << "quoted text stays";
}

struct ZoneCase {
    const char* format;
    const char* expected;
    friend std::ostream& operator<<(std::ostream& os, const ZoneCase& c) { return os << '"' << c.format << '"'; }
};

class TimeZoneLetterTest : public testing::TestWithParam<ZoneCase> {};

TEST_P(TimeZoneLetterTest, AreRemovedOutsideQuotes)
{
    EXPECT_EQ(timeFormatWithoutZone(QString::fromUtf8(GetParam().format)).toStdString(), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Regional, TimeZoneLetterTest,
    testing::Values(ZoneCase{"h:mm:ss AP t", "h:mm:ss AP"}, ZoneCase{"HH:mm:ss t", "HH:mm:ss"},
                    ZoneCase{"HH:mm:ss tttt", "HH:mm:ss"}, ZoneCase{"H:mm:ss (t)", "H:mm:ss"},
                    ZoneCase{"H:mm:ss ( tt )", "H:mm:ss"}, ZoneCase{"t HH:mm:ss", "HH:mm:ss"},
                    ZoneCase{"HH t mm", "HH mm"}, ZoneCase{"HHt mm", "HH mm"}, ZoneCase{"HH:mm:ss\u202ft", "HH:mm:ss"},
                    ZoneCase{"HH 'h' mm 'et' ss t", "HH 'h' mm 'et' ss"},
                    ZoneCase{"HH 'it''s t' mm", "HH 'it''s t' mm"},
                    ZoneCase{"HH:mm:ss", "HH:mm:ss"}, ZoneCase{"t", ""}, ZoneCase{"", ""},
                    ZoneCase{"HH 'open", "HH 'open"}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Text form of every kind of value

struct ValueText {
    Value value;
    const char* enUs;
    const char* deDe;
    friend std::ostream& operator<<(std::ostream& os, const ValueText& c) { return os << "expecting " << c.enUs; }
};

class TextFormTest : public testing::TestWithParam<ValueText> {};

TEST_P(TextFormTest, InEachLocale)
{
    const ValueText& c = GetParam();
    EXPECT_EQ(textForm(c.value, enUs()), c.enUs);
    EXPECT_EQ(textForm(c.value, deDe()), c.deDe);
}

const double k20261210 = 46366; // a Thursday

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Values, TextFormTest,
    testing::Values(
        ValueText{Value(), "", ""}, ValueText{Value::integer(-5), "-5", "-5"},
        ValueText{Value::integer(1234567), "1234567", "1234567"},
        ValueText{Value::real(8.5), "8.5", "8,5"}, ValueText{Value::real(5e-5), "5E-5", "5E-5"},
        ValueText{Value::text("Zürich; 1,5 h"), "Zürich; 1,5 h", "Zürich; 1,5 h"},
        ValueText{Value::text(""), "", ""},
        ValueText{Value::date(k20261210), "12/10/26", "10.12.26"},
        // A date shows its date part only, whatever time it carries.
        ValueText{Value::date(k20261210 + 0.75), "12/10/26", "10.12.26"},
        ValueText{Value::date(encodeDate(2024, 2, 29)), "2/29/24", "29.02.24"},
        ValueText{Value::time(encodeTime(13, 5, 9)), "1:05:09 PM", "13:05:09"},
        ValueText{Value::time(encodeTime(0, 0, 0)), "12:00:00 AM", "00:00:00"},
        // A time shows its time of day only.
        ValueText{Value::time(k20261210 + encodeTime(9, 30, 0)), "9:30:00 AM", "09:30:00"},
        ValueText{Value::time(encodeTime(13, 5, 9, 600)), "1:05:09 PM", "13:05:09"},
        // Rounded to milliseconds without running into the next day.
        ValueText{Value::time(86'399'999.6 / kMsPerDay), "11:59:59 PM", "23:59:59"},
        ValueText{Value::boolean(true), "True", "True"},
        ValueText{Value::boolean(false), "False", "False"}));
// clang-format on

} // namespace
} // namespace core
