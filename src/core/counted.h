#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

/// "1 clocking", "0 clockings", "1234 clockings": a plain count (no grouping, whatever the
/// regional settings) and its noun, for the line a command leaves in the "Result" log.
inline std::string counted(std::int64_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace core
