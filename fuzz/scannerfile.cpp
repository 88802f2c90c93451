// The fingerprint-scanner reader: the column splitter on its own, then whole files through
// intake::readScannerFile. A core::Error is the reader's answer to a bad file; any other
// exception, a crash, a sanitizer report, a hang, a leak or a broken check is a finding.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "core/datetime.h"
#include "core/error.h"
#include "intake/clockfile.h"
#include "intake/clockimport.h"
#include "scratchfile.h"

namespace {

void checkLine(std::string_view text)
{
    const intake::ScannerLine s = intake::splitScannerLine(text);
    FUZZ_CHECK(s.nommer.size() <= 9 && (s.nommer.empty() || s.nommer.front() != ' '));
    FUZZ_CHECK(s.jaar.size() <= 4 && s.maand.size() <= 2 && s.dag.size() <= 2);
    FUZZ_CHECK(s.uur.size() <= 2 && s.min.size() <= 2 && s.sek.size() <= 2);
    // The status comes from column 33 alone.
    if (text.size() < 33) {
        FUZZ_CHECK(s.status.empty());
    } else {
        const char code = text[32];
        const char* want = code == '0' || code == '3' || code == '4'   ? "IN"
                           : code == '1' || code == '2' || code == '5' ? "OUT"
                                                                       : nullptr;
        FUZZ_CHECK(want ? s.status == want : s.status == std::string(1, code));
    }
}

std::optional<intake::EmployeeMatch> employeeOf(const std::string& number)
{
    if (!number.empty() && number.front() == '1')
        return intake::EmployeeMatch{"Pieter Nel", 0, 0};
    return std::nullopt;
}

/// Checks that the copy receives the file's lines, in order, each once.
class CheckingCopy : public intake::LineCopy {
public:
    explicit CheckingCopy(const std::vector<std::string_view>& want) : want_(want) {}
    void line(const std::string& text) override
    {
        FUZZ_CHECK(count < want_.size());
        FUZZ_CHECK(text == want_[count]);
        ++count;
    }
    std::size_t count = 0;

private:
    const std::vector<std::string_view>& want_;
};

class CheckingSink : public intake::ClockSink {
public:
    explicit CheckingSink(const intake::ImportWindow& window) : window_(window) {}
    void store(const intake::ClockRow& row) override
    {
        ++stored;
        FUZZ_CHECK(row.date == core::dateOf(row.date) && window_.contains(row.date));
        FUZZ_CHECK(row.time >= 0 && row.time < 1);
        // Nine characters at most in the fixed columns (checkLine), any length in the tab
        // layout; never a control character.
        FUZZ_CHECK(!row.mobileNo.empty());
        for (const char c : row.mobileNo)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        FUZZ_CHECK(row.name.has_value() == employeeOf(row.mobileNo).has_value());
    }
    int stored = 0;

private:
    const intake::ImportWindow& window_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const intake::ImportWindow window{core::encodeDate(1, 1, 1), core::encodeDate(9999, 12, 31)};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkLine(bytes);

    const std::filesystem::path& file = fuzzing::writeScratchFile(data, size);
    const std::string copied = fuzzing::textAsRead(bytes);
    const std::vector<std::string_view> lines = fuzzing::linesOf(copied);
    CheckingCopy copy(lines);
    CheckingSink sink(window);
    try {
        const intake::ImportResult result = intake::readScannerFile(file, window, employeeOf, copy, sink, {});
        FUZZ_CHECK(result.lines == static_cast<int>(lines.size()) && copy.count == lines.size());
        FUZZ_CHECK(result.stored == sink.stored);
    } catch (const core::Error& e) {
        // The line that failed was copied before it was read, and the error names the file.
        FUZZ_CHECK(copy.count >= 1);
        FUZZ_CHECK(std::string_view(e.what()).find(file.string()) != std::string_view::npos);
    }
    return 0;
}
