#include "intake/clockfile.h"

#include <cmath>

#include "core/error.h"
#include "core/numparse.h"
#include "core/textform.h"

namespace intake {

namespace {

/// Takes up to n characters from pos and moves pos past them.
std::string take(std::string_view line, std::size_t& pos, std::size_t n)
{
    if (pos >= line.size())
        return {};
    std::string out(line.substr(pos, n));
    pos = std::min(line.size(), pos + n);
    return out;
}

void drop(std::string_view line, std::size_t& pos)
{
    if (pos < line.size())
        ++pos;
}

/// The text up to the next comma, which is dropped; empty (and nothing dropped) without one.
std::string upToComma(std::string_view line, std::size_t& pos)
{
    if (pos > line.size())
        return {};
    const auto comma = line.find(',', pos);
    if (comma == std::string_view::npos)
        return {};
    std::string out(line.substr(pos, comma - pos));
    pos = comma + 1;
    return out;
}

} // namespace

ClockLine splitClockLine(std::string_view line)
{
    ClockLine c;
    std::size_t pos = 0;
    c.nommer = upToComma(line, pos);
    c.jaar = take(line, pos, 4);
    drop(line, pos);
    c.maand = take(line, pos, 2);
    drop(line, pos);
    c.dag = take(line, pos, 2);
    drop(line, pos);
    c.uur = take(line, pos, 2);
    drop(line, pos);
    c.min = take(line, pos, 2);
    drop(line, pos);
    c.sek = take(line, pos, 2);
    drop(line, pos);
    c.status = upToComma(line, pos);
    c.slat = upToComma(line, pos);
    c.slon = pos < line.size() ? std::string(line.substr(pos)) : std::string();
    return c;
}

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
    if (line.size() >= 33) {
        const char code = line[32];
        switch (code) {
        case '0':
        case '3':
        case '4': s.status = "IN"; break;
        case '1':
        case '2':
        case '5': s.status = "OUT"; break;
        default: s.status = std::string(1, code); break;
        }
    }
    return s;
}

core::DateTime fieldsToDate(const std::string& year, const std::string& month, const std::string& day)
{
    const int y = core::parseInt(year);
    const int m = core::parseInt(month);
    const int d = core::parseInt(day);
    if (!core::isValidDate(y, m, d))
        throw core::ConvertError("'" + year + "-" + month + "-" + day + "' is not a valid date");
    return core::encodeDate(y, m, d);
}

core::DateTime fieldsToTime(const std::string& hour, const std::string& minute, const std::string& second)
{
    const int h = core::parseInt(hour);
    const int m = core::parseInt(minute);
    const int s = core::parseInt(second);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        throw core::ConvertError("'" + hour + ":" + minute + ":" + second + "' is not a valid time");
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
