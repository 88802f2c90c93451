#include "app/settings.h"

#include <array>

#include "core/error.h"
#include "core/inifile.h"
#include "core/numparse.h"
#include "core/regional.h"

namespace app {

namespace {

constexpr std::array<const char*, 2> kFlexiChoice{"YES", "NO"};
constexpr std::array<const char*, 2> kTwoShiftChoice{"2", "3"};
constexpr std::array<const char*, 3> kThreeShiftChoice{"4", "5", "6"};

template <std::size_t N>
int choicePosition(const std::array<const char*, N>& choice, std::string_view key, std::string_view text)
{
    for (std::size_t i = 0; i < N; ++i)
        if (text == choice[i])
            return static_cast<int>(i);
    std::string entries;
    for (std::size_t i = 0; i < N; ++i)
        entries += (i == 0 ? "" : ", ") + std::string(choice[i]);
    throw core::Error("'" + std::string(text) + "' is not an entry of " + std::string(key) + " (" + entries + ")");
}

/// A position read from the file that lies outside its choice reads as the first entry.
int validPosition(int position, int size) { return position >= 0 && position < size ? position : 0; }

/// The text with its first `from` replaced by `to`.
std::string swapSeparator(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

} // namespace

std::string numberInFileForm(const std::string& text, const core::Regional& regional)
{
    const std::string& separator = regional.decimalSeparator();
    double v = 0;
    if (separator == "." || !core::tryParseReal(text, regional, v))
        return text; // already with a point, or no number: kept as typed
    return swapSeparator(text, separator, ".");
}

std::string numberInFieldForm(const std::string& text, const core::Regional& regional)
{
    const std::string& separator = regional.decimalSeparator();
    double v = 0;
    if (separator == "." || core::tryParseReal(text, regional, v) || !core::tryParseRealPoint(text, v))
        return text;
    return swapSeparator(text, ".", separator);
}

std::string SetupFields::flexiText() const { return kFlexiChoice[static_cast<std::size_t>(validPosition(flexi, 2))]; }

int SetupFields::startingTwoShift() const { return 2 + validPosition(twoShiftDay, 2); }

int SetupFields::startingThreeShift() const { return 4 + validPosition(threeShiftDay, 3); }

bool SetupFields::setByKey(std::string_view key, std::string_view value)
{
    const std::string v(value);
    if (key == "MINUTES_BREAK")
        minutesBreak = v;
    else if (key == "MIN_HOURS")
        minHours = v;
    else if (key == "SPELING")
        speling = v;
    else if (key == "VROEG")
        vroeg = v;
    else if (key == "LAAT")
        laat = v;
    else if (key == "EARLY_MINUTES")
        earlyMinutes = v;
    else if (key == "LATE_MINUTES")
        lateMinutes = v;
    else if (key == "FLEXI")
        flexi = choicePosition(kFlexiChoice, key, value);
    else if (key == "LATITUDE")
        latitude = v;
    else if (key == "LONGITUDE")
        longitude = v;
    else if (key == "TWO_SHIFT_DAY")
        twoShiftDay = choicePosition(kTwoShiftChoice, key, value);
    else if (key == "THREE_SHIFT_DAY")
        threeShiftDay = choicePosition(kThreeShiftChoice, key, value);
    else if (key == "NUMBER")
        number = v;
    else
        return false;
    return true;
}

void loadSettings(const core::IniFile& ini, SetupFields& f, FileCounter& counter, const core::Regional& regional)
{
    const SetupFields d;
    auto number = [&](const char* section, const char* key, const std::string& fallback) {
        return numberInFieldForm(ini.readString(section, key, fallback), regional);
    };
    f.minutesBreak = number("LUNCH", "MINUTES_BREAK", d.minutesBreak);
    f.minHours = number("LUNCH", "MIN_HOURS", d.minHours);
    f.speling = number("OVERTIME", "SPELING", d.speling);
    f.vroeg = number("OVERTIME", "VROEG", d.vroeg);
    f.laat = number("OVERTIME", "LAAT", d.laat);
    f.earlyMinutes = number("OVERTIME", "EARLY_MINUTES", d.earlyMinutes);
    f.lateMinutes = number("OVERTIME", "LATE_MINUTES", d.lateMinutes);
    f.flexi = validPosition(ini.readInteger("FLEXITIME", "FLEXI", d.flexi), 2);
    f.latitude = number("LOCATION", "LATITUDE", d.latitude);
    f.longitude = number("LOCATION", "LONGITUDE", d.longitude);
    f.twoShiftDay = validPosition(ini.readInteger("STARTINGSHIFT", "TWO_SHIFT_DAY", d.twoShiftDay), 2);
    f.threeShiftDay = validPosition(ini.readInteger("STARTINGSHIFT", "THREE_SHIFT_DAY", d.threeShiftDay), 3);
    f.number = ini.readString("PERIOD", "NUMBER", d.number);

    const int year = ini.readInteger("FILEDATE", "YEAR", 2019);
    const int month = ini.readInteger("FILEDATE", "MONTH", 9);
    const int day = ini.readInteger("FILEDATE", "DAY", 9);
    // A date that does not exist (edited by hand) reads as the default day.
    counter.filedate =
        core::isValidDate(year, month, day) ? core::encodeDate(year, month, day) : core::encodeDate(2019, 9, 9);
    counter.teller = ini.readInteger("FILEDATE", "TELLER", 1);
}

void saveSettings(core::IniFile& ini, const SetupFields& f, const FileCounter& counter, const core::Regional& regional)
{
    auto number = [&](const char* section, const char* key, const std::string& text) {
        ini.writeString(section, key, numberInFileForm(text, regional));
    };
    number("LUNCH", "MINUTES_BREAK", f.minutesBreak);
    number("LUNCH", "MIN_HOURS", f.minHours);
    number("OVERTIME", "SPELING", f.speling);
    number("OVERTIME", "VROEG", f.vroeg);
    number("OVERTIME", "LAAT", f.laat);
    number("OVERTIME", "EARLY_MINUTES", f.earlyMinutes);
    number("OVERTIME", "LATE_MINUTES", f.lateMinutes);
    ini.writeInteger("FLEXITIME", "FLEXI", f.flexi);
    number("LOCATION", "LATITUDE", f.latitude);
    number("LOCATION", "LONGITUDE", f.longitude);
    ini.writeInteger("STARTINGSHIFT", "TWO_SHIFT_DAY", f.twoShiftDay);
    ini.writeInteger("STARTINGSHIFT", "THREE_SHIFT_DAY", f.threeShiftDay);
    const core::Ymd ymd = core::decodeDate(counter.filedate);
    ini.writeInteger("FILEDATE", "YEAR", ymd.year);
    ini.writeInteger("FILEDATE", "MONTH", ymd.month);
    ini.writeInteger("FILEDATE", "DAY", ymd.day);
    ini.writeInteger("FILEDATE", "TELLER", counter.teller);
    ini.writeString("PERIOD", "NUMBER", f.number);
}

} // namespace app
