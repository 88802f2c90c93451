// The employee import line reader, workforce::splitEmployeeLine, on arbitrary lines.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "workforce/employees.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::array<std::string, 4> fields = workforce::splitEmployeeLine(line);

    // Quotes are only ever taken away, never added: the fields are no longer than the line.
    std::size_t total = 0;
    for (const std::string& f : fields)
        total += f.size();
    FUZZ_CHECK(total <= line.size());

    // Without double quotes the fields are the pieces between the commas; a field that runs
    // to the end of the line is the rest of it, and every field after it reads as empty.
    if (line.find('"') == std::string_view::npos) {
        std::array<std::string, 4> want;
        std::size_t at = 0;
        for (std::string& w : want) {
            const std::size_t comma = line.find(',', at);
            if (comma == std::string_view::npos) {
                w = std::string(line.substr(at));
                break;
            }
            w = std::string(line.substr(at, comma - at));
            at = comma + 1;
        }
        FUZZ_CHECK(fields == want);
    }
    return 0;
}
