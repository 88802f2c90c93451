#pragma once

#include <cstdint>
#include <string>

#include "core/value.h"

namespace core {

class Regional;

/// A real in the general format with 15 significant digits: no trailing zeros, no separator for
/// a whole number, the locale's decimal separator, and scientific notation (capital E, no plus
/// sign) below 0.0001 and from 1E15: "5E-5", "1E15", "0.333333333333333", "-33.866", "60".
std::string formatReal(double value, const Regional& regional);
/// The same with a point as the separator, whatever the locale (distances).
std::string formatRealPoint(double value);
/// Up to 15 significant digits with a point and never an exponent: "0.00005", "-33.86612",
/// "1000000000000000" (a web address takes no "5E-5").
std::string formatDecimalPoint(double value);
std::string formatInt(std::int64_t value);
std::string formatBool(bool value);

/// The text form of a value as the grids show it (a date in the regional short form).
std::string textForm(const Value& value, const Regional& regional);
/// The text form of a value in a file the program writes: textForm, but a date carries its
/// four-digit year.
std::string fileForm(const Value& value, const Regional& regional);

} // namespace core
