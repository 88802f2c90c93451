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

namespace {

/// A field of the settings file: a text kept as typed (numbers with a point), or a choice
/// kept as its position.
struct SettingField {
    SettingKey place;
    std::string SetupFields::*text = nullptr;
    int SetupFields::*position = nullptr;
    int choiceSize = 0;
};

const std::vector<SettingField>& settingFields()
{
    using S = SetupFields;
    static const std::vector<SettingField> fields{
        {{"LUNCH", "MINUTES_BREAK"}, &S::minutesBreak},
        {{"LUNCH", "MIN_HOURS"}, &S::minHours},
        {{"OVERTIME", "SPELING"}, &S::speling},
        {{"OVERTIME", "VROEG"}, &S::vroeg},
        {{"OVERTIME", "LAAT"}, &S::laat},
        {{"OVERTIME", "EARLY_MINUTES"}, &S::earlyMinutes},
        {{"OVERTIME", "LATE_MINUTES"}, &S::lateMinutes},
        {{"FLEXITIME", "FLEXI"}, nullptr, &S::flexi, 2},
        {{"LOCATION", "LATITUDE"}, &S::latitude},
        {{"LOCATION", "LONGITUDE"}, &S::longitude},
        {{"STARTINGSHIFT", "TWO_SHIFT_DAY"}, nullptr, &S::twoShiftDay, 2},
        {{"STARTINGSHIFT", "THREE_SHIFT_DAY"}, nullptr, &S::threeShiftDay, 3},
        {{"PERIOD", "NUMBER"}, &S::number},
    };
    return fields;
}

/// NUMBER is a whole number, not a setup measure: it is kept as it stands.
bool isMeasure(const SettingField& f) { return f.text != nullptr && f.text != &SetupFields::number; }

} // namespace

const std::vector<SettingKey>& settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        for (const SettingField& f : settingFields())
            k.push_back(f.place);
        return k;
    }();
    return keys;
}

std::string settingText(const SetupFields& fields, std::size_t index, const core::Regional& regional)
{
    const SettingField& f = settingFields().at(index);
    if (f.position != nullptr)
        return std::to_string(fields.*f.position);
    return isMeasure(f) ? numberInFileForm(fields.*f.text, regional) : fields.*f.text;
}

void takeSettingText(SetupFields& fields, std::size_t index, const std::optional<std::string>& text,
                     const core::Regional& regional)
{
    const SettingField& f = settingFields().at(index);
    const SetupFields defaults;
    if (f.position != nullptr) {
        int position = defaults.*f.position;
        if (text)
            position = core::IniFile::integerOf(*text, position);
        fields.*f.position = validPosition(position, f.choiceSize);
        return;
    }
    const std::string& t = text ? *text : defaults.*f.text;
    fields.*f.text = isMeasure(f) ? numberInFieldForm(t, regional) : t;
}

namespace {

std::optional<std::string> entryOf(const core::IniFile& ini, const SettingKey& k)
{
    if (!ini.hasKey(k.section, k.key))
        return std::nullopt;
    return ini.readString(k.section, k.key, "");
}

} // namespace

FileCounter counterOf(const core::IniFile& ini)
{
    FileCounter counter;
    const int year = ini.readInteger("FILEDATE", "YEAR", 2019);
    const int month = ini.readInteger("FILEDATE", "MONTH", 9);
    const int day = ini.readInteger("FILEDATE", "DAY", 9);
    // A date that does not exist (edited by hand) reads as the default day.
    counter.filedate =
        core::isValidDate(year, month, day) ? core::encodeDate(year, month, day) : core::encodeDate(2019, 9, 9);
    counter.teller = ini.readInteger("FILEDATE", "TELLER", 1);
    return counter;
}

bool hasCounter(const core::IniFile& ini)
{
    for (const char* key : {"YEAR", "MONTH", "DAY", "TELLER"})
        if (!ini.hasKey("FILEDATE", key))
            return false;
    return true;
}

void writeCounter(core::IniFile& ini, const FileCounter& counter)
{
    const core::Ymd ymd = core::decodeDate(counter.filedate);
    ini.writeInteger("FILEDATE", "YEAR", ymd.year);
    ini.writeInteger("FILEDATE", "MONTH", ymd.month);
    ini.writeInteger("FILEDATE", "DAY", ymd.day);
    ini.writeInteger("FILEDATE", "TELLER", counter.teller);
}

void loadSettings(const core::IniFile& ini, SetupFields& f, FileCounter& counter, const core::Regional& regional)
{
    const std::vector<SettingKey>& keys = settingKeys();
    for (std::size_t i = 0; i < keys.size(); ++i)
        takeSettingText(f, i, entryOf(ini, keys[i]), regional);
    counter = counterOf(ini);
}

void writeSettings(core::IniFile& ini, const SetupFields& f, const std::vector<bool>& which, const FileCounter* counter,
                   const core::Regional& regional)
{
    const std::vector<SettingKey>& keys = settingKeys();
    bool counterWritten = counter == nullptr;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // The file counter's section comes before the period's.
        if (!counterWritten && std::string_view(keys[i].section) == "PERIOD") {
            writeCounter(ini, *counter);
            counterWritten = true;
        }
        if (i < which.size() && which[i])
            ini.writeString(keys[i].section, keys[i].key, settingText(f, i, regional));
    }
    if (!counterWritten)
        writeCounter(ini, *counter);
}

void saveSettings(core::IniFile& ini, const SetupFields& f, const FileCounter& counter, const core::Regional& regional)
{
    writeSettings(ini, f, std::vector<bool>(settingKeys().size(), true), &counter, regional);
}

} // namespace app
