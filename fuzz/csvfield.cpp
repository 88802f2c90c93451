// The CSV writer's quoting, core::csvField: every field reads back as it was, and a line of
// four quoted fields, each followed by a comma as the employee export writes them, reads back
// through workforce::splitEmployeeLine as the same four fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "core/textfile.h"
#include "workforce/employees.h"

namespace {

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

/// A field that holds a comma, a double quote, CR or LF comes back in double quotes with its
/// inner quotes doubled; every other field comes back unchanged.
void checkField(std::string_view text)
{
    const std::string out = core::csvField(text);
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        FUZZ_CHECK(out == text);
        return;
    }
    FUZZ_CHECK(out.size() >= 2 && out.front() == '"' && out.back() == '"');
    // Read back: between the outer quotes every quote is one of a doubled pair.
    std::string back;
    const std::size_t end = out.size() - 1;
    for (std::size_t i = 1; i < end;) {
        if (out[i] == '"') {
            FUZZ_CHECK(i + 1 < end && out[i + 1] == '"');
            back += '"';
            i += 2;
        } else {
            back += out[i++];
        }
    }
    FUZZ_CHECK(back == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    std::array<std::string, 4> fields;
    for (std::string& f : fields)
        f = in.ConsumeRandomLengthString();
    // The export's further columns after the four the import reads.
    const std::string rest = in.ConsumeRemainingBytesAsString();

    bool breaks = hasLineBreak(rest);
    std::string line;
    for (const std::string& f : fields) {
        checkField(f);
        breaks = breaks || hasLineBreak(f);
        line += core::csvField(f);
        line += ',';
    }
    checkField(rest);

    // The import reads one line of a file at a time, so a field with a line break cannot come back.
    if (breaks)
        return 0;
    FUZZ_CHECK(workforce::splitEmployeeLine(line) == fields);
    FUZZ_CHECK(workforce::splitEmployeeLine(line + rest) == fields);
    return 0;
}
