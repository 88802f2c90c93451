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

namespace {

/// What a typed setup value must be.
struct Check {
    enum class Kind { None, Number, Whole } kind = Kind::None;
    double min = 0;
    double max = 0;
    const char* what = ""; ///< "a number of minutes", "a whole number", ...
    bool emptyAllowed = false;
};

constexpr Check kMinutes{Check::Kind::Number, 0, 24 * 60, "a number of minutes"};
constexpr Check kMarginMinutes{Check::Kind::Number, 0, 24 * 60, "a number of minutes", true};
constexpr Check kHours{Check::Kind::Number, 0, 24, "a number of hours"};
constexpr Check kLatitude{Check::Kind::Number, -90, 90, "a latitude"};
constexpr Check kLongitude{Check::Kind::Number, -180, 180, "a longitude"};
// The highest number has no next one: a posting of it is refused.
constexpr Check kPeriodNumber{Check::Kind::Whole, 1, 2147483646, "a whole number"};
constexpr Check kChoice{};

/// A field of the settings file: a text kept as typed (numbers with a point), or a choice
/// kept as its position; the Setup page's caption and what a typed value must be.
struct SettingField {
    SettingKey place;
    std::string SetupFields::*text = nullptr;
    int SetupFields::*position = nullptr;
    int choiceSize = 0;
    const char* caption = "";
    Check check;
};

const std::vector<SettingField>& settingFields()
{
    using S = SetupFields;
    static const std::vector<SettingField> fields{
        {{"LUNCH", "MINUTES_BREAK"}, &S::minutesBreak, nullptr, 0, kCaptionMinutesBreak, kMinutes},
        {{"LUNCH", "MIN_HOURS"}, &S::minHours, nullptr, 0, kCaptionMinHours, kHours},
        {{"OVERTIME", "SPELING"}, &S::speling, nullptr, 0, kCaptionSpeling, kMinutes},
        {{"OVERTIME", "VROEG"}, &S::vroeg, nullptr, 0, kCaptionVroeg, kHours},
        {{"OVERTIME", "LAAT"}, &S::laat, nullptr, 0, kCaptionLaat, kHours},
        {{"OVERTIME", "EARLY_MINUTES"}, &S::earlyMinutes, nullptr, 0, kCaptionEarlyMinutes, kMarginMinutes},
        {{"OVERTIME", "LATE_MINUTES"}, &S::lateMinutes, nullptr, 0, kCaptionLateMinutes, kMarginMinutes},
        {{"FLEXITIME", "FLEXI"}, nullptr, &S::flexi, 2, kCaptionFlexi, kChoice},
        {{"LOCATION", "LATITUDE"}, &S::latitude, nullptr, 0, kCaptionLatitude, kLatitude},
        {{"LOCATION", "LONGITUDE"}, &S::longitude, nullptr, 0, kCaptionLongitude, kLongitude},
        {{"STARTINGSHIFT", "TWO_SHIFT_DAY"}, nullptr, &S::twoShiftDay, 2, "TWO_SHIFT_DAY", kChoice},
        {{"STARTINGSHIFT", "THREE_SHIFT_DAY"}, nullptr, &S::threeShiftDay, 3, "THREE_SHIFT_DAY", kChoice},
        {{"PERIOD", "NUMBER"}, &S::number, nullptr, 0, kCaptionNumber, kPeriodNumber},
    };
    return fields;
}

const SettingField* fieldOf(std::string_view key)
{
    for (const SettingField& f : settingFields())
        if (key == f.place.key)
            return &f;
    return nullptr;
}

/// The caption as a sentence starts with it: without the colon or question mark at its end.
std::string captionInSentence(const char* caption)
{
    std::string c(caption);
    while (!c.empty() && (c.back() == ' ' || c.back() == ':' || c.back() == '?'))
        c.pop_back();
    return c;
}

/// A number as the refusal names its bounds: "0", "1440", "-90", "2147483646".
std::string boundText(double v) { return std::to_string(static_cast<long long>(v)); }

/// NUMBER is a whole number, not a setup measure: it is kept as it stands.
bool isMeasure(const SettingField& f) { return f.text != nullptr && f.text != &SetupFields::number; }

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

std::optional<std::string> setupRefusal(std::string_view key, std::string_view text, const core::Regional& regional)
{
    const SettingField* f = fieldOf(key);
    if (f == nullptr || f->check.kind == Check::Kind::None)
        return std::nullopt;
    const Check& c = f->check;
    const std::string t(text);
    if (t.find_first_not_of(" ") == std::string::npos && c.emptyAllowed)
        return std::nullopt;
    bool ok = false;
    if (c.kind == Check::Kind::Whole) {
        std::int32_t n = 0;
        ok = core::tryParseInt(t, n) && n >= c.min && n <= c.max;
    } else {
        double v = 0;
        ok = core::tryParseRealOrPoint(t, regional, v) && v >= c.min && v <= c.max;
    }
    if (ok)
        return std::nullopt;
    return captionInSentence(f->caption) + ": '" + t + "' is not " + c.what + " from " + boundText(c.min) + " to "
           + boundText(c.max) + ".";
}

const char* setupCaption(std::string_view key)
{
    const SettingField* f = fieldOf(key);
    return f == nullptr ? nullptr : f->caption;
}

std::string* SetupFields::textField(std::string_view key)
{
    const SettingField* f = fieldOf(key);
    return f == nullptr || f->text == nullptr ? nullptr : &(this->*(f->text));
}

bool SetupFields::setByKey(std::string_view key, std::string_view value, const core::Regional& regional)
{
    if (const auto refusal = setupRefusal(key, value, regional))
        throw core::Error(*refusal);
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

} // namespace app
