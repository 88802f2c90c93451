// The phone clock-data reader: the line splitter and the field conversions on their own, then
// whole files through intake::readPhoneFile in both import modes. A core::Error is the
// reader's answer to a bad file; any other exception, a crash, a sanitizer report, a hang, a
// leak or a broken check below is a finding.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <QLocale>

#include "check.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/numparse.h"
#include "core/regional.h"
#include "intake/clockfile.h"
#include "intake/clockimport.h"
#include "scratchfile.h"

namespace {

/// The splitter takes every field from its own place in the line, so together they are never
/// longer than the line; a date or time that converts holds the numbers the fields spell.
void checkLine(std::string_view text)
{
    const intake::ClockLine c = intake::splitClockLine(text);
    FUZZ_CHECK(c.jaar.size() <= 4 && c.maand.size() <= 2 && c.dag.size() <= 2);
    FUZZ_CHECK(c.uur.size() <= 2 && c.min.size() <= 2 && c.sek.size() <= 2);
    const std::size_t taken = c.nommer.size() + c.jaar.size() + c.maand.size() + c.dag.size() + c.uur.size()
                              + c.min.size() + c.sek.size() + c.status.size() + c.slat.size() + c.slon.size();
    FUZZ_CHECK(taken <= text.size());

    try {
        const core::DateTime day = intake::fieldsToDate(c.jaar, c.maand, c.dag);
        FUZZ_CHECK(day == core::dateOf(day));
        FUZZ_CHECK((core::decodeDate(day)
                    == core::Ymd{core::parseInt(c.jaar), core::parseInt(c.maand), core::parseInt(c.dag)}));
    } catch (const core::Error&) {
    }
    try {
        const core::DateTime time = intake::fieldsToTime(c.uur, c.min, c.sek);
        FUZZ_CHECK(time >= 0 && time < 1);
        FUZZ_CHECK((core::decodeTime(time)
                    == core::Hms{core::parseInt(c.uur), core::parseInt(c.min), core::parseInt(c.sek), 0}));
    } catch (const core::Error&) {
    }
}

/// Numbers that begin with 0 belong to an employee, the others to nobody.
std::optional<intake::EmployeeMatch> employeeOf(const std::string& number)
{
    if (!number.empty() && number.front() == '0')
        return intake::EmployeeMatch{"Thandi Mokoena", -33.9249, 18.4241};
    return std::nullopt;
}

/// Stores nothing; checks that every row it is given is one the rules let through.
class CheckingSink : public intake::ClockSink {
public:
    explicit CheckingSink(const intake::PhoneRules& rules) : rules_(rules) {}

    void store(const intake::ClockRow& row) override
    {
        ++stored;
        FUZZ_CHECK(row.date == core::dateOf(row.date));
        FUZZ_CHECK(rules_.window.contains(row.date));
        FUZZ_CHECK(row.time >= 0 && row.time < 1);
        FUZZ_CHECK(!row.mobileNo.empty());
        FUZZ_CHECK(row.name.has_value() == employeeOf(row.mobileNo).has_value());
        FUZZ_CHECK(row.lat && row.lon && row.distance && !row.distance->empty());
        if (rules_.mode == intake::PhoneRules::Mode::New) {
            // Only clockings after their own number's latest stored one.
            const std::int64_t moment = core::toMs(row.date) + core::timeToMs(row.time);
            const auto latest = rules_.latestByNumber.find(row.mobileNo);
            FUZZ_CHECK(latest == rules_.latestByNumber.end() || moment > latest->second);
        }
    }

    int stored = 0;

private:
    const intake::PhoneRules& rules_;
};

void readFile(const std::filesystem::path& file, std::string_view bytes, const intake::PhoneRules& rules,
              const core::Regional& regional)
{
    CheckingSink sink(rules);
    try {
        const intake::ImportResult result = intake::readPhoneFile(file, rules, regional, employeeOf, sink, {});
        FUZZ_CHECK(result.lines == static_cast<int>(fuzzing::linesOf(fuzzing::textAsRead(bytes)).size()));
        FUZZ_CHECK(result.stored == sink.stored);
        // Every line is stored or counted under the reason it was not.
        FUZZ_CHECK(result.lines == result.stored + result.outsideWindow + result.notNewer + result.noNumber);
    } catch (const core::Error& e) {
        // A bad line ends the read with an error that names the file.
        FUZZ_CHECK(std::string_view(e.what()).find(file.string()) != std::string_view::npos);
    }
}

struct Setup {
    core::Regional point = core::Regional::pinned(QLocale::c());
    core::Regional comma = core::Regional::pinned(QLocale(QLocale::German, QLocale::Germany));
    intake::PhoneRules all;
    intake::PhoneRules onlyNew;

    Setup()
    {
        // "Import clock data": every day of the calendar, the default location with a point.
        all.mode = intake::PhoneRules::Mode::All;
        all.window = {core::encodeDate(1, 1, 1), core::encodeDate(9999, 12, 31)};
        all.defaultLatitude = "-33.866";
        all.defaultLongitude = "18.623";
        // "Import New Clock Data" after a clocking of 9 September 2019 08:00, in a year-long
        // period, the default location typed with the regional decimal comma.
        onlyNew.mode = intake::PhoneRules::Mode::New;
        onlyNew.window = {core::encodeDate(2018, 12, 31), core::encodeDate(2020, 1, 1)};
        onlyNew.defaultLatitude = "-33,866";
        onlyNew.defaultLongitude = "18,623";
        onlyNew.latestByNumber["0821234567"] = core::toMs(core::encodeDate(2019, 9, 9) + core::encodeTime(8, 0, 0));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Setup setup;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkLine(bytes);

    const std::filesystem::path& file = fuzzing::writeScratchFile(data, size);
    readFile(file, bytes, setup.all, setup.point);
    readFile(file, bytes, setup.onlyNew, setup.comma);
    return 0;
}
