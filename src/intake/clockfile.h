#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace intake {

/// The fields of one clock-data line as the phone app writes it:
/// number, comma, a 19-character date-time, comma, status, comma, latitude, comma, longitude.
struct ClockLine {
    std::string nommer;
    std::string jaar, maand, dag, uur, min, sek;
    std::string status;
    std::string slat;
    std::string slon;
};

/// Splits a line by position. Where a comma that is looked for is missing, that field is
/// empty and nothing is dropped; fixed-width fields take what is left of a short line.
ClockLine splitClockLine(std::string_view line);

/// The fields of one fingerprint-scanner line, taken at fixed columns.
struct ScannerLine {
    std::string nommer; ///< columns 1-9 with leading blanks removed (trailing blanks stay)
    std::string jaar, maand, dag, uur, min, sek;
    std::string status; ///< column 33 translated: 0, 3, 4 "IN"; 1, 2, 5 "OUT"; other as is
};

ScannerLine splitScannerLine(std::string_view line);

/// The day of year, month and day fields; throws core::ConvertError naming the text that
/// failed ("'2x' is not a valid integer value", "'2023-02-30' is not a valid date").
core::DateTime fieldsToDate(const std::string& year, const std::string& month, const std::string& day);
/// The time of day of hour, minute and second fields, zero milliseconds; throws likewise.
core::DateTime fieldsToTime(const std::string& hour, const std::string& minute, const std::string& second);

/// The plane distance in degrees between a position and a reference point, rounded to three
/// decimals and written in shortest form with a point: "0.012", "0.1", "0".
std::string distanceText(double lat, double lon, double refLat, double refLon);

/// "https://HOST/maps?q=LAT,LON" with both numbers in shortest decimal form with a point,
/// never with an exponent ("q=0.00005,0").
std::string mapAddress(const std::string& host, double lat, double lon);

} // namespace intake
