#include "core/textform.h"

#include <charconv>
#include <cmath>

#include "core/regional.h"

namespace core {

namespace {

constexpr int kSignificantDigits = 15;

std::string formatGeneral(double value, std::string_view separator, bool exponentAllowed = true)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0.0) {
        return "0";
    }

    // Rounded to 15 significant digits first: "d.dddddddddddddde[+-]x", free of any C locale.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t ePos = sci.find('e');
    std::string digits;
    digits += sci[0];
    digits.append(sci.substr(2, ePos - 2));
    int exponent = 0;
    const char* expFirst = sci.data() + ePos + 1;
    if (*expFirst == '+') {
        ++expFirst;
    }
    std::from_chars(expFirst, sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string out;
    if (value < 0) {
        out += '-';
    }
    if (exponentAllowed && (exponent < -4 || exponent >= kSignificantDigits)) {
        out += digits[0];
        if (digits.size() > 1) {
            out.append(separator);
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent >= 0) {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out.append(separator);
            out.append(digits, intDigits);
        }
    } else {
        out += '0';
        out.append(separator);
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

} // namespace

std::string formatReal(double value, const Regional& regional)
{
    return formatGeneral(value, regional.decimalSeparator());
}

std::string formatRealPoint(double value) { return formatGeneral(value, "."); }

std::string formatDecimalPoint(double value) { return formatGeneral(value, ".", false); }

std::string formatInt(std::int64_t value) { return std::to_string(value); }

std::string formatBool(bool value) { return value ? "True" : "False"; }

std::string textForm(const Value& value, const Regional& regional)
{
    switch (value.kind()) {
    case Value::Kind::Empty: return {};
    case Value::Kind::Integer: return formatInt(value.intPayload());
    case Value::Kind::Real: return formatReal(value.realPayload(), regional);
    case Value::Kind::Text: return value.textPayload();
    case Value::Kind::Date: return regional.formatDate(value.realPayload());
    case Value::Kind::Time: return regional.formatTime(value.realPayload());
    case Value::Kind::Boolean: return formatBool(value.intPayload() != 0);
    }
    return {};
}

std::string fileForm(const Value& value, const Regional& regional)
{
    if (value.kind() == Value::Kind::Date)
        return regional.formatFileDate(value.realPayload());
    return textForm(value, regional);
}

} // namespace core
