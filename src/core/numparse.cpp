#include "core/numparse.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

#include "core/error.h"
#include "core/regional.h"

namespace core {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::size_t countDigits(std::string_view s, std::size_t pos)
{
    std::size_t n = 0;
    while (pos + n < s.size() && isDigit(s[pos + n])) {
        ++n;
    }
    return n;
}

std::optional<std::int64_t> toInt64(std::string_view text)
{
    std::string_view s = trimBlanks(text);
    std::size_t signLength = 0;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1); // from_chars takes a minus sign but not a plus sign
    } else if (!s.empty() && s.front() == '-') {
        signLength = 1;
    }
    const std::size_t digits = countDigits(s, signLength);
    if (digits == 0 || signLength + digits != s.size()) {
        return std::nullopt;
    }
    std::int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

std::optional<std::int32_t> toInt32(std::string_view text)
{
    const std::optional<std::int64_t> v = toInt64(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*v);
}

std::optional<double> toReal(std::string_view text, const std::string& separator)
{
    const std::string_view s = trimBlanks(text);
    std::size_t pos = 0;
    // The text is rewritten in the form from_chars reads, whatever the locale's separator.
    std::string plain;
    plain.reserve(s.size() + 1);
    const bool negative = pos < s.size() && s[pos] == '-';
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        if (negative) {
            plain += '-';
        }
        ++pos;
    }
    const std::string_view intPart = s.substr(pos, countDigits(s, pos));
    pos += intPart.size();
    std::string_view fracPart;
    if (!separator.empty() && s.substr(pos, separator.size()) == separator) {
        pos += separator.size();
        fracPart = s.substr(pos, countDigits(s, pos));
        pos += fracPart.size();
    }
    if (intPart.empty() && fracPart.empty()) {
        return std::nullopt;
    }
    plain.append(intPart);
    plain += '.';
    plain.append(fracPart);

    constexpr long long kExponentCap = 1'000'000'000; // far beyond any double, still no overflow
    long long exponent = 0;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        plain += 'e';
        bool expNegative = false;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
            expNegative = s[pos] == '-';
            plain += s[pos] == '-' ? "-" : "";
            ++pos;
        }
        const std::string_view expDigits = s.substr(pos, countDigits(s, pos));
        if (expDigits.empty()) {
            return std::nullopt;
        }
        for (const char c : expDigits) {
            exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
        }
        if (expNegative) {
            exponent = -exponent;
        }
        plain.append(expDigits);
        pos += expDigits.size();
    }
    if (pos != s.size()) {
        return std::nullopt;
    }

    double v = 0.0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v, std::chars_format::general);
    if (ptr != plain.data() + plain.size()) {
        return std::nullopt;
    }
    if (ec == std::errc::result_out_of_range) {
        // Too large to hold is an error; too small to tell from zero reads as zero. Which of
        // the two it is follows from the power of ten of the first significant digit.
        const std::string digits = std::string(intPart) + std::string(fracPart);
        const std::size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos) {
            return negative ? -0.0 : 0.0;
        }
        const long long magnitude =
            static_cast<long long>(intPart.size()) - 1 - static_cast<long long>(first) + exponent;
        if (magnitude > 0) {
            return std::nullopt;
        }
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc()) {
        return std::nullopt;
    }
    return v;
}

[[noreturn]] void throwNotInteger(std::string_view text)
{
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

} // namespace

std::int32_t parseInt(std::string_view text)
{
    const std::optional<std::int32_t> v = toInt32(text);
    if (!v) {
        throwNotInteger(text);
    }
    return *v;
}

std::int64_t parseInt64(std::string_view text)
{
    const std::optional<std::int64_t> v = toInt64(text);
    if (!v) {
        throwNotInteger(text);
    }
    return *v;
}

bool tryParseInt(std::string_view text, std::int32_t& out)
{
    const std::optional<std::int32_t> v = toInt32(text);
    if (v) {
        out = *v;
    }
    return v.has_value();
}

double parseReal(std::string_view text, const Regional& regional)
{
    const std::optional<double> v = toReal(text, regional.decimalSeparator());
    if (!v) {
        throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
    }
    return *v;
}

bool tryParseReal(std::string_view text, const Regional& regional, double& out)
{
    const std::optional<double> v = toReal(text, regional.decimalSeparator());
    if (v) {
        out = *v;
    }
    return v.has_value();
}

} // namespace core

namespace core {

bool tryParseRealPoint(std::string_view text, double& out)
{
    const auto v = toReal(text, ".");
    if (!v) {
        return false;
    }
    out = *v;
    return true;
}

bool tryParseRealOrPoint(std::string_view text, const Regional& regional, double& out)
{
    return tryParseReal(text, regional, out) || tryParseRealPoint(text, out);
}

double parseRealOrPoint(std::string_view text, const Regional& regional)
{
    double v = 0.0;
    if (!tryParseRealOrPoint(text, regional, v)) {
        throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
    }
    return v;
}

} // namespace core
