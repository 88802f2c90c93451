#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

class Regional;

/// Whole number in decimal, optional sign, surrounding blanks allowed.
/// Throws ConvertError "'TEXT' is not a valid integer value".
std::int32_t parseInt(std::string_view text);
std::int64_t parseInt64(std::string_view text);
bool tryParseInt(std::string_view text, std::int32_t& out);

/// Real number with the locale's decimal separator and an optional exponent; surrounding
/// blanks allowed. Throws ConvertError "'TEXT' is not a valid floating point value".
double parseReal(std::string_view text, const Regional& regional);
bool tryParseReal(std::string_view text, const Regional& regional, double& out);
/// The same with a point as the decimal separator, whatever the locale (file formats).
bool tryParseRealPoint(std::string_view text, double& out);
/// A number with the locale's decimal separator or a point (the setup values: typed in the
/// regional form, kept in the settings file with a point). Throws ConvertError as parseReal.
double parseRealOrPoint(std::string_view text, const Regional& regional);
bool tryParseRealOrPoint(std::string_view text, const Regional& regional, double& out);

} // namespace core
