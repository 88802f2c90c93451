#include "intake/clockfile.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/csvline.h"
#include "core/error.h"
#include "core/numparse.h"
#include "core/textform.h"
#include "core/textlines.h"

namespace intake {

ClockLine splitClockLine(std::string_view line)
{
    core::LineCursor in(line, core::lineRules::phoneClockFile);
    // The date-time has fixed-width parts; the one character after each part is passed unread.
    const auto part = [&in](std::size_t width) {
        std::string text = in.fixed(width);
        in.skip();
        return text;
    };
    ClockLine c;
    c.nommer = in.field();
    c.jaar = part(4);
    c.maand = part(2);
    c.dag = part(2);
    c.uur = part(2);
    c.min = part(2);
    c.sek = part(2);
    c.status = in.field();
    c.slat = in.field();
    c.slon = in.rest();
    return c;
}

namespace {

/// The separator of the scanner's tab layout; a number at the fixed columns holds none.
constexpr char kScannerTab = core::lineRules::scannerTabs.separator;

/// The scanner's state code as a Status: 0, 3, 4 IN; 1, 2, 5 OUT; anything else as it stands.
std::string stateOf(std::string_view code)
{
    if (code.size() != 1)
        return std::string(code);
    switch (code[0]) {
    case '0':
    case '3':
    case '4': return "IN";
    case '1':
    case '2':
    case '5': return "OUT";
    default: return std::string(code);
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// "YYYY-MM-DD HH:MM:SS" starting at `at`: digits where the moment has digits, and with
/// `separators` its separators in their places too.
bool hasMomentShape(std::string_view text, std::size_t at, bool separators)
{
    static constexpr std::string_view shape = "dddd-dd-dd dd:dd:dd";
    if (text.size() < at + shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const char c = text[at + i];
        if (shape[i] == 'd' ? !isDigit(c) : separators && c != shape[i])
            return false;
    }
    return true;
}

/// The fixed columns 11-29 hold digits where the date and time have them (separators are not
/// looked at), and the number in columns 1-9 holds no tab.
bool fitsFixedColumns(std::string_view line)
{
    return line.substr(0, 9).find(kScannerTab) == std::string_view::npos && hasMomentShape(line, 10, false);
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

ScannerLine splitScannerLine(std::string_view line)
{
    auto at = [&](std::size_t col, std::size_t n) {
        return col - 1 < line.size() ? std::string(line.substr(col - 1, n)) : std::string();
    };
    ScannerLine s;
    s.nommer = at(1, 9);
    const auto first = s.nommer.find_first_not_of(' ');
    s.nommer = first == std::string::npos ? std::string() : s.nommer.substr(first);
    s.jaar = at(11, 4);
    s.maand = at(16, 2);
    s.dag = at(19, 2);
    s.uur = at(22, 2);
    s.min = at(25, 2);
    s.sek = at(28, 2);
    if (line.size() >= 33)
        s.status = stateOf(line.substr(32, 1));
    return s;
}

std::optional<ScannerLine> splitScannerFields(std::string_view line)
{
    const std::vector<std::string> fields = core::splitLine(line, core::lineRules::scannerTabs);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::string_view moment = trimBlanks(fields[i]);
        if (moment.size() != 19 || !hasMomentShape(moment, 0, true))
            continue;
        ScannerLine s;
        // A number with a control character (a NUL, a byte of some other file) is no user
        // number: the line does not fit this layout.
        if (hasControlCharacter(fields[0]))
            return std::nullopt;
        for (const char c : fields[0])
            if (c != ' ')
                s.nommer += c;
        s.jaar = std::string(moment.substr(0, 4));
        s.maand = std::string(moment.substr(5, 2));
        s.dag = std::string(moment.substr(8, 2));
        s.uur = std::string(moment.substr(11, 2));
        s.min = std::string(moment.substr(14, 2));
        s.sek = std::string(moment.substr(17, 2));
        if (i + 2 < fields.size())
            s.status = stateOf(trimBlanks(fields[i + 2]));
        return s;
    }
    return std::nullopt;
}

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

const char* scannerLayouts()
{
    return "a scanner line holds either the user number in columns 1-9, the date and time "
           "YYYY-MM-DD HH:MM:SS in columns 11-29 and the state code in column 33, or tab-separated "
           "fields: the user number first, then a field YYYY-MM-DD HH:MM:SS, the verification mode "
           "and the state code";
}

ScannerLine readScannerLine(std::string_view line)
{
    if (fitsFixedColumns(line))
        return splitScannerLine(line);
    if (line.find(kScannerTab) != std::string_view::npos)
        if (auto fields = splitScannerFields(line))
            return *fields;
    if (line.substr(0, 9).find(kScannerTab) == std::string_view::npos) {
        ScannerLine s = splitScannerLine(line);
        s.fallback = true;
        return s;
    }
    throw core::ConvertError("'" + core::visibleText(line) + "' fits no layout of a scanner file (" + scannerLayouts()
                             + ")");
}

namespace {

/// A date or time field as a number; the text in the error shows its control characters.
int fieldNumber(const std::string& text)
{
    std::int32_t v = 0;
    if (!core::tryParseInt(text, v))
        throw core::ConvertError("'" + core::visibleText(text) + "' is not a valid integer value");
    return v;
}

} // namespace

core::DateTime fieldsToDate(const std::string& year, const std::string& month, const std::string& day)
{
    const int y = fieldNumber(year);
    const int m = fieldNumber(month);
    const int d = fieldNumber(day);
    if (!core::isValidDate(y, m, d))
        throw core::ConvertError("'" + core::visibleText(year + "-" + month + "-" + day) + "' is not a valid date");
    return core::encodeDate(y, m, d);
}

core::DateTime fieldsToTime(const std::string& hour, const std::string& minute, const std::string& second)
{
    const int h = fieldNumber(hour);
    const int m = fieldNumber(minute);
    const int s = fieldNumber(second);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        throw core::ConvertError("'" + core::visibleText(hour + ":" + minute + ":" + second) + "' is not a valid time");
    return core::encodeTime(h, m, s, 0);
}

std::string distanceText(double lat, double lon, double refLat, double refLon)
{
    const double x = std::fabs(lat - refLat);
    const double y = std::fabs(lon - refLon);
    const double z = std::sqrt(x * x + y * y);
    return core::formatRealPoint(std::round(z * 1000.0) / 1000.0);
}

std::string mapAddress(const std::string& host, double lat, double lon)
{
    return "https://" + host + "/maps?q=" + core::formatDecimalPoint(lat) + "," + core::formatDecimalPoint(lon);
}

} // namespace intake
