#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "core/datetime.h"

namespace core {

/// A typed value as it moves between a table column, the logic and a file.
/// Empty is "no value"; a time of 00:00 is a value.
class Value {
public:
    enum class Kind { Empty, Integer, Real, Text, Date, Time, Boolean };

    Value() = default;
    static Value integer(std::int64_t v) { return Value(Kind::Integer, v); }
    static Value real(double v) { return Value(Kind::Real, v); }
    static Value text(std::string v) { return Value(Kind::Text, std::move(v)); }
    static Value date(DateTime v) { return Value(Kind::Date, v); }
    static Value time(DateTime v) { return Value(Kind::Time, v); }
    static Value boolean(bool v) { return Value(Kind::Boolean, std::int64_t{v ? 1 : 0}); }

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }

    /// Raw payloads; only valid for the matching kinds.
    std::int64_t intPayload() const { return std::get<std::int64_t>(data_); }
    double realPayload() const { return std::get<double>(data_); }
    const std::string& textPayload() const { return std::get<std::string>(data_); }

    friend bool operator==(const Value&, const Value&) = default;

private:
    template <typename T>
    Value(Kind k, T v) : kind_(k), data_(std::move(v))
    {}
    Kind kind_ = Kind::Empty;
    std::variant<std::monostate, std::int64_t, double, std::string> data_;
};

} // namespace core
