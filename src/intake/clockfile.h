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

/// The fields of one fingerprint-scanner line.
struct ScannerLine {
    std::string nommer; ///< columns 1-9 with leading blanks removed (trailing blanks stay)
    std::string jaar, maand, dag, uur, min, sek;
    std::string status; ///< column 33 translated: 0, 3, 4 "IN"; 1, 2, 5 "OUT"; other as is
    /// Read at the fixed columns only because no other layout fitted: a conversion error of
    /// such a line should name both layouts (scannerLayouts()).
    bool fallback = false;
};

/// Takes the fields at the fixed columns of a device that pads the user number to nine
/// characters: number 1-9, date and time 11-29, state code 33.
ScannerLine splitScannerLine(std::string_view line);

/// Reads the tab-separated layout of devices that do not pad the number, or that put a name
/// before the moment: the first field is the number (blanks removed, of any length), the
/// first field of the form YYYY-MM-DD HH:MM:SS the moment, the field after it the
/// verification mode (ignored) and the one after that the state code. Empty when the line
/// holds no such moment, or the number a control character.
std::optional<ScannerLine> splitScannerFields(std::string_view line);

/// A scanner line by whichever layout it fits: the fixed columns when they hold a date and
/// time there and the number holds no tab; else the tab-separated fields; else the fixed
/// columns again when the number holds no tab (marked `fallback`). A line that fits neither
/// throws core::ConvertError naming both layouts.
ScannerLine readScannerLine(std::string_view line);

/// Whether a text holds a control character (below a blank, or DEL): no clock number does.
bool hasControlCharacter(std::string_view text);

/// The two layouts in words, for an error about a line that fits neither.
const char* scannerLayouts();

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
